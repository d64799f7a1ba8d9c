#include "FirstPaintExit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>
#include <unistd.h>

FirstPaintExit::FirstPaintExit(QObject *parent)
    : QObject(parent)
{
}

FirstPaintExit *FirstPaintExit::installIfRequested()
{
    if (qEnvironmentVariableIsEmpty("KESTRO_EXIT_AFTER_FIRST_PAINT") || !qApp)
        return nullptr;
    auto *exit = new FirstPaintExit(qApp);
    exit->m_waitsForIdle = qgetenv("KESTRO_EXIT_AFTER_FIRST_PAINT") == "idle";
    qApp->installEventFilter(exit);
    return exit;
}

void FirstPaintExit::reportFrame()
{
    if (m_reported)
        return;
    m_reported = true;
    bool ok = false;
    const int fd = qEnvironmentVariableIntValue("KESTRO_FIRST_FRAME_FD", &ok);
    if (!ok || fd < 0)
        return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    char line[32];
    const int length = std::snprintf(line, sizeof line, "%lld\n",
                                     static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    if (length > 0 && ::write(fd, line, size_t(length)) != length)
        std::fprintf(stderr, "Kestro: could not report the first frame's time\n");
}

bool FirstPaintExit::eventFilter(QObject *watched, QEvent *event)
{
    // A window paints its children within the same repaint; quitting from
    // a timer lets that repaint finish and reach the screen first. The
    // first frame may come from a dialog's own event loop while a project
    // opens, which a quit only ends; the timer asks again until the
    // application's loop has ended too.
    if (!m_quitting && event->type() == QEvent::Paint && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->isVisible()) {
        m_quitting = true;
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &FirstPaintExit::reportFrame);
        connect(timer, &QTimer::timeout, this, &FirstPaintExit::quit);
        timer->start(0);
    }
    return QObject::eventFilter(watched, event);
}

void FirstPaintExit::quit()
{
    if (m_waitsForIdle && m_busy && m_busy())
        return;   // the timer asks again after the next events
    QCoreApplication::quit();
}
