#include "ProjectSettingCommand.h"

#include "Canvas.h"

namespace ProjectSettingSteps {

QUndoCommand *codeStyle(Canvas *projectCanvas, const QString &before, const QString &after)
{
    return new ProjectSettingCommand<Canvas, QString>(QStringLiteral("Set C Module Style"), projectCanvas,
                                                      &Canvas::setCodeStyle, before, after);
}

QUndoCommand *counterType(Canvas *projectCanvas, const QString &before, const QString &after)
{
    return new ProjectSettingCommand<Canvas, QString>(QStringLiteral("Set Time in State Type"), projectCanvas,
                                                      &Canvas::setCounterType, before, after);
}

} // namespace ProjectSettingSteps
