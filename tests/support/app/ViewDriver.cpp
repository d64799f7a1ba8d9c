#include "ViewDriver.h"

#include "MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QGraphicsItem>
#include <QGraphicsView>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

ViewDriver::ViewDriver(MainWindow *window)
    : m_window(window), m_view(window->findChild<QGraphicsView *>(QStringLiteral("graphicsView")))
{
}

QAction *ViewDriver::action(const char *name) const
{
    return m_window->findChild<QAction *>(QString::fromLatin1(name));
}

void ViewDriver::send(int type, const QPointF &scenePos, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    const QPoint vp = m_view->mapFromScene(scenePos);
    QMouseEvent event(QEvent::Type(type), vp, m_view->viewport()->mapToGlobal(vp), button, buttons,
                      modifiers);
    QApplication::sendEvent(m_view->viewport(), &event);
}

void ViewDriver::press(const QPointF &scenePos, Qt::KeyboardModifiers modifiers)
{
    send(QEvent::MouseButtonPress, scenePos, Qt::LeftButton, Qt::LeftButton, modifiers);
}

void ViewDriver::moveHeld(const QPointF &scenePos)
{
    send(QEvent::MouseMove, scenePos, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
}

void ViewDriver::release(const QPointF &scenePos, Qt::KeyboardModifiers modifiers)
{
    send(QEvent::MouseButtonRelease, scenePos, Qt::LeftButton, Qt::NoButton, modifiers);
}

void ViewDriver::click(const QPointF &scenePos, Qt::KeyboardModifiers modifiers)
{
    press(scenePos, modifiers);
    release(scenePos, modifiers);
}

void ViewDriver::drag(const QPointF &from, const QPointF &to)
{
    press(from);
    moveHeld((from + to) / 2);
    moveHeld(to);
    release(to);
}

void ViewDriver::doubleClick(const QPointF &scenePos)
{
    click(scenePos);
    send(QEvent::MouseButtonDblClick, scenePos, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    release(scenePos);
}

bool ViewDriver::rightClick(const QPointF &scenePos, const std::function<void(QMenu *)> &inMenu)
{
    const QPoint vp = m_view->mapFromScene(scenePos);
    send(QEvent::MouseButtonPress, scenePos, Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    send(QEvent::MouseButtonRelease, scenePos, Qt::RightButton, Qt::NoButton, Qt::NoModifier);
    QContextMenuEvent event(QContextMenuEvent::Mouse, vp, m_view->viewport()->mapToGlobal(vp));
    bool opened = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        opened = true;
        if (inMenu)
            inMenu(menu);
        menu->close();
    });
    timer.start(0);
    QApplication::sendEvent(m_view->viewport(), &event);
    return opened;
}

void ViewDriver::key(int key)
{
    QTest::keyClick(m_view->viewport(), Qt::Key(key));
}

void ViewDriver::insertAt(const char *tool, const QPointF &scenePos)
{
    action(tool)->trigger();
    click(scenePos);
}

void ViewDriver::connect(const char *tool, const QPointF &from, const QPointF &to)
{
    action(tool)->trigger();
    drag(from, to);
}

bool ViewDriver::whileModal(const std::function<void()> &trigger,
                            const std::function<void(QWidget *)> &answer)
{
    bool opened = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        opened = true;
        answer(dialog);
    });
    timer.start(0);
    trigger();
    return opened;
}

namespace {
void pressButton(QWidget *dialog, QDialogButtonBox::StandardButton which)
{
    dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"))->button(which)->click();
}
} // namespace

void ViewDriver::ok(QWidget *dialog)
{
    pressButton(dialog, QDialogButtonBox::Ok);
}

void ViewDriver::cancel(QWidget *dialog)
{
    pressButton(dialog, QDialogButtonBox::Cancel);
}

QPointF ViewDriver::centreOf(const QGraphicsItem *item)
{
    return item->sceneBoundingRect().center();
}
