#include "ScriptedPrompter.h"

ScriptedPrompter::ScriptedPrompter()
{
    Prompter::setCurrent(this);
}

ScriptedPrompter::~ScriptedPrompter()
{
    if (Prompter::current() == this)
        Prompter::setCurrent(nullptr);
}

QMessageBox::StandardButton ScriptedPrompter::message(QWidget *, const MessageRequest &request)
{
    messages.append(request);
    if (!messageAnswers.isEmpty())
        return messageAnswers.dequeue();
    if (request.defaultButton != QMessageBox::NoButton)
        return request.defaultButton;
    if (request.buttons & QMessageBox::Cancel)
        return QMessageBox::Cancel;
    if (request.buttons & QMessageBox::No)
        return QMessageBox::No;
    return QMessageBox::Ok;
}

QString ScriptedPrompter::saveFileName(QWidget *, const FileRequest &request)
{
    fileRequests.append(request);
    return saveAnswers.isEmpty() ? QString() : saveAnswers.dequeue();
}

OpenFileResult ScriptedPrompter::openFileName(QWidget *, const FileRequest &request)
{
    fileRequests.append(request);
    return openAnswers.isEmpty() ? OpenFileResult() : openAnswers.dequeue();
}

QString ScriptedPrompter::existingDirectory(QWidget *, const FileRequest &request)
{
    fileRequests.append(request);
    return directoryAnswers.isEmpty() ? QString() : directoryAnswers.dequeue();
}

QColor ScriptedPrompter::colour(QWidget *, const QColor &initial, const QString &)
{
    colourRequests.append(initial);
    return colourAnswers.isEmpty() ? QColor() : colourAnswers.dequeue();
}

QStringList ScriptedPrompter::messageTexts() const
{
    QStringList texts;
    for (const MessageRequest &m : messages)
        texts << m.text;
    return texts;
}
