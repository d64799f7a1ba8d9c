#include "CursorSet.h"

#include <QPixmap>

QString CursorSet::resourcePath(int mode)
{
    switch (mode) {
    case State: return QStringLiteral(":/Images/Images/stateCursor.png");
    case Transition: return QStringLiteral(":/Images/Images/transitionCursor.png");
    case Text: return QStringLiteral(":/Images/Images/TextCursor.png");
    case Process: return QStringLiteral(":/Images/Images/Process_Rect_Cursor.png");
    case Link: return QStringLiteral(":/Images/Images/link_cursor.png");
    case Memory: return QStringLiteral(":/Images/Images/Memory_cursor.png");
    case Dataflow: return QStringLiteral(":/Images/Images/Dataflow_cursor.png");
    default: return QString();
    }
}

CursorSet::CursorSet()
    : m_cursors(Select + 1)
{
}

QCursor CursorSet::cursor(int mode) const
{
    if (mode < State || mode >= Select)
        return QCursor(Qt::ArrowCursor);
    std::optional<QCursor> &made = m_cursors[mode];
    if (!made) {
        const QPixmap pixmap(resourcePath(mode));
        made = QCursor(pixmap, pixmap.width() / 2, pixmap.height() / 2);
    }
    return *made;
}
