#include "TextKind.h"

#include "AddTextCommand.h"
#include "CanvasSteps.h"
#include "DeleteTextCommand.h"
#include "ItemCanvas.h"
#include "SubMachineLevels.h"
#include "TextItem.h"

int TextKind::type() const { return ItemType::Text; }
QString TextKind::name() const { return QStringLiteral("Text"); }
QString TextKind::noun() const { return QStringLiteral("text"); }

ItemKind::Tool TextKind::tool() const
{
    return {2, 2, "actionText", ":/Images/Images/TextCursor.png", MachineCanvasLevel, DeepestCanvasLevel};
}

void TextKind::insertAt(ItemCanvas &canvas, const QPointF &point) const
{
    auto *command = new AddTextCommand(&canvas, point.x(), point.y());
    canvas.pushInsertion(command, command->textItem());
}

void TextKind::pushDeletion(ItemCanvas &canvas, DiagramItem *item) const
{
    canvas.pushCommand(new DeleteTextCommand(&canvas, static_cast<TextItem *>(item)));
}

bool TextKind::putBack(CanvasSteps &steps, DiagramItem *item) const
{
    if (!item || steps.isListed(item))
        return false;
    steps.putIn(item);
    return true;
}

bool TextKind::takeAway(CanvasSteps &steps, DiagramItem *item) const
{
    if (!item || !steps.isListed(item))
        return false;
    steps.takeOut(item);
    return true;
}

DiagramItem *TextKind::fromRecord(ItemCanvas &canvas, const ItemRecord &record, qreal z,
                                  DiagramItem *, DiagramItem *) const
{
    return placeFromRecord<TextRecord>(canvas, record, z, [&canvas](const TextRecord &r) {
        return new TextItem(canvas.menuOf(ItemType::Text), r.xCoord, r.yCoord);
    });
}
