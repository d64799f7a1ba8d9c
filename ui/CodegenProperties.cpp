#include "CodegenProperties.h"
#include "ui_CodegenProperties.h"

#include "Prompter.h"

CodegenProperties::CodegenProperties(QWidget *parent)
    : QDialog(parent), m_ui(new Ui::CodegenProperties)
{
    m_ui->setupUi(this);
}

CodegenProperties::~CodegenProperties() = default;

void CodegenProperties::refresh()
{
    m_ui->lineEdit->setText(m_author);
    m_ui->lineEdit_2->setText(m_organization);
    m_ui->lineEdit_3->setText(m_outputDirectory);
    m_ui->doubleSpinBox->setValue(m_version);
    m_ui->checkBox->setChecked(m_compileCheck);
    const bool known = m_projectStyle.isEmpty() || m_projectStyle == QLatin1String("classic")
                       || m_projectStyle == QLatin1String("instance");
    m_ui->comboBox_style->setCurrentIndex(!known ? -1 : m_projectStyle == QLatin1String("instance") ? 1 : 0);
    // The combo box lists uint32_t (also for nothing stored) first.
    m_ui->comboBox_counter->setCurrentIndex(m_counterType.isEmpty() ? 0 : m_ui->comboBox_counter->findText(m_counterType));
}

void CodegenProperties::on_toolButton_clicked()
{
    // The chooser reopens where the user last picked a directory; before
    // any pick it starts at the current output directory.
    FileRequest request;
    request.directory = m_lastDirectory.isEmpty() ? m_outputDirectory : m_lastDirectory;
    const QString chosen = Prompter::current()->existingDirectory(nullptr, request);
    if (chosen.isEmpty())
        return;
    m_lastDirectory = chosen;
    m_outputDirectory = chosen;
    m_ui->lineEdit_3->setText(chosen);
}

void CodegenProperties::on_buttonBox_accepted()
{
    m_author = m_ui->lineEdit->text();
    m_organization = m_ui->lineEdit_2->text();
    m_version = m_ui->doubleSpinBox->value();
    m_compileCheck = m_ui->checkBox->isChecked();
    // Classic stays unstored where nothing was stored, so older files are unchanged.
    const int style = m_ui->comboBox_style->currentIndex();
    if (style == 1)
        m_projectStyle = QStringLiteral("instance");
    else if (style == 0 && m_projectStyle != QLatin1String("classic"))
        m_projectStyle.clear();
    // The default, uint32_t, stays unstored unless it was stored; an unknown
    // text stays until a type is chosen.
    const int counter = m_ui->comboBox_counter->currentIndex();
    if (counter > 0)
        m_counterType = m_ui->comboBox_counter->currentText();
    else if (counter == 0 && m_counterType != QLatin1String("uint32_t"))
        m_counterType.clear();
    // A path typed into the field counts as much as a chosen one.
    m_outputDirectory = m_ui->lineEdit_3->text();
}

void CodegenProperties::on_buttonBox_rejected()
{
    // Nothing to take over; the caller ignores the values after a Cancel.
}
