#pragma once

// Edit > Preferences: whether autosave runs and how often, and whether the
// update check runs at start. The window presets the values, runs the
// dialog and applies values() once it is accepted.
//
// The interval is shown in whole minutes. OK refuses one outside
// MinMinutes..MaxMinutes with a message that names the range and keeps the
// dialog open. An interval left as it was shown keeps the stored value,
// which the settings file may give in seconds that are no whole minute.

#include <QDialog>

class QCheckBox;
class QSpinBox;

struct PreferenceValues
{
    bool autosave = true;
    double autosaveSeconds = 60.0;
    bool checkForUpdatesAtStart = true;
};

class PreferencesDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int MinMinutes = 1;
    static constexpr int MaxMinutes = 24 * 60;

    explicit PreferencesDialog(QWidget *parent = nullptr);

    void setValues(const PreferenceValues &values);
    // What the user chose; the values set when the dialog was not accepted.
    PreferenceValues values() const { return m_values; }

    // OK: takes the values when the interval is in range, else says why not.
    void accept() override;

private:
    QCheckBox *m_autosave;
    QSpinBox *m_minutes;
    QCheckBox *m_updateCheck;
    PreferenceValues m_values;
    int m_shownMinutes = MinMinutes;
};
