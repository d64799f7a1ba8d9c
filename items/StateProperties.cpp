#include "StateProperties.h"
#include "ui_StateProperties.h"

#include "ColourSwatch.h"

#include <QPushButton>

#include <algorithm>

namespace {
const int MaxWidth = 850;
const int MaxHeight = 500;
} // namespace

StateProperties::StateProperties(QWidget *parent)
    : QDialog(parent), ui(new Ui::StateProperties)
{
    ui->setupUi(this);
    ui->verticalLayout_description->setAlignment(Qt::AlignTop);
    ui->label_colour->installEventFilter(this);
    clearFlags();
}

StateProperties::~StateProperties()
{
    delete ui;
}

void StateProperties::setInitialState(bool initial)
{
    m_initial = initial;
    ui->checkBox->setChecked(initial);
}

void StateProperties::setInitialLocked(bool locked)
{
    ui->checkBox->setCheckable(!locked);
    m_initialLocked = locked;
}

void StateProperties::autoSize()
{
    autoSize(activeWindowMetrics());
}

void StateProperties::autoSize(const TextMetrics &metrics)
{
    const QSize size = stateAutoSize(m_label, m_action, metrics);
    m_autoWidth = size.width();
    m_autoHeight = size.height();
}

void StateProperties::refresh()
{
    ui->tabWidget->setCurrentIndex(0);
    ui->spinBox->setValue(m_width);
    ui->spinBox_2->setValue(m_height);
    ui->lineEdit_2->setText(m_label);
    ui->textEdit->setPlainText(m_action);
    ui->textEdit_2->setPlainText(m_initialCondition);
    ui->textEdit_3->setPlainText(m_initialDescription);
    ui->textEdit_4->setPlainText(m_description);
    ColourSwatch::paint(ui->label_colour, m_backgroundColour);

    // An initial state is never locked out of its own box; a locked box
    // (another state is initial) also locks the initial transition's texts.
    const bool initial = m_initial;
    if (initial) {
        ui->checkBox->setCheckable(true);
        ui->checkBox->setChecked(true);
        setInitialEditorsEnabled(true);
    } else if (m_initialLocked) {
        ui->checkBox->setCheckable(false);
        setInitialEditorsEnabled(false);
    } else {
        ui->checkBox->setCheckable(true);
        ui->checkBox->setChecked(false);
        setInitialEditorsEnabled(true);
    }
    m_initial = initial;
    m_initialAtRefresh = initial;
}

bool StateProperties::eventFilter(QObject *watched, QEvent *event)
{
    ColourSwatch::pickOnPress(watched, event, ui->label_colour, this, &m_pickedColour);
    return false;
}

void StateProperties::on_checkBox_stateChanged(int)
{
    m_initial = ui->checkBox->isChecked();
}

void StateProperties::on_pushButton_3_clicked()
{
    // Sizes the editors' current texts; the fields change only on accept.
    const QSize size = stateAutoSize(ui->lineEdit_2->text(), ui->textEdit->toPlainText(),
                                     activeWindowMetrics());
    m_autoWidth = size.width();
    m_autoHeight = size.height();
    ui->spinBox->setValue(m_autoWidth);
    ui->spinBox_2->setValue(m_autoHeight);
}

void StateProperties::on_buttonBox_accepted()
{
    if (ui->lineEdit_2->text() != m_label) {
        m_label = ui->lineEdit_2->text();
        m_textEdited = true;
    }
    const QString action = ui->textEdit->toPlainText();
    if (action != m_action) {
        m_action = action;
        m_textEdited = true;
    }
    m_sizeEdited = ui->spinBox->value() != m_width || ui->spinBox_2->value() != m_height;
    m_initialCondition = ui->textEdit_2->toPlainText();
    m_initialDescription = ui->textEdit_3->toPlainText();
    m_description = ui->textEdit_4->toPlainText();

    // A changed text wins over typed sizes.
    if (m_textEdited) {
        autoSize();
        m_width = m_autoWidth;
        m_height = m_autoHeight;
    } else {
        m_width = std::min(ui->spinBox->value(), MaxWidth);
        m_height = std::min(ui->spinBox_2->value(), MaxHeight);
    }
    m_backgroundColour = m_pickedColour;
    clearFlags();
    accept();
}

void StateProperties::on_buttonBox_rejected()
{
    // Toggling the box during this run must not survive a cancel.
    m_initial = m_initialAtRefresh;
    clearFlags();
    reject();
}

void StateProperties::setInitialEditorsEnabled(bool enabled)
{
    ui->textEdit_2->setEnabled(enabled);
    ui->textEdit_3->setEnabled(enabled);
}

void StateProperties::clearFlags()
{
    m_sizeEdited = false;
    m_textEdited = false;
}
