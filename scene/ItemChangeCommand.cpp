#include "ItemChangeCommand.h"

#include "ItemNames.h"
#include "ItemTypes.h"
#include "RecordEquality.h"

#include <type_traits>

namespace {

// `record` with the identity numbers `current` has now.
ItemRecord keepingIdentity(ItemRecord record, const ItemRecord &current)
{
    std::visit(
        [&current](auto &r) {
            using Record = std::decay_t<decltype(r)>;
            if constexpr (!std::is_same_v<Record, std::monostate>) {
                const auto *now = std::get_if<Record>(&current);
                if (!now)
                    return;
                r.level = now->level;
                r.parentId = now->parentId;
                r.grandParentId = now->grandParentId;
                if constexpr (std::is_same_v<Record, ProcessRecord>) {
                    r.id = now->id;
                    r.nos = now->nos;
                }
            }
        },
        record);
    return record;
}

QString labelOf(const ItemRecord &record)
{
    return std::visit(
        [](const auto &r) -> QString {
            using Record = std::decay_t<decltype(r)>;
            if constexpr (std::is_same_v<Record, std::monostate> || std::is_same_v<Record, TextRecord>)
                return QString();
            else
                return r.label;
        },
        record);
}

} // namespace

ItemChangeCommand::ItemChangeCommand(ItemCanvas *canvas, const QVector<ItemChange> &changes,
                                     QUndoCommand *parent)
    : CanvasCommand(canvas, parent), m_changes(changes)
{
    if (m_changes.size() == 1) {
        const QStringList fields =
                RecordEquality::changedFields(m_changes.first().before, m_changes.first().after);
        if (fields.size() == 1)
            m_field = fields.first();
    }
    describe();
}

void ItemChangeCommand::describe()
{
    if (m_changes.isEmpty())
        return;
    // Named by the label the item had before: the one the user knew.
    const ItemChange &change = m_changes.first();
    const QString verb = m_field == QLatin1String("label") ? QStringLiteral("Rename")
                                                           : QStringLiteral("Change");
    if (m_changes.size() == 1 || change.item->type() == ItemType::Memory)
        setText(verb + QLatin1Char(' ')
                + ItemNames::describe(change.item->type(), labelOf(change.before)));
    else
        setText(ItemNames::stepText(verb, QList<DiagramItem *>{change.item, m_changes.at(1).item}));
}

bool ItemChangeCommand::changesAnything() const
{
    for (const ItemChange &change : m_changes) {
        if (!RecordEquality::sameStoredFields(change.before, change.after))
            return true;
    }
    return false;
}

void ItemChangeCommand::apply(bool after)
{
    for (const ItemChange &change : qAsConst(m_changes)) {
        const ItemRecord &record = after ? change.after : change.before;
        change.item->restoreRecord(keepingIdentity(record, change.item->record()));
        change.item->update();
    }
    m_canvas->followInitialFlag();
    applied();
    repaint();
}

void ItemChangeCommand::redo()
{
    apply(true);
}

void ItemChangeCommand::undo()
{
    apply(false);
}
