#pragma once

#include <QObject>
#include <QPointF>
#include <QRectF>

class QGraphicsScene;
class QGraphicsView;

// Zooms a graphics view with the mouse wheel around the point under the
// cursor. It filters the events of the view's viewport: mouse moves keep the
// zoom anchor up to date, wheel turns with exactly the configured keyboard
// modifiers zoom. The filter does nothing until it is enabled.
class GraphicsViewZoom : public QObject
{
    Q_OBJECT
public:
    explicit GraphicsViewZoom(QGraphicsView *view);

    // Scales the view by factor in both directions, keeping the scene point
    // under the last recorded cursor position where it was, then emits zoomed().
    void gentleZoom(double factor);

    void setModifiers(Qt::KeyboardModifiers modifiers);
    Qt::KeyboardModifiers modifiers() const { return m_modifiers; }
    double zoomFactorBase() const { return m_zoomFactorBase; }
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }

    QPointF targetViewportPos() const { return m_targetViewportPos; }
    QPointF targetScenePos() const { return m_targetScenePos; }

signals:
    void zoomed();

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    QGraphicsView *m_view;
    Qt::KeyboardModifiers m_modifiers = Qt::NoModifier;
    double m_zoomFactorBase = 1.0015;
    QPointF m_targetScenePos;
    QPointF m_targetViewportPos;
    bool m_enabled = false;
};

// The view's scale stays between 5 % and 2000 %.
constexpr double MinViewScale = 0.05;
constexpr double MaxViewScale = 20.0;

// The factor that takes a view from `scale` by `factor` without leaving the
// allowed range (1 when the view is at the limit already).
double limitedZoomFactor(double scale, double factor);
// A scale brought into the allowed range.
double limitedViewScale(double scale);

// View operations of the main window's View commands. They act on the view
// only and are not anchored at the cursor.

// Centres on the scene origin, re-applies the current translation and scales
// by 1.1 (in) or 0.9 (out) in both directions.
void zoomViewIn(QGraphicsView *view);
void zoomViewOut(QGraphicsView *view);

// The area of what a diagram shows: the bounding rectangle of its visible
// items, without a canvas's title in the corner (which is no item of the
// diagram).
QRectF diagramItemsRect(QGraphicsScene *scene);

// Fits the diagram's items (diagramItemsRect) with a margin around them,
// keeping the aspect ratio, within the allowed scale. A null scene (no
// project open) or one without items leaves the view alone.
void fitViewToItems(QGraphicsView *view, QGraphicsScene *scene);

// Keeps the current translation, resets the transform, re-applies the
// translation and scales by (sx, sy), each brought into the allowed range.
void setViewScale(QGraphicsView *view, double sx, double sy);

// Scrolls the view so that the items of its scene can be seen: all of them
// when they fit, else their top-left corner. A view that shows any of them
// already is left alone.
void bringItemsIntoView(QGraphicsView *view);

// How a diagram is shown the first time: at 100 % from the scene's top
// left, with its items brought into view; fitted to the view when they do
// not fit in it at 100 %.
void showDiagramFirstTime(QGraphicsView *view);
