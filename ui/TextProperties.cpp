#include "TextProperties.h"
#include "ui_TextProperties.h"

#include "DiagramFont.h"

#include <QApplication>

#include "SizeFields.h"

TextProperties::TextProperties(QWidget *parent)
    : QDialog(parent), ui(new Ui::TextProperties), m_metrics(textMetrics(DiagramFont::font()))
{
    ui->setupUi(this);
    m_size = std::make_unique<SizeFields>(ui->spinBox, ui->spinBox_2, SizeFields::textMinimum());
    clearFlags();
}

TextProperties::~TextProperties()
{
    delete ui;
}

void TextProperties::autoSize()
{
    autoSize(m_metrics);
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
    m_size->show(QSize(m_width, m_height));
    ui->textEdit->setPlainText(m_action);
    // An unknown type leaves the combo box as it is.
    if (m_textType >= 0 && m_textType < ui->comboBox->count())
        ui->comboBox->setCurrentIndex(m_textType);
}

void TextProperties::on_pushButton_clicked()
{
    // Sizes the editor's current text; the fields change only on accept.
    const QSize size = textAutoSize(ui->textEdit->toPlainText(), m_metrics);
    m_autoWidth = size.width();
    m_autoHeight = size.height();
    m_size->showAuto(size);
}

void TextProperties::on_buttonBox_accepted()
{
    m_textType = ui->comboBox->currentIndex();
    const QString text = ui->textEdit->toPlainText();
    if (text != m_action) {
        m_action = text;
        m_textEdited = true;
    }

    // A changed text may need more room than the item has (SizeFields::accepted).
    if (m_textEdited)
        autoSize();
    const QSize size = m_size->accepted(QSize(m_width, m_height), m_textEdited,
                                        QSize(m_autoWidth, m_autoHeight));
    m_width = size.width();
    m_height = size.height();
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
    m_textEdited = false;
}
