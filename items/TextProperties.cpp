#include "TextProperties.h"
#include "ui_TextProperties.h"

#include <algorithm>

namespace {
const int MaxWidth = 850;
const int MaxHeight = 500;
} // namespace

TextProperties::TextProperties(QWidget *parent)
    : QDialog(parent), ui(new Ui::TextProperties)
{
    ui->setupUi(this);
    clearFlags();
}

TextProperties::~TextProperties()
{
    delete ui;
}

void TextProperties::autoSize()
{
    autoSize(activeWindowMetrics());
}

void TextProperties::autoSize(const TextMetrics &metrics)
{
    const QSize size = textAutoSize(m_action, metrics);
    m_autoWidth = size.width();
    m_autoHeight = size.height();
}

void TextProperties::refresh()
{
    ui->tabWidget->setCurrentIndex(0);
    ui->spinBox->setValue(m_width);
    ui->spinBox_2->setValue(m_height);
    ui->textEdit->setPlainText(m_action);
    // An unknown type leaves the combo box as it is.
    if (m_textType >= 0 && m_textType < ui->comboBox->count())
        ui->comboBox->setCurrentIndex(m_textType);
}

void TextProperties::on_pushButton_clicked()
{
    // Sizes the editor's current text; the fields change only on accept.
    const QSize size = textAutoSize(ui->textEdit->toPlainText(), activeWindowMetrics());
    m_autoWidth = size.width();
    m_autoHeight = size.height();
    ui->spinBox->setValue(m_autoWidth);
    ui->spinBox_2->setValue(m_autoHeight);
}

void TextProperties::on_buttonBox_accepted()
{
    m_textType = ui->comboBox->currentIndex();
    const QString text = ui->textEdit->toPlainText();
    if (text != m_action) {
        m_action = text;
        m_textEdited = true;
    }
    m_sizeEdited = ui->spinBox->value() != m_width || ui->spinBox_2->value() != m_height;

    // A changed text wins over typed sizes.
    if (m_textEdited) {
        autoSize();
        m_width = m_autoWidth;
        m_height = m_autoHeight;
    } else {
        m_width = std::min(ui->spinBox->value(), MaxWidth);
        m_height = std::min(ui->spinBox_2->value(), MaxHeight);
    }
    clearFlags();
    accept();
}

void TextProperties::on_buttonBox_rejected()
{
    clearFlags();
    reject();
}

void TextProperties::clearFlags()
{
    m_sizeEdited = false;
    m_textEdited = false;
}
