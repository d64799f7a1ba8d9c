#include "ItemNames.h"

#include "DataflowItem.h"
#include "ItemTypes.h"
#include "LinkItem.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "StateItem.h"
#include "TransitionItem.h"

namespace ItemNames {

QString kindName(int kind)
{
    switch (kind) {
    case ItemType::State: return QStringLiteral("State");
    case ItemType::Transition: return QStringLiteral("Transition");
    case ItemType::Text: return QStringLiteral("Text");
    case ItemType::Process: return QStringLiteral("Process Item");
    case ItemType::Link: return QStringLiteral("Link");
    case ItemType::Memory: return QStringLiteral("Memory Item");
    case ItemType::Dataflow: return QStringLiteral("Dataflow");
    default: return QStringLiteral("Item");
    }
}

QString label(const DiagramItem *item)
{
    switch (item ? item->type() : 0) {
    case ItemType::State: return static_cast<const StateItem *>(item)->label();
    case ItemType::Transition: return static_cast<const TransitionItem *>(item)->label();
    case ItemType::Process: return static_cast<const ProcessItem *>(item)->label();
    case ItemType::Link: return static_cast<const LinkItem *>(item)->label();
    case ItemType::Memory: return static_cast<const MemoryItem *>(item)->label();
    case ItemType::Dataflow: return static_cast<const DataflowItem *>(item)->label();
    default: return QString();
    }
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
