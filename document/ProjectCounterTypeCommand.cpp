#include "ProjectCounterTypeCommand.h"

#include "Canvas.h"

ProjectCounterTypeCommand::ProjectCounterTypeCommand(Canvas *projectCanvas, const QString &before,
                                                     const QString &after, QUndoCommand *parent)
    : QUndoCommand(parent), m_canvas(projectCanvas), m_before(before), m_after(after)
{
    setText(QStringLiteral("Set Time in State Type"));
}

void ProjectCounterTypeCommand::redo()
{
    m_canvas->setCounterType(m_after);
}

void ProjectCounterTypeCommand::undo()
{
    m_canvas->setCounterType(m_before);
}
