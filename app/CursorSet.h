#pragma once

// The mouse cursors of the drawing modes: one pixmap cursor per item kind,
// made from the image the kind names (ItemKind::Tool), hot spot at the
// pixmap's centre, and the plain arrow for select. A kind's pixmap is
// decoded the first time its cursor is asked for, so a start that only
// shows the arrow decodes none.

#include <QCursor>
#include <QHash>

class ItemKind;

class CursorSet
{
public:
    // The cursor of the mode that makes `kind`; the arrow for select (null).
    QCursor cursor(const ItemKind *kind) const;

private:
    mutable QHash<const ItemKind *, QCursor> m_cursors;   // made on demand
};
