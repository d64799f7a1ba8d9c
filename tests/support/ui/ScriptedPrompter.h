#pragma once

// A Prompter for tests: answers from queues filled by the test and records
// every request it was asked, so that tests can check titles and texts.
// With an empty queue a message is answered with its default button (or
// Cancel/No when it has none), file dialogs with "cancelled" and the colour
// chooser with an invalid colour.

#include "Prompter.h"

#include <QList>
#include <QQueue>

class ScriptedPrompter : public Prompter
{
public:
    ScriptedPrompter();   // installs itself as the current prompter
    ~ScriptedPrompter() override;   // restores the default prompter

    QQueue<QMessageBox::StandardButton> messageAnswers;
    QQueue<QString> saveAnswers;
    QQueue<OpenFileResult> openAnswers;
    QQueue<QString> directoryAnswers;
    QQueue<QColor> colourAnswers;

    QList<MessageRequest> messages;
    QList<FileRequest> fileRequests;
    QList<QColor> colourRequests;   // the colour each chooser opened on

    QMessageBox::StandardButton message(QWidget *parent, const MessageRequest &request) override;
    QString saveFileName(QWidget *parent, const FileRequest &request) override;
    OpenFileResult openFileName(QWidget *parent, const FileRequest &request) override;
    QString existingDirectory(QWidget *parent, const FileRequest &request) override;
    QColor colour(QWidget *parent, const QColor &initial, const QString &title) override;

    // Texts of all messages shown so far, in order.
    QStringList messageTexts() const;
};
