#include "AddStateCommand.h"

#include "ItemNames.h"
#include "LabelRules.h"
#include "StateItem.h"

AddStateCommand::AddStateCommand(ItemCanvas *canvas, qreal x, qreal y, QUndoCommand *parent)
    : CanvasCommand(canvas, parent),
      m_state(new StateItem(canvas->menuOf(ItemType::State), x, y))
{
    stampIdentity(m_state);
    // Transitions name their states by label in the project file.
    m_state->setLabel(LabelRules::newStateLabel(*canvas));
    canvas->keepAlive(m_state);
    setText(ItemNames::stepText(QStringLiteral("Insert"), m_state));
}

void AddStateCommand::redo()
{
    m_applied = putItemBack(m_state);
    repaint();
}

void AddStateCommand::undo()
{
    if (m_applied)
        takeItemAway(m_state);
    repaint();
}

const DiagramItem *AddStateCommand::itemRedoRestores() const
{
    return m_state;
}
