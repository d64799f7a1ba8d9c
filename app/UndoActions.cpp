#include "UndoActions.h"

#include <QAction>
#include <QKeySequence>
#include <QUndoGroup>
#include <QUndoStack>

namespace {

void describe(QAction *action, const QString &verb, const QString &step)
{
    const QString text = step.isEmpty() ? verb : verb + QLatin1Char(' ') + step;
    action->setText(text);
    action->setToolTip(text);
}

} // namespace

UndoActions::UndoActions(QUndoGroup *group, QAction *undo, QAction *redo, QObject *parent)
    : QObject(parent), m_group(group), m_undo(undo), m_redo(redo)
{
    m_undo->setShortcuts(QKeySequence::Undo);
    m_redo->setShortcuts({QKeySequence(Qt::CTRL + Qt::Key_Y),
                          QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_Z)});
    connect(group, &QUndoGroup::canUndoChanged, this, &UndoActions::refresh);
    connect(group, &QUndoGroup::canRedoChanged, this, &UndoActions::refresh);
    connect(group, &QUndoGroup::undoTextChanged, this, &UndoActions::refresh);
    connect(group, &QUndoGroup::redoTextChanged, this, &UndoActions::refresh);
    connect(group, &QUndoGroup::activeStackChanged, this, &UndoActions::refresh);
    connect(group, &QUndoGroup::indexChanged, this, &UndoActions::refresh);
    refresh();
}

void UndoActions::setAllowed(bool allowed)
{
    m_allowed = allowed;
    refresh();
}

void UndoActions::refresh()
{
    if (!m_undo || !m_redo)
        return;
    const bool canUndo = m_group->canUndo();
    const bool canRedo = m_group->canRedo();
    m_undo->setEnabled(m_allowed && canUndo);
    m_redo->setEnabled(m_allowed && canRedo);
    describe(m_undo, QStringLiteral("Undo"), canUndo ? m_group->undoText() : QString());
    describe(m_redo, QStringLiteral("Redo"), canRedo ? m_group->redoText() : QString());
}
