#pragma once

// Keeps the window's Undo and Redo actions in step with the undo stack of
// the canvas shown (the group's active stack): each is enabled exactly
// while that stack can take the step and the window's context offers it,
// and its text names the step ("Undo Move State 'Idle'"). Redo answers to
// Ctrl+Y and Ctrl+Shift+Z.

#include <QObject>
#include <QPointer>

class QAction;
class QUndoGroup;

class UndoActions : public QObject
{
    Q_OBJECT
public:
    UndoActions(QUndoGroup *group, QAction *undo, QAction *redo, QObject *parent = nullptr);

    // Whether the window's context offers undo and redo at all.
    void setAllowed(bool allowed);

private:
    void refresh();

    QUndoGroup *m_group;
    // The window's actions may go before the group's stacks do.
    QPointer<QAction> m_undo;
    QPointer<QAction> m_redo;
    bool m_allowed = false;
};
