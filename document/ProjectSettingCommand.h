#pragma once

// A new value of one project-wide setting (the default C module style, the
// type of the time in state, the simulation settings), applied through the
// function of the project or its level-1 canvas that keeps it; undo gives
// back the old value. The steps go on the level-1 canvas's stack.

#include <QString>
#include <QUndoCommand>

class Canvas;

template <typename Owner, typename Value>
class ProjectSettingCommand : public QUndoCommand
{
public:
    using Apply = void (Owner::*)(const Value &);

    ProjectSettingCommand(const QString &text, Owner *owner, Apply apply, const Value &before, const Value &after,
                          QUndoCommand *parent = nullptr)
        : QUndoCommand(text, parent), m_owner(owner), m_apply(apply), m_before(before), m_after(after)
    {
    }

    void redo() override { (m_owner->*m_apply)(m_after); }
    void undo() override { (m_owner->*m_apply)(m_before); }

private:
    Owner *m_owner;
    Apply m_apply;
    Value m_before;
    Value m_after;
};

namespace ProjectSettingSteps {

// The steps of the settings kept on the level-1 canvas, named as the Edit
// menu shows them.
QUndoCommand *codeStyle(Canvas *projectCanvas, const QString &before, const QString &after);
QUndoCommand *counterType(Canvas *projectCanvas, const QString &before, const QString &after);

} // namespace ProjectSettingSteps
