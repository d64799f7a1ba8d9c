#include "MemoryProperties.h"
#include "ui_MemoryProperties.h"

MemoryProperties::MemoryProperties(QWidget *parent)
    : LabelledPropertiesDialog(parent), ui(new Ui::MemoryProperties)
{
    ui->setupUi(this);
    setEditors({ui->tabWidget, ui->lineEdit, ui->lineEdit_2, ui->textEdit, ui->label_colour});
}

MemoryProperties::~MemoryProperties()
{
    delete ui;
}
