#pragma once

// Runs what a machine description generates: the module is written with a
// driver into a temporary folder, compiled with the system C compiler
// (-std=c99 -pedantic -Wall -Wextra -Werror, and C90 too for the instance
// style) and executed. QtCore only.

#include "MachineDescription.h"

#include <QMap>
#include <QString>

namespace GeneratedMachine {

// The driver's main() runs `body` after `definitions`, the module's header
// and INIT() / STEP() for the machine's style; `headers` (file name, text)
// are written beside it. Returns what the program printed (trimmed), or
// why it did not build or run ("design errors: ...", "compile failed: ...",
// "run failed: ...", "no C compiler").
QString run(const MachineDescription &machine, const QString &body, const QString &definitions,
            const QMap<QString, QString> &headers);

} // namespace GeneratedMachine
