#include "CanvasSize.h"
#include "ui_CanvasSize.h"

CanvasSize::CanvasSize(QWidget *parent)
    : QDialog(parent), ui(new Ui::CanvasSize)
{
    ui->setupUi(this);
}

CanvasSize::~CanvasSize()
{
    delete ui;
}

void CanvasSize::setCanvasWidth(int width)
{
    m_width = width;
    ui->widthBox->setValue(width);
}

void CanvasSize::setCanvasHeight(int height)
{
    m_height = height;
    ui->heightBox->setValue(height);
}

void CanvasSize::on_buttonBox_accepted()
{
    m_width = ui->widthBox->value();
    m_height = ui->heightBox->value();
    accept();
}

void CanvasSize::on_buttonBox_rejected()
{
    reject();
}
