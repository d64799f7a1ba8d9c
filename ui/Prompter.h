#pragma once

// Every message box, file dialog and colour chooser of the program goes
// through one Prompter, so that tests can answer them without a person.
// The main window owns the default implementation and installs it as the
// current one; tests install a scripted one instead.

#include <QColor>
#include <QMap>
#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

struct MessageRequest
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    QString informativeText;
    QString detailedText;   // behind the box's "Show Details..." button
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    Qt::TextFormat textFormat = Qt::AutoText;
    // The text can be selected and copied (an address to paste elsewhere).
    bool selectableText = false;
    // Buttons shown with a text of their own ("Recover" on Yes); the
    // answer is still the standard button.
    QMap<QMessageBox::StandardButton, QString> buttonTexts;
};

struct FileRequest
{
    QString caption;
    QString directory;
    QString filter;
    // Save dialogs: appended (without the dot) to a typed name that has no
    // extension, before the dialog asks about replacing an existing file.
    QString defaultSuffix;
};

struct OpenFileResult
{
    QStringList files;   // empty when the user cancelled
    QString directory;   // the directory the dialog showed last
};

class Prompter
{
public:
    virtual ~Prompter();

    // Shows a modal message box; returns the button that closed it.
    virtual QMessageBox::StandardButton message(QWidget *parent, const MessageRequest &request) = 0;
    // Save-file dialog; an empty text means cancelled.
    virtual QString saveFileName(QWidget *parent, const FileRequest &request) = 0;
    // Open-file dialog.
    virtual OpenFileResult openFileName(QWidget *parent, const FileRequest &request) = 0;
    // Directory chooser; an empty text means cancelled.
    virtual QString existingDirectory(QWidget *parent, const FileRequest &request) = 0;
    // Colour chooser; an invalid colour means cancelled.
    virtual QColor colour(QWidget *parent, const QColor &initial, const QString &title) = 0;

    // The prompter in force. Never null: a default one exists until another
    // is installed.
    static Prompter *current();
    // Installs p (not owned) as the current prompter; null restores the default.
    static void setCurrent(Prompter *p);

    // Shortcuts for the common boxes, all titled as given.
    static QMessageBox::StandardButton critical(QWidget *parent, const QString &title, const QString &text);
    static QMessageBox::StandardButton information(QWidget *parent, const QString &title, const QString &text);
};

// Shows the real Qt dialogs.
class DefaultPrompter : public Prompter
{
public:
    QMessageBox::StandardButton message(QWidget *parent, const MessageRequest &request) override;
    QString saveFileName(QWidget *parent, const FileRequest &request) override;
    OpenFileResult openFileName(QWidget *parent, const FileRequest &request) override;
    QString existingDirectory(QWidget *parent, const FileRequest &request) override;
    QColor colour(QWidget *parent, const QColor &initial, const QString &title) override;
};
