#include "OpenRequestHandler.h"

#include "ProjectActions.h"
#include "ProjectWindow.h"
#include "Prompter.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace {
const QString kTitle = QStringLiteral("Kestro");
// How often a request waiting for a dialog looks again.
constexpr int kRetryMs = 300;
} // namespace

OpenRequestHandler::OpenRequestHandler(ProjectWindow *window, QAction *openAction)
    : QObject(window->dialogParent()),
      m_window(window),
      m_openAction(openAction)
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &OpenRequestHandler::processPending);
}

void OpenRequestHandler::raiseWindow()
{
    m_window->bringToFront();
}

void OpenRequestHandler::open(const QString &path)
{
    raiseWindow();
    m_pending.append(path);
    processPending();
}

void OpenRequestHandler::processPending()
{
    while (!m_pending.isEmpty()) {
        // Opening under an open dialog would pull the project away from it.
        if (QApplication::activeModalWidget()) {
            m_retry.start();
            return;
        }
        const QString path = m_pending.takeFirst();
        if (!m_openAction->isEnabled()) {
            Prompter::information(m_window->dialogParent(), kTitle,
                                  QStringLiteral("Kestro cannot open %1 while the app tour or a "
                                                 "simulation runs. End it and open the project again.")
                                      .arg(QDir::toNativeSeparators(path)));
        } else if (!QFileInfo(path).isFile()) {
            Prompter::critical(m_window->dialogParent(), kTitle, ProjectActions::notOpenedMessage(path));
        } else {
            m_window->projectActions()->openFile(path);
        }
    }
}
