#include "StateProperties.h"
#include "ui_StateProperties.h"

#include "ColourSwatch.h"
#include "DiagramFont.h"
#include "ItemLayout.h"
#include "LabelEntry.h"
#include "SizeFields.h"
#include "SubMachineLevels.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>

StateProperties::StateProperties(QWidget *parent)
    : QDialog(parent), ui(new Ui::StateProperties), m_metrics(textMetrics(DiagramFont::font()))
{
    ui->setupUi(this);
    m_size = std::make_unique<SizeFields>(ui->spinBox, ui->spinBox_2, SizeFields::stateMinimum());
    ui->verticalLayout_description->setAlignment(Qt::AlignTop);
    ui->label_colour->installEventFilter(this);
    connect(ui->checkBox_subMachine, &QCheckBox::toggled, ui->checkBox_resume, &QWidget::setEnabled);
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

void StateProperties::setInitialLocked(bool locked, const QString &initialLabel)
{
    ui->checkBox->setCheckable(!locked);
    m_initialLocked = locked;
    m_initialLabel = locked ? initialLabel : QString();
}

void StateProperties::showInitialBoxLocked(bool locked)
{
    ui->checkBox->setCheckable(!locked);
    ui->checkBox->setEnabled(!locked);
    if (!locked)
        ui->checkBox->setToolTip(QString());
    else if (m_initialLabel.isEmpty())
        ui->checkBox->setToolTip(QStringLiteral("Another state is already the initial state of this machine."));
    else
        ui->checkBox->setToolTip(QStringLiteral("\"%1\" is already the initial state of this machine. "
                                                "Clear its Set Initial State box first.")
                                     .arg(m_initialLabel));
}

void StateProperties::setSubMachineAllowed(bool allowed, const QString &why)
{
    m_subMachineRefusal = allowed ? QString() : why;
}

void StateProperties::showSubMachineBoxes()
{
    const bool holds = !m_subMachine.isEmpty();
    ui->checkBox_subMachine->setChecked(holds);
    ui->checkBox_subMachine->setEnabled(holds || m_subMachineRefusal.isEmpty());
    ui->checkBox_subMachine->setToolTip(holds || m_subMachineRefusal.isEmpty()
                                            ? QStringLiteral("The state holds a state machine of its own, drawn on a diagram below it")
                                            : m_subMachineRefusal);
    ui->checkBox_resume->setChecked(resumesSubMachine(m_subMachine));
    ui->checkBox_resume->setEnabled(holds);
}

void StateProperties::autoSize()
{
    autoSize(m_metrics);
}

void StateProperties::autoSize(const TextMetrics &metrics)
{
    const QSize size = stateAutoSize(m_label, stateBodyText(m_entryAction, m_action, m_exitAction), metrics);
    m_autoWidth = size.width();
    m_autoHeight = size.height();
}

void StateProperties::refresh()
{
    ui->tabWidget->setCurrentIndex(0);
    m_size->show(QSize(m_width, m_height));
    LabelEntry::clearRefusal(ui->lineEdit_2);
    ui->lineEdit_2->setText(m_label);
    ui->textEdit->setPlainText(m_action);
    ui->textEdit_entry->setPlainText(m_entryAction);
    ui->textEdit_exit->setPlainText(m_exitAction);
    ui->textEdit_2->setPlainText(m_initialCondition);
    ui->textEdit_3->setPlainText(m_initialDescription);
    ui->textEdit_4->setPlainText(m_description);
    ColourSwatch::paint(ui->label_colour, m_backgroundColour);
    showSubMachineBoxes();

    // An initial state is never locked out of its own box; a locked box
    // (another state is initial) also locks the initial transition's texts.
    const bool initial = m_initial;
    if (initial) {
        showInitialBoxLocked(false);
        ui->checkBox->setChecked(true);
        setInitialEditorsEnabled(true);
    } else if (m_initialLocked) {
        showInitialBoxLocked(true);
        setInitialEditorsEnabled(false);
    } else {
        showInitialBoxLocked(false);
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
    const QString body = stateBodyText(ui->textEdit_entry->toPlainText(), ui->textEdit->toPlainText(),
                                       ui->textEdit_exit->toPlainText());
    const QSize size = stateAutoSize(ui->lineEdit_2->text(), body, m_metrics);
    m_autoWidth = size.width();
    m_autoHeight = size.height();
    m_size->showAuto(size);
}

void StateProperties::on_buttonBox_accepted()
{
    // A refused label keeps the dialog open and the fields as they were.
    QString label;
    if (!LabelEntry::take(this, ui->lineEdit_2, m_labelCheck, &label))
        return;
    if (label != m_label) {
        m_label = label;
        m_textEdited = true;
    }
    const QString action = ui->textEdit->toPlainText();
    if (action != m_action) {
        m_action = action;
        m_textEdited = true;
    }
    const QString entry = ui->textEdit_entry->toPlainText();
    if (entry != m_entryAction) {
        m_entryAction = entry;
        m_textEdited = true;
    }
    const QString exit = ui->textEdit_exit->toPlainText();
    if (exit != m_exitAction) {
        m_exitAction = exit;
        m_textEdited = true;
    }
    m_initialCondition = ui->textEdit_2->toPlainText();
    m_initialDescription = ui->textEdit_3->toPlainText();
    m_description = ui->textEdit_4->toPlainText();
    if (!ui->checkBox_subMachine->isChecked())
        m_subMachine.clear();
    else
        m_subMachine = QLatin1String(ui->checkBox_resume->isChecked() ? SubMachineResume : SubMachineStart);

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
    m_textEdited = false;
}
