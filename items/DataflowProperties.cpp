#include "DataflowProperties.h"
#include "ui_DataflowProperties.h"

#include "ColourSwatch.h"

DataflowProperties::DataflowProperties(QWidget *parent)
    : QDialog(parent), ui(new Ui::DataflowProperties)
{
    ui->setupUi(this);
    ui->label_colour->installEventFilter(this);
}

DataflowProperties::~DataflowProperties()
{
    delete ui;
}

void DataflowProperties::refresh()
{
    ui->tabWidget->setCurrentIndex(0);
    ui->lineEdit->setText(m_label);
    ui->lineEdit_2->setText(m_datatype);
    ui->textEdit->setPlainText(m_description);
    ColourSwatch::paint(ui->label_colour, m_backgroundColour);
}

bool DataflowProperties::eventFilter(QObject *watched, QEvent *event)
{
    ColourSwatch::pickOnPress(watched, event, ui->label_colour, this, &m_pickedColour);
    return false;
}

void DataflowProperties::on_buttonBox_accepted()
{
    m_label = ui->lineEdit->text();
    m_datatype = ui->lineEdit_2->text();
    m_description = ui->textEdit->toPlainText();
    m_backgroundColour = m_pickedColour;
    accept();
}

void DataflowProperties::on_buttonBox_rejected()
{
    reject();
}
