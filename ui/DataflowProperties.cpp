#include "DataflowProperties.h"
#include "ui_DataflowProperties.h"

DataflowProperties::DataflowProperties(QWidget *parent)
    : LabelledPropertiesDialog(parent), ui(new Ui::DataflowProperties)
{
    ui->setupUi(this);
    setEditors({ui->tabWidget, ui->lineEdit, ui->lineEdit_2, ui->textEdit, ui->label_colour});
}

DataflowProperties::~DataflowProperties()
{
    delete ui;
}
