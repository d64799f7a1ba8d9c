#include "CursorSet.h"

#include "ItemKind.h"

#include <QPixmap>

QCursor CursorSet::cursor(const ItemKind *kind) const
{
    if (!kind)
        return QCursor(Qt::ArrowCursor);
    auto made = m_cursors.constFind(kind);
    if (made == m_cursors.constEnd()) {
        const QPixmap pixmap(QString::fromLatin1(kind->tool().cursorImage));
        made = m_cursors.insert(kind, QCursor(pixmap, pixmap.width() / 2, pixmap.height() / 2));
    }
    return *made;
}
