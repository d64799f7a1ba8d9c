#pragma once

// The mouse cursors of the drawing modes: one pixmap cursor per insertion
// tool, hot spot at the pixmap's centre, and the plain arrow for select.

#include <QCursor>
#include <QString>
#include <QVector>

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
    QVector<QCursor> m_cursors;   // indexed by mode, Select last
};
