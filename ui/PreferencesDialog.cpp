#include "PreferencesDialog.h"

#include "Prompter.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QSpinBox>
#include <QVBoxLayout>

PreferencesDialog::PreferencesDialog(QWidget *parent)
    : QDialog(parent),
      m_autosave(new QCheckBox(QStringLiteral("Write a recovery copy of unsaved changes"), this)),
      m_minutes(new QSpinBox(this)),
      m_updateCheck(new QCheckBox(QStringLiteral("Check for updates at start"), this))
{
    setWindowTitle(QStringLiteral("Preferences"));
    m_autosave->setObjectName(QStringLiteral("autosaveBox"));
    m_minutes->setObjectName(QStringLiteral("intervalBox"));
    m_updateCheck->setObjectName(QStringLiteral("updateCheckBox"));
    // 0 can be entered, so that OK can say what is allowed instead of the
    // box quietly putting its last value back.
    m_minutes->setRange(0, MaxMinutes);
    m_minutes->setSuffix(QStringLiteral(" min"));
    m_minutes->setToolTip(QStringLiteral("From %1 to %2 minutes").arg(MinMinutes).arg(MaxMinutes));

    auto *autosave = new QGroupBox(QStringLiteral("Autosave"), this);
    auto *autosaveLayout = new QFormLayout(autosave);
    autosaveLayout->addRow(m_autosave);
    autosaveLayout->addRow(QStringLiteral("&Interval:"), m_minutes);
    auto *updates = new QGroupBox(QStringLiteral("Updates"), this);
    auto *updatesLayout = new QVBoxLayout(updates);
    updatesLayout->addWidget(m_updateCheck);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PreferencesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PreferencesDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(autosave);
    layout->addWidget(updates);
    layout->addWidget(buttons);
}

void PreferencesDialog::setValues(const PreferenceValues &values)
{
    m_values = values;
    m_shownMinutes = qBound(MinMinutes, qRound(values.autosaveSeconds / 60.0), MaxMinutes);
    m_autosave->setChecked(values.autosave);
    m_minutes->setValue(m_shownMinutes);
    m_updateCheck->setChecked(values.checkForUpdatesAtStart);
}

void PreferencesDialog::accept()
{
    const int minutes = m_minutes->value();
    if (minutes < MinMinutes || minutes > MaxMinutes) {
        MessageRequest refusal;
        refusal.icon = QMessageBox::Warning;
        refusal.title = windowTitle();
        refusal.text = QStringLiteral("The autosave interval must be from %1 to %2 minutes.")
                           .arg(MinMinutes)
                           .arg(MaxMinutes);
        refusal.informativeText = QStringLiteral("%1 minutes is not an interval autosave can use.").arg(minutes);
        Prompter::current()->message(this, refusal);
        m_minutes->setFocus();
        m_minutes->selectAll();
        return;
    }
    m_values.autosave = m_autosave->isChecked();
    if (minutes != m_shownMinutes)
        m_values.autosaveSeconds = minutes * 60.0;
    m_values.checkForUpdatesAtStart = m_updateCheck->isChecked();
    QDialog::accept();
}
