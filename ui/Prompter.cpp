#include "Prompter.h"

#include <QAbstractButton>
#include <QColorDialog>
#include <QFileDialog>

namespace {
Prompter *g_current = nullptr;

DefaultPrompter &defaultPrompter()
{
    static DefaultPrompter instance;
    return instance;
}
} // namespace

Prompter::~Prompter() = default;

Prompter *Prompter::current()
{
    return g_current ? g_current : &defaultPrompter();
}

void Prompter::setCurrent(Prompter *p)
{
    g_current = p;
}

QMessageBox::StandardButton Prompter::critical(QWidget *parent, const QString &title, const QString &text)
{
    MessageRequest r;
    r.icon = QMessageBox::Critical;
    r.title = title;
    r.text = text;
    return current()->message(parent, r);
}

QMessageBox::StandardButton Prompter::information(QWidget *parent, const QString &title, const QString &text)
{
    MessageRequest r;
    r.icon = QMessageBox::Information;
    r.title = title;
    r.text = text;
    return current()->message(parent, r);
}

QMessageBox::StandardButton DefaultPrompter::message(QWidget *parent, const MessageRequest &request)
{
    QMessageBox box(parent);
    box.setIcon(request.icon);
    box.setWindowTitle(request.title);
    box.setTextFormat(request.textFormat);
    box.setText(request.text);
    if (request.selectableText)
        box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    if (!request.informativeText.isEmpty())
        box.setInformativeText(request.informativeText);
    if (!request.detailedText.isEmpty())
        box.setDetailedText(request.detailedText);
    box.setStandardButtons(request.buttons);
    for (auto it = request.buttonTexts.cbegin(); it != request.buttonTexts.cend(); ++it) {
        if (QAbstractButton *button = box.button(it.key()))
            button->setText(it.value());
    }
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString DefaultPrompter::saveFileName(QWidget *parent, const FileRequest &request)
{
    QFileDialog dialog(parent, request.caption, request.directory, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

OpenFileResult DefaultPrompter::openFileName(QWidget *parent, const FileRequest &request)
{
    QFileDialog dialog(parent, request.caption, request.directory, request.filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    OpenFileResult result;
    if (dialog.exec() == QDialog::Accepted) {
        result.files = dialog.selectedFiles();
        result.directory = dialog.directory().absolutePath();
    }
    return result;
}

QString DefaultPrompter::existingDirectory(QWidget *parent, const FileRequest &request)
{
    return QFileDialog::getExistingDirectory(parent, request.caption, request.directory);
}

QColor DefaultPrompter::colour(QWidget *parent, const QColor &initial, const QString &title)
{
    return QColorDialog::getColor(initial, parent, title);
}
