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
    // y = 14 to y = 35; mirrored (apex at x = 11, base on x = 0) when the
    // pointer points right.
    static QPolygon triangle(bool pointsRight = false);

    // Which way the pointer points; left unless set.
    bool pointsRight() const { return m_pointsRight; }
    void setPointsRight(bool right);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_pointsRight = false;
};
