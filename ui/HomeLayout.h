#pragma once

// Where the home screen draws its parts inside the shown area: the welcome
// text and, when there are recent projects, a "Recent Projects" heading and
// one clickable row per project below it, the whole block centred. Pure
// geometry, shared by painting and by the hit test of a click.

#include <QRectF>
#include <QSizeF>
#include <QVector>

struct HomeLayout
{
    QRectF welcome;          // the welcome text is centred in it
    QRectF heading;          // empty without rows
    QVector<QRectF> rows;    // one per recent project, each as wide as its text
};

// area: the part of the scene shown; welcomeSize: the welcome text's size;
// lineHeight: the height of a row; rowWidths: the width of each row's text.
HomeLayout homeLayout(const QRectF &area, const QSizeF &welcomeSize, qreal lineHeight,
                      const QVector<qreal> &rowWidths);

// The row under point, or -1.
int homeRowAt(const HomeLayout &layout, const QPointF &point);
