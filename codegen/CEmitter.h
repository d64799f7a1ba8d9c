#pragma once

// Builds the text of the C header and source file of one state machine.
// A pure function of a MachineDescription and the module properties: no
// files, no dialogs, no settings. The caller writes the texts and shows the
// design errors.

#include "DesignFinding.h"
#include "LineMap.h"
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
    // For the simulator's private copy only: every transition block starts
    // with KESTRO_TRANSITION_FIRED(n); (n the transition's index in the
    // machine: a sub-machine's transitions are numbered after the machine's
    // own and those of the sub-machines before it, as
    // SubMachineEmitter::transitionNumber counts) so that the harness can
    // tell which transition fired. Files
    // written for the user never carry it.
    bool transitionHooks = false;
    // Off for a check that neither writes nor compiles the files: their
    // texts are measured against the size limit and their design findings
    // made, but header and source stay empty, so a machine with huge texts
    // costs little more than its records.
    bool keepText = true;

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
    QStringList warnings;   // design warnings, after the errors in findings
    DesignFindings findings;   // errors first, then warnings, each naming its item
    // False when the machine's files must not be written: its name is no C
    // identifier or its text would pass the size limit (both are errors).
    bool writable = true;
    LineMap headerLines;    // which item produced each line
    LineMap sourceLines;

    void addError(const QString &text, const ItemRef &item = ItemRef::machine());
    void addWarning(const QString &text, const ItemRef &item);
};

class CEmitter
{
public:
    // The most characters the two files of one machine may hold together.
    static constexpr qint64 MaxModuleSize = qint64(64) * 1024 * 1024;

    // The module of one machine. When the machine's name is no C identifier
    // nothing is emitted; when its text would pass `sizeLimit` the texts are
    // dropped. Either way the module is not writable and says why.
    static GeneratedModule generate(const MachineDescription &machine, const ModuleProperties &properties,
                                    qint64 sizeLimit = MaxModuleSize);

    // Naming rules for one machine.
    static QString moduleName(const QString &processLabel);          // blanks -> "_"
    static QString guardMacro(const QString &module);                // _MODULE_H
    static QString enumTypeName(const QString &module);              // t_state_module
    static QString stateVariable(const QString &module);             // state_module
    static QString stateEnumerator(const QString &module, const QString &stateLabel);
    static QString startEnumerator(const QString &module);           // STATE_0_MODULE
    static QString initialFunction(const QString &module);           // module0

    // The names of a sub-machine, the one the state `holder` (its label)
    // holds, in the classic module `module`. Its states' enumerators are
    // stateEnumerator(module, label), as the top-level states': labels are
    // unique across every level of a machine. All are static in the source.
    static QString subEnumTypeName(const QString &module, const QString &holder);    // t_state_module_holder
    static QString subStateVariable(const QString &module, const QString &holder);   // state_module_holder
    // The value before the first entry (and after the init function): no
    // sub-state, nothing to resume. STATE_0_MODULE_HOLDER.
    static QString subStartEnumerator(const QString &module, const QString &holder);
    // Its time in state, which its own texts read as TimeInState::name():
    // module_holder_kestro_cycles_in_state.
    static QString subCounter(const QString &module, const QString &holder);
    // int module_cycle_holder(void): one cycle, nonzero when a transition of
    // it (or of a sub-machine inside it) fired.
    static QString subCycleFunction(const QString &module, const QString &holder);
    // void module_enter_holder(void): enters at the initial state, or at the
    // remembered one when the holder resumes.
    static QString subEnterFunction(const QString &module, const QString &holder);
    // void module_exit_holder(void): the exit actions, innermost first.
    static QString subExitFunction(const QString &module, const QString &holder);
    // The query a machine with sub-machines offers its texts: kestro_in(X)
    // is true while state X (of any level) is active. It expands to
    // activeMacro(module, X), a macro per state.
    // void module_reset_sub_machines(void): every sub-machine back to its
    // start value, every time in state 0; run by the init function and when
    // the state holds a value no state has.
    static QString subResetFunction(const QString &module);
    static QString inQuery();                                              // kestro_in
    static QString activeMacro(const QString &module, const QString &label);  // KESTRO_IN_module_label

    // The comment both files open with; null when it would pass `limit`.
    static QString fileComment(const MachineDescription &machine, const ModuleProperties &properties,
                               const QString &fileName, qint64 limit);
    // Version as C's %g would print it (six significant digits).
    static QString versionText(double version);
    // "ddd MMM d yyyy" in English whatever the user's locale.
    static QString dateText(const QDate &date);

    // Fills %1, %2, ... one step per value: each step replaces every
    // occurrence of the lowest-numbered placeholder (%1 to %99) present in
    // the text produced so far, so substituted text takes part in the
    // following steps. A step that finds no placeholder changes nothing.
    static QString fillTemplate(const QString &text, const QStringList &values);
    // The same, but gives up and returns a null string as soon as the text
    // would pass `limit` characters.
    static QString fillTemplate(const QString &text, const QStringList &values, qint64 limit);

    // Text written inside a C comment: "*/" would end the comment early and
    // "/*" would nest one, so they are written "* /" and "/ *". Other text is
    // unchanged.
    static QString commentText(const QString &text);
    // A memory item's type as the user typed it: trimmed, each run of white
    // space one blank ("volatile uint8_t", "struct cfg_s *").
    static QString memoryType(const QString &datatype);
    // The condition of a transition as "if" takes it: an empty one means
    // "always", "(1)" (the design checks warn about it).
    static QString conditionText(const QString &condition);
    // An ASCII letter or "_" followed by letters, digits and "_", and no C
    // keyword.
    static bool isCIdentifier(const QString &name);
    static bool isCKeyword(const QString &name);
};
