#pragma once

// The pointer of the tour box: a green triangle, 11 pixels wide, whose apex
// touches the element the box explains.

#include <QLabel>
#include <QPolygon>

class TourTip : public QLabel
{
    Q_OBJECT

public:
    explicit TourTip(QWidget *parent = nullptr);

    // The triangle in widget coordinates: apex (0, 25), base on x = 11 from
    // y = 14 to y = 35.
    static QPolygon triangle();

protected:
    void paintEvent(QPaintEvent *event) override;
};
