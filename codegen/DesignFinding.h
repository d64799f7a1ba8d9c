#pragma once

// One thing the generator found about a state machine: a design error (the
// checks the generator always made, and those that keep a machine's files
// from being written), a design warning (a cause that keeps the C from
// compiling, or a diagram that cannot work), or a diagnostic of the C
// compiler. Each names the item it is about. QtCore only.

#include "ItemRef.h"

#include <QString>
#include <QVector>

struct DesignFinding
{
    enum Severity : int { Error, Warning };

    Severity severity = Error;
    QString text;
    ItemRef item;
    bool fromCompiler = false;   // a diagnostic of the C compiler
};

using DesignFindings = QVector<DesignFinding>;
