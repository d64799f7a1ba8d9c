#include "FirstPaintExit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

FirstPaintExit::FirstPaintExit(QObject *parent)
    : QObject(parent)
{
}

void FirstPaintExit::installIfRequested()
{
    if (qEnvironmentVariableIsEmpty("KESTRO_EXIT_AFTER_FIRST_PAINT") || !qApp)
        return;
    qApp->installEventFilter(new FirstPaintExit(qApp));
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
        connect(timer, &QTimer::timeout, qApp, &QCoreApplication::quit);
        timer->start(0);
    }
    return QObject::eventFilter(watched, event);
}
