#include "LinkProperties.h"
#include "ui_LinkProperties.h"

LinkProperties::LinkProperties(QWidget *parent)
    : LabelledPropertiesDialog(parent), ui(new Ui::LinkProperties)
{
    ui->setupUi(this);
    setEditors({ui->tabWidget, ui->lineEdit, ui->lineEdit_2, ui->textEdit, ui->label_colour});
}

LinkProperties::~LinkProperties()
{
    delete ui;
}
