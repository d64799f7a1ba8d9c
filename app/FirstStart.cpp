#include "FirstStart.h"

#include "AppTour.h"
#include "ProjectWindow.h"

#include <QWidget>

#include <QSettings>
#include <QString>
#include <QTimer>

namespace FirstStart {

namespace {
QSettings store()
{
    return QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro"));
}

void startTour(ProjectWindow *window)
{
    AppTour *tour = window->dialogParent()->findChild<AppTour *>();
    if (!tour || tour->start() == AppTour::StartResult::Unavailable)
        return;
    QSettings settings = store();
    markDone(settings);
}
} // namespace

QString settingsKey()
{
    return QStringLiteral("firstStartDone");
}

bool isPending(QSettings &settings)
{
    return !settings.value(settingsKey(), false).toBool();
}

void markDone(QSettings &settings)
{
    settings.setValue(settingsKey(), true);
    settings.sync();
}

bool scheduleTourOnFirstStart(ProjectWindow *window)
{
    QSettings settings = store();
    // Without a sample project the tour could only show an error box; the
    // first start waits for a start that has one.
    if (!isPending(settings) || AppTour::findSampleProject().isEmpty())
        return false;
    QTimer::singleShot(TourDelayMs, window->dialogParent(), [window] { startTour(window); });
    return true;
}

} // namespace FirstStart
