#include "ProcessProperties.h"
#include "ui_ProcessProperties.h"

#include "ColourSwatch.h"
#include "LabelEntry.h"
#include "SizeFields.h"

ProcessProperties::ProcessProperties(QWidget *parent)
    : QDialog(parent), ui(new Ui::ProcessProperties)
{
    ui->setupUi(this);
    m_size = std::make_unique<SizeFields>(ui->spinBox, ui->spinBox_2, SizeFields::processMinimum());
    ui->label_colour->installEventFilter(this);
}

ProcessProperties::~ProcessProperties()
{
    delete ui;
}

void ProcessProperties::refresh()
{
    ui->tabWidget->setCurrentIndex(0);
    LabelEntry::clearRefusal(ui->lineEdit);
    ui->lineEdit->setText(m_label);
    ui->lineEdit_2->setText(m_code);
    ui->textEdit->setPlainText(m_description);
    m_size->show(QSize(m_width, m_height));
    if (m_shape == 1)
        ui->radioButton->setChecked(true);
    else
        ui->radioButton_2->setChecked(true);
    ColourSwatch::paint(ui->label_colour, m_backgroundColour);
    ui->label_style->setVisible(m_codeStyleShown);
    ui->comboBox_style->setVisible(m_codeStyleShown);
    const int style = m_codeStyle == QLatin1String("classic") ? 1 : m_codeStyle == QLatin1String("instance") ? 2 : 0;
    // A stored text of a style this version does not know stays as it was.
    ui->comboBox_style->setCurrentIndex(style == 0 && !m_codeStyle.isEmpty() ? -1 : style);
}

bool ProcessProperties::eventFilter(QObject *watched, QEvent *event)
{
    ColourSwatch::pickOnPress(watched, event, ui->label_colour, this, &m_pickedColour);
    return false;
}

void ProcessProperties::on_buttonBox_accepted()
{
    // The label names the item's tree node: a refused one keeps the dialog
    // open and the fields as they were.
    QString label;
    if (!LabelEntry::take(this, ui->lineEdit, m_labelCheck, &label))
        return;
    m_label = label;
    m_code = ui->lineEdit_2->text();
    m_description = ui->textEdit->toPlainText();
    const QSize size = m_size->accepted(QSize(m_width, m_height), false, QSize());
    m_width = size.width();
    m_height = size.height();
    m_shape = ui->radioButton->isChecked() ? 1 : 2;
    const int style = ui->comboBox_style->currentIndex();
    if (style >= 0)
        m_codeStyle = style == 1 ? QStringLiteral("classic") : style == 2 ? QStringLiteral("instance") : QString();
    m_backgroundColour = m_pickedColour;
    accept();
}

void ProcessProperties::on_buttonBox_rejected()
{
    reject();
}
