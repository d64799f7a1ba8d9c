#pragma once

// Run > Simulation Settings...: the project's include folders for the
// simulation (one a line, relative ones to the project's folder) and its
// prelude, C compiled before the machine. The settings go back only on OK.

#include "SimulationSettings.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;

class SimulationSettingsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SimulationSettingsDialog(const SimulationSettings &settings, QWidget *parent = nullptr);

    // What the fields say: blank lines and surrounding blanks dropped.
    SimulationSettings settings() const;

    QPlainTextEdit *includeEdit() const { return m_include; }
    QPlainTextEdit *preludeEdit() const { return m_prelude; }

    void accept() override;

private:
    QPlainTextEdit *m_include = nullptr;
    QPlainTextEdit *m_prelude = nullptr;
    QLabel *m_problem = nullptr;
};
