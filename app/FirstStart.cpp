#include "FirstStart.h"

#include "MainWindow.h"

#include <QSettings>
#include <QString>
#include <QTimer>

namespace FirstStart {

QString settingsKey()
{
    return QStringLiteral("firstStartDone");
}

bool claim(QSettings &settings)
{
    if (settings.value(settingsKey(), false).toBool())
        return false;
    settings.setValue(settingsKey(), true);
    // Written now: a crash during the first run must not bring the tour back.
    settings.sync();
    return true;
}

bool scheduleTourOnFirstStart(MainWindow *window)
{
    QSettings settings(QStringLiteral("Orvanta"), QStringLiteral("Kestro"));
    if (!claim(settings))
        return false;
    QTimer::singleShot(TourDelayMs, window, &MainWindow::on_actionAppTour_triggered);
    return true;
}

} // namespace FirstStart
