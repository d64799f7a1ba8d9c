#pragma once

// Drives a main window's graphics view the way a person does: real mouse
// events at scene positions (presses, drags, double-clicks, right-clicks
// that open an item's context menu), key presses, and modal dialogs or
// menus answered while they are open.

#include <QPointF>

#include <functional>

class MainWindow;
class QAction;
class QGraphicsItem;
class QGraphicsView;
class QMenu;
class QWidget;

class ViewDriver
{
public:
    explicit ViewDriver(MainWindow *window);

    QGraphicsView *view() const { return m_view; }
    QAction *action(const char *name) const;

    void press(const QPointF &scenePos, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // A move with the left button held.
    void moveHeld(const QPointF &scenePos);
    void release(const QPointF &scenePos, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void click(const QPointF &scenePos, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void drag(const QPointF &from, const QPointF &to);
    // Press, release, double-click, release, as a double-click arrives.
    void doubleClick(const QPointF &scenePos);
    // A right click at scenePos; the context menu it opens runs inMenu
    // (if any) and closes. Returns whether a menu opened.
    bool rightClick(const QPointF &scenePos, const std::function<void(QMenu *)> &inMenu = {});
    // A key typed into the view (window shortcuts such as Escape see it).
    void key(int key);

    // Chooses a drawing tool and clicks where the item goes.
    void insertAt(const char *tool, const QPointF &scenePos);
    // Chooses a connection tool and drags from one point to another.
    void connect(const char *tool, const QPointF &from, const QPointF &to);

    // Runs trigger while `answer` is called on the modal dialog it opens;
    // returns whether one opened.
    static bool whileModal(const std::function<void()> &trigger,
                           const std::function<void(QWidget *)> &answer);
    // Clicks OK or Cancel of a dialog's "buttonBox".
    static void ok(QWidget *dialog);
    static void cancel(QWidget *dialog);

    static QPointF centreOf(const QGraphicsItem *item);

private:
    void send(int type, const QPointF &scenePos, Qt::MouseButton button, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers modifiers);

    MainWindow *m_window;
    QGraphicsView *m_view;
};
