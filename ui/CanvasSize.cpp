#include "CanvasSize.h"
#include "ui_CanvasSize.h"

#include "Prompter.h"

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
    const int width = ui->widthBox->value();
    const int height = ui->heightBox->value();
    if (width < m_required.width() || height < m_required.height()) {
        Prompter::information(this, QStringLiteral("Kestro"),
                              QStringLiteral("The diagram's items cover %1 x %2 pixels; the canvas "
                                             "cannot be smaller than that.")
                                  .arg(m_required.width())
                                  .arg(m_required.height()));
        return;
    }
    m_width = ui->widthBox->value();
    m_height = ui->heightBox->value();
    accept();
}

void CanvasSize::on_buttonBox_rejected()
{
    reject();
}
