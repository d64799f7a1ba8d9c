#include "CachedDropShadowEffect.h"
#include "FirstPaintExit.h"
#include "FirstStart.h"
#include "InstanceGuard.h"
#include "MainWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Only one Kestro per login session: a second start ends quietly.
    InstanceGuard guard(QStringLiteral("app_unique_lock"));
    if (!guard.tryClaim())
        return 0;

    QApplication app(argc, argv);
    // Lets the desktop match the window to the installed launcher entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.orvanta.Kestro"));
    // Room for the cached renderings of a whole screen of diagram items.
    CachedDropShadowEffect::reserveCache();
    FirstPaintExit::installIfRequested();
    MainWindow window;
    window.showMaximized();

    // The first argument names a project file; any further ones are ignored.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        window.openFromCommandLine(arguments.at(1));

    // The very first start of this installation for this user takes the tour.
    FirstStart::scheduleTourOnFirstStart(&window);

    // Locals go in reverse order: the window, the application, then the
    // guard, which releases the segment so that a later start succeeds.
    return app.exec();
}
