#pragma once

// Each diagram keeps its own zoom and scroll position while the project is
// open: the view's transform and scroll bars are remembered when another
// diagram replaces it in the view and put back when it returns. A diagram
// shown for the first time keeps the view's zoom and is scrolled so that
// its items can be seen.

#include <QHash>
#include <QObject>
#include <QTransform>

class Canvas;
class QGraphicsView;

class DiagramViewStates : public QObject
{
    Q_OBJECT
public:
    explicit DiagramViewStates(QGraphicsView *view, QObject *parent = nullptr);

    // The view is about to show something else than `canvas`.
    void leave(Canvas *canvas);
    // The view shows `canvas` now.
    void enter(Canvas *canvas);
    // How a diagram is first shown: from the scene's top-left corner,
    // scrolled further when none of its items could be seen there.
    void showFirstLook();
    bool remembers(const Canvas *canvas) const { return m_states.contains(canvas); }
    void clear();

private:
    struct ViewState
    {
        QTransform transform;
        int horizontal = 0;
        int vertical = 0;
    };

    QGraphicsView *m_view;
    QHash<const Canvas *, ViewState> m_states;
};
