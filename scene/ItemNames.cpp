#include "ItemNames.h"

#include "DiagramItem.h"
#include "ItemKind.h"
#include "ItemKinds.h"

namespace ItemNames {

QString kindName(int kind)
{
    const ItemKind *described = ItemKinds::of(kind);
    return described ? described->name() : QStringLiteral("Item");
}

QString label(const DiagramItem *item)
{
    return item ? item->label() : QString();
}

QString describe(int kind, const QString &label)
{
    const QString noun = kindName(kind);
    return label.isEmpty() ? noun : noun + QStringLiteral(" '") + label + QLatin1Char('\'');
}

QString describe(const DiagramItem *item)
{
    return describe(item ? item->type() : 0, label(item));
}

QString stepText(const QString &verb, const DiagramItem *item)
{
    return verb + QLatin1Char(' ') + describe(item);
}

QString stepText(const QString &verb, const QList<DiagramItem *> &items)
{
    if (items.size() == 1)
        return stepText(verb, items.first());
    return verb + QLatin1Char(' ') + QString::number(items.size()) + QStringLiteral(" Items");
}

} // namespace ItemNames
