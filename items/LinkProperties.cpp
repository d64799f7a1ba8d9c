#include "LinkProperties.h"
#include "ui_LinkProperties.h"

#include "ColourSwatch.h"

LinkProperties::LinkProperties(QWidget *parent)
    : QDialog(parent), ui(new Ui::LinkProperties)
{
    ui->setupUi(this);
    ui->label_colour->installEventFilter(this);
}

LinkProperties::~LinkProperties()
{
    delete ui;
}

void LinkProperties::refresh()
{
    ui->tabWidget->setCurrentIndex(0);
    ui->lineEdit->setText(m_label);
    ui->lineEdit_2->setText(m_datatype);
    ui->textEdit->setPlainText(m_description);
    ColourSwatch::paint(ui->label_colour, m_backgroundColour);
}

bool LinkProperties::eventFilter(QObject *watched, QEvent *event)
{
    ColourSwatch::pickOnPress(watched, event, ui->label_colour, this, &m_pickedColour);
    return false;
}

void LinkProperties::on_buttonBox_accepted()
{
    m_label = ui->lineEdit->text();
    m_datatype = ui->lineEdit_2->text();
    m_description = ui->textEdit->toPlainText();
    m_backgroundColour = m_pickedColour;
    accept();
}

void LinkProperties::on_buttonBox_rejected()
{
    reject();
}
