#include "MemoryProperties.h"
#include "ui_MemoryProperties.h"

#include "ColourSwatch.h"

MemoryProperties::MemoryProperties(QWidget *parent)
    : QDialog(parent), ui(new Ui::MemoryProperties)
{
    ui->setupUi(this);
    ui->label_colour->installEventFilter(this);
}

MemoryProperties::~MemoryProperties()
{
    delete ui;
}

void MemoryProperties::refresh()
{
    ui->tabWidget->setCurrentIndex(0);
    ui->lineEdit->setText(m_label);
    ui->lineEdit_2->setText(m_datatype);
    ui->textEdit->setPlainText(m_description);
    ColourSwatch::paint(ui->label_colour, m_backgroundColour);
}

bool MemoryProperties::eventFilter(QObject *watched, QEvent *event)
{
    ColourSwatch::pickOnPress(watched, event, ui->label_colour, this, &m_pickedColour);
    return false;
}

void MemoryProperties::on_buttonBox_accepted()
{
    m_label = ui->lineEdit->text();
    m_datatype = ui->lineEdit_2->text();
    m_description = ui->textEdit->toPlainText();
    m_backgroundColour = m_pickedColour;
    accept();
}

void MemoryProperties::on_buttonBox_rejected()
{
    reject();
}
