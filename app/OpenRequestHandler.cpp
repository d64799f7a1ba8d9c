#include "OpenRequestHandler.h"

#include "MainWindow.h"
#include "ProjectActions.h"
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

OpenRequestHandler::OpenRequestHandler(MainWindow *window, QAction *openAction)
    : QObject(window),
      m_window(window),
      m_openAction(openAction)
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &OpenRequestHandler::processPending);
}

void OpenRequestHandler::raiseWindow()
{
    if (m_window->isMinimized())
        m_window->setWindowState((m_window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
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
            Prompter::information(m_window, kTitle,
                                  QStringLiteral("Kestro cannot open %1 while the app tour or a "
                                                 "simulation runs. End it and open the project again.")
                                      .arg(QDir::toNativeSeparators(path)));
        } else if (!QFileInfo(path).isFile()) {
            Prompter::critical(m_window, kTitle, ProjectActions::notOpenedMessage(path));
        } else {
            m_window->projectActions()->openFile(path);
        }
    }
}
