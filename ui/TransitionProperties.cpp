#include "TransitionProperties.h"
#include "ui_TransitionProperties.h"

#include "DiagramFont.h"

#include <QApplication>

#include "ColourSwatch.h"
#include "SizeFields.h"

TransitionProperties::TransitionProperties(QWidget *parent)
    : QDialog(parent), ui(new Ui::TransitionProperties), m_metrics(textMetrics(DiagramFont::font()))
{
    ui->setupUi(this);
    m_size = std::make_unique<SizeFields>(ui->spinBox, ui->spinBox_2, SizeFields::transitionMinimum());
    ui->label_colour->installEventFilter(this);
    clearFlags();
}

TransitionProperties::~TransitionProperties()
{
    delete ui;
}

void TransitionProperties::autoSize()
{
    autoSize(m_metrics);
}

void TransitionProperties::autoSize(const TextMetrics &metrics)
{
    const QSize size = transitionAutoSize(m_label, m_condition, m_action, metrics);
    m_autoWidth = size.width();
    m_autoHeight = size.height();
}

void TransitionProperties::refresh()
{
    ui->tabWidget->setCurrentIndex(0);
    m_size->show(QSize(m_width, m_height));
    ui->lineEdit->setText(m_label);
    ui->lineEdit_2->setPlainText(m_condition);
    ui->textEdit->setPlainText(m_action);
    ui->textEdit_2->setPlainText(m_description);
    ColourSwatch::paint(ui->label_colour, m_backgroundColour);
}

bool TransitionProperties::eventFilter(QObject *watched, QEvent *event)
{
    ColourSwatch::pickOnPress(watched, event, ui->label_colour, this, &m_pickedColour);
    return false;
}

void TransitionProperties::on_pushButton_2_clicked()
{
    // Sizes the editors' current texts; the fields change only on accept.
    const QSize size = transitionAutoSize(ui->lineEdit->text(), ui->lineEdit_2->toPlainText(),
                                          ui->textEdit->toPlainText(), m_metrics);
    m_autoWidth = size.width();
    m_autoHeight = size.height();
    m_size->showAuto(size);
}

void TransitionProperties::on_buttonBox_accepted()
{
    if (ui->lineEdit->text() != m_label) {
        m_label = ui->lineEdit->text();
        m_textEdited = true;
    }
    if (ui->lineEdit_2->toPlainText() != m_condition) {
        m_condition = ui->lineEdit_2->toPlainText();
        m_textEdited = true;
    }
    const QString action = ui->textEdit->toPlainText();
    if (action != m_action) {
        m_action = action;
        m_textEdited = true;
    }
    m_description = ui->textEdit_2->toPlainText();

    // A changed text may need more room than the item has (SizeFields::accepted).
    if (m_textEdited)
        autoSize();
    const QSize size = m_size->accepted(QSize(m_width, m_height), m_textEdited,
                                        QSize(m_autoWidth, m_autoHeight));
    m_width = size.width();
    m_height = size.height();
    m_backgroundColour = m_pickedColour;
    clearFlags();
    accept();
}

void TransitionProperties::on_buttonBox_rejected()
{
    clearFlags();
    reject();
}

void TransitionProperties::clearFlags()
{
    m_textEdited = false;
}
