#include "ProcessProperties.h"
#include "ui_ProcessProperties.h"

#include "ColourSwatch.h"

ProcessProperties::ProcessProperties(QWidget *parent)
    : QDialog(parent), ui(new Ui::ProcessProperties)
{
    ui->setupUi(this);
    ui->label_colour->installEventFilter(this);
}

ProcessProperties::~ProcessProperties()
{
    delete ui;
}

void ProcessProperties::refresh()
{
    ui->tabWidget->setCurrentIndex(0);
    ui->lineEdit->setText(m_label);
    ui->lineEdit_2->setText(m_code);
    ui->textEdit->setPlainText(m_description);
    ui->spinBox->setValue(m_width);
    ui->spinBox_2->setValue(m_height);
    if (m_shape == 1)
        ui->radioButton->setChecked(true);
    else
        ui->radioButton_2->setChecked(true);
    ColourSwatch::paint(ui->label_colour, m_backgroundColour);
}

bool ProcessProperties::eventFilter(QObject *watched, QEvent *event)
{
    ColourSwatch::pickOnPress(watched, event, ui->label_colour, this, &m_pickedColour);
    return false;
}

void ProcessProperties::on_buttonBox_accepted()
{
    m_label = ui->lineEdit->text();
    m_code = ui->lineEdit_2->text();
    m_description = ui->textEdit->toPlainText();
    m_width = ui->spinBox->value();
    m_height = ui->spinBox_2->value();
    m_shape = ui->radioButton->isChecked() ? 1 : 2;
    m_backgroundColour = m_pickedColour;
    accept();
}

void ProcessProperties::on_buttonBox_rejected()
{
    reject();
}
