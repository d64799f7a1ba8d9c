#include "SimulationSettingsDialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

SimulationSettingsDialog::SimulationSettingsDialog(const SimulationSettings &settings, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Simulation Settings"));
    setObjectName(QStringLiteral("simulationSettingsDialog"));
    auto *layout = new QVBoxLayout(this);
    auto *includeLabel = new QLabel(QStringLiteral("&Include folders, one a line (relative ones to the project's folder), "
                                                   "searched for the headers the machines include:"),
                                    this);
    includeLabel->setWordWrap(true);
    m_include = new QPlainTextEdit(settings.includePath.join(QLatin1Char('\n')), this);
    m_include->setObjectName(QStringLiteral("includeFolders"));
    m_include->setLineWrapMode(QPlainTextEdit::NoWrap);
    includeLabel->setBuddy(m_include);
    auto *preludeLabel = new QLabel(QStringLiteral("&Prelude: C compiled before the machine (defines, prototypes, "
                                                   "small fakes of drivers):"),
                                    this);
    preludeLabel->setWordWrap(true);
    m_prelude = new QPlainTextEdit(settings.prelude, this);
    m_prelude->setObjectName(QStringLiteral("prelude"));
    m_prelude->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_prelude->setLineWrapMode(QPlainTextEdit::NoWrap);
    preludeLabel->setBuddy(m_prelude);
    auto *note = new QLabel(QStringLiteral("Both are the project's own code: they are used only when you agree to run "
                                           "the project's C, and the compiler reads the folders read-only in the "
                                           "sandbox. Functions the machine calls that nothing defines are stubbed."),
                            this);
    note->setWordWrap(true);
    m_problem = new QLabel(this);
    m_problem->setStyleSheet(QStringLiteral("color: #b00020"));
    m_problem->hide();
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &SimulationSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SimulationSettingsDialog::reject);
    layout->addWidget(includeLabel);
    layout->addWidget(m_include, 1);
    layout->addWidget(preludeLabel);
    layout->addWidget(m_prelude, 3);
    layout->addWidget(note);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
    resize(560, 480);
}

SimulationSettings SimulationSettingsDialog::settings() const
{
    SimulationSettings result;
    for (const QString &line : m_include->toPlainText().split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            result.includePath << line.trimmed();
    }
    result.prelude = m_prelude->toPlainText();
    if (result.prelude.trimmed().isEmpty())
        result.prelude.clear();
    return result;
}

void SimulationSettingsDialog::accept()
{
    if (settings().includePath.size() > SimulationSettings::MaxIncludeFolders) {
        m_problem->setText(QStringLiteral("At most %1 include folders.").arg(SimulationSettings::MaxIncludeFolders));
        m_problem->show();
        return;
    }
    QDialog::accept();
}
