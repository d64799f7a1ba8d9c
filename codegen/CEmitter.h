#pragma once

// Builds the text of the C header and source file of one state machine.
// A pure function of a MachineDescription and the module properties: no
// files, no dialogs, no settings. The caller writes the texts and shows the
// design errors.

#include "MachineDescription.h"

#include <QDate>
#include <QString>
#include <QStringList>

struct ModuleProperties
{
    QString projectName;
    QString author;
    QString organization;
    double version = 1.0;
    QDate date = generationDate();

    // The date stamped into generated files: today's local date, or the UTC
    // date of SOURCE_DATE_EPOCH when that variable holds a number of seconds
    // (reproducible builds).
    static QDate generationDate();
};

struct GeneratedModule
{
    QString moduleName;
    QString headerFileName;
    QString sourceFileName;
    QString header;
    QString source;
    QStringList errors;     // design errors, in the order they were found
};

class CEmitter
{
public:
    static GeneratedModule generate(const MachineDescription &machine, const ModuleProperties &properties);

    // Naming rules for one machine.
    static QString moduleName(const QString &processLabel);          // blanks -> "_"
    static QString guardMacro(const QString &module);                // _MODULE_H
    static QString enumTypeName(const QString &module);              // t_state_module
    static QString stateVariable(const QString &module);             // state_module
    static QString stateEnumerator(const QString &module, const QString &stateLabel);
    static QString startEnumerator(const QString &module);           // STATE_0_MODULE
    static QString initialFunction(const QString &module);           // module0

    // Version as C's %g would print it (six significant digits).
    static QString versionText(double version);
    // "ddd MMM d yyyy" in English whatever the user's locale.
    static QString dateText(const QDate &date);

    // Fills %1, %2, ... one step per value: each step replaces every
    // occurrence of the lowest-numbered placeholder (%1 to %99) present in
    // the text produced so far, so substituted text takes part in the
    // following steps. A step that finds no placeholder changes nothing.
    static QString fillTemplate(const QString &text, const QStringList &values);
};
