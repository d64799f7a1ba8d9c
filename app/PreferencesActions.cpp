#include "PreferencesActions.h"

#include "Autosaver.h"
#include "HelpActions.h"
#include "PreferencesDialog.h"

#include <QAction>
#include <QMenu>

PreferencesActions::PreferencesActions(QWidget *window, QMenu *menu, Autosaver *autosaver,
                                       QAction *autosaveAction, QAction *checkAtStartAction)
    : QObject(window),
      m_window(window),
      m_autosaver(autosaver),
      m_autosaveAction(autosaveAction),
      m_checkAtStartAction(checkAtStartAction),
      m_preferences(new QAction(QStringLiteral("Pr&eferences..."), this))
{
    m_preferences->setObjectName(QStringLiteral("actionPreferences"));
    m_preferences->setShortcut(QKeySequence::Preferences);
    m_preferences->setMenuRole(QAction::PreferencesRole);
    m_preferences->setStatusTip(QStringLiteral("Choose how often autosave runs and whether updates are checked"));
    menu->addSeparator();
    menu->addAction(m_preferences);
    connect(m_preferences, &QAction::triggered, this, &PreferencesActions::edit);
}

bool PreferencesActions::edit()
{
    // Made on first use, then kept with the window.
    if (!m_dialog)
        m_dialog = new PreferencesDialog(m_window);
    PreferenceValues now;
    now.autosave = m_autosaver->isEnabled();
    now.autosaveSeconds = m_autosaver->intervalSeconds();
    now.checkForUpdatesAtStart = HelpActions::checkAtStart();
    m_dialog->setValues(now);
    if (m_dialog->exec() != QDialog::Accepted)
        return false;
    const PreferenceValues chosen = m_dialog->values();
    // An interval the settings held and autosave refused is replaced by the
    // one accepted here, even when it was left as shown.
    if (chosen.autosaveSeconds != now.autosaveSeconds || !m_autosaver->settingsProblem().isEmpty())
        m_autosaver->setIntervalSeconds(chosen.autosaveSeconds);
    // The actions store the choices and start or stop what they switch.
    m_autosaveAction->setChecked(chosen.autosave);
    m_checkAtStartAction->setChecked(chosen.checkForUpdatesAtStart);
    return true;
}
