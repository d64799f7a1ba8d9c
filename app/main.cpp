#include "CachedDropShadowEffect.h"
#include "FirstPaintExit.h"
#include "FirstStart.h"
#include "InstanceGuard.h"
#include "InstanceMessenger.h"
#include "MainWindow.h"
#include "OpenRequestHandler.h"
#include "Project.h"
#include "RecoveryOffer.h"
#include "RecoveryStore.h"

#include <QApplication>
#include <QFileInfo>

namespace {
QString firstArgument(const QStringList &arguments)
{
    return arguments.size() > 1 ? arguments.at(1) : QString();
}
} // namespace

int main(int argc, char *argv[])
{
    // Only one Kestro per login session. A second start hands its file to
    // the running one (or asks it to come forward) and ends quietly.
    InstanceGuard guard(QStringLiteral("app_unique_lock"));
    if (!guard.tryClaim()) {
        QCoreApplication app(argc, argv);
        InstanceMessenger::handOver(guard, firstArgument(QCoreApplication::arguments()));
        return 0;
    }

    QApplication app(argc, argv);
    // Listening starts at once, so that a second start waits as little as
    // possible; its requests are carried out once the window runs.
    InstanceMessenger messenger(guard);
    if (!messenger.listen())
        qWarning("Kestro cannot take files from later starts: %s", qPrintable(messenger.errorString()));
    // Lets the desktop match the window to the installed launcher entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.orvanta.Kestro"));
    // Room for the cached renderings of a whole screen of diagram items.
    CachedDropShadowEffect::reserveCache();
    FirstPaintExit *firstPaintExit = FirstPaintExit::installIfRequested();
    MainWindow window;
    if (firstPaintExit)
        firstPaintExit->setBusy([&window] { return window.project()->hasPendingItems(); });
    window.showMaximized();
    QObject::connect(&messenger, &InstanceMessenger::openRequested, window.openRequests(),
                     &OpenRequestHandler::open);
    QObject::connect(&messenger, &InstanceMessenger::raiseRequested, window.openRequests(),
                     &OpenRequestHandler::raiseWindow);

    // Changes a crashed session left behind are offered before anything
    // else is opened.
    RecoveryStore recovery;
    const QString recovered = RecoveryOffer::run(&window, recovery);

    // The first argument names a project file; any further ones are ignored.
    // After a recovery it is opened behind the usual unsaved-changes prompt.
    const QString path = firstArgument(QApplication::arguments());
    if (!path.isEmpty()) {
        if (recovered.isEmpty())
            window.openFromCommandLine(path);
        else if (QFileInfo(path).absoluteFilePath() != QFileInfo(recovered).absoluteFilePath())
            window.openRequests()->open(path);
    }

    // The very first start of this installation for this user takes the tour.
    FirstStart::scheduleTourOnFirstStart(&window);

    // Locals go in reverse order: the window, the messenger, the application,
    // then the guard, which releases the lock so that a later start succeeds.
    return app.exec();
}
