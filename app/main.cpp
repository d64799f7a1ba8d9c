#include "CachedDropShadowEffect.h"
#include "FirstPaintExit.h"
#include "FirstStart.h"
#include "InstanceGuard.h"
#include "InstanceMessenger.h"
#include "MainWindow.h"
#include "OpenRequestHandler.h"
#include "PrivateFiles.h"
#include "Project.h"
#include "RecoveryOffer.h"
#include "RecoveryStore.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

namespace {
QString firstArgument(const QStringList &arguments)
{
    return arguments.size() > 1 ? arguments.at(1) : QString();
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setOrganizationName(QStringLiteral("Orvanta"));
    QCoreApplication::setApplicationName(QStringLiteral("Kestro"));
    // Kestro's own files are the user's alone, also where an earlier
    // version left them readable to others.
    PrivateFiles::narrowOwnFiles();

    // Only one Kestro per login session. A second start hands its file to
    // the running one (or asks it to come forward) and ends quietly. Only a
    // live Kestro of this user counts: on any other failure this start runs
    // normally, saying why files of later starts cannot be handed over.
    InstanceGuard guard(QStringLiteral("app_unique_lock"));
    QString handOverOff;
    switch (guard.claim()) {
    case InstanceGuard::Claim::Claimed:
        break;
    case InstanceGuard::Claim::HeldByAnother: {
        const QString path = argc > 1 ? QFile::decodeName(argv[1]) : QString();
        QString why;
        if (InstanceMessenger::handOver(guard, path, 5000, &why))
            return 0;
        handOverOff = QStringLiteral("another Kestro runs but did not take the request: %1").arg(why);
        break;
    }
    case InstanceGuard::Claim::Failed:
        handOverOff = guard.errorString();
        break;
    }

    QApplication app(argc, argv);
    // Listening starts at once, so that a second start waits as little as
    // possible; its requests are carried out once the window runs.
    InstanceMessenger messenger(guard);
    if (handOverOff.isEmpty() && !messenger.listen())
        handOverOff = messenger.errorString();
    if (!handOverOff.isEmpty())
        qWarning("Kestro cannot take files from later starts: %s", qPrintable(handOverOff));
    // Lets the desktop match the window to the installed launcher entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.orvanta.Kestro"));
    // Room for the cached renderings of a whole screen of diagram items.
    CachedDropShadowEffect::reserveCache();
    FirstPaintExit *firstPaintExit = FirstPaintExit::installIfRequested();
    MainWindow window;
    if (firstPaintExit)
        firstPaintExit->setBusy([&window] { return window.project()->hasPendingItems(); });
    window.showMaximized();
    if (!handOverOff.isEmpty())
        window.showStatus(QStringLiteral("Later starts of Kestro open their own windows: %1").arg(handOverOff));
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

    const int code = app.exec();
    // A settings file made during this session was made with the umask's
    // mode; narrowed now, later rewrites keep it.
    PrivateFiles::narrowOwnFiles();
    // Locals go in reverse order: the window, the messenger, the application,
    // then the guard, which releases the lock so that a later start succeeds.
    return code;
}
