#pragma once

// The mouse cursors of the drawing modes: one pixmap cursor per insertion
// tool, hot spot at the pixmap's centre, and the plain arrow for select.
// A mode's pixmap is decoded the first time its cursor is asked for, so a
// start that only shows the arrow decodes none.

#include <QCursor>
#include <QString>
#include <QVector>

#include <optional>

class CursorSet
{
public:
    // Drawing-mode values shared with the canvases.
    enum Mode { State = 0, Transition, Text, Process, Link, Memory, Dataflow, Select };

    CursorSet();

    // The cursor of a mode; the arrow for Select or an unknown mode.
    QCursor cursor(int mode) const;
    // Resource path of the pixmap of a mode (empty for Select).
    static QString resourcePath(int mode);

private:
    mutable QVector<std::optional<QCursor>> m_cursors;   // indexed by mode, made on demand
};
