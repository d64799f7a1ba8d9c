#include "TourTip.h"

#include "TourText.h"

#include <QPainter>

namespace {
const int apexX = 0;
const int apexY = 25;
const qreal baseWidth = 11.0;
const int middleHeight = 25;
const int tipMargin = 5;
} // namespace

TourTip::TourTip(QWidget *parent)
    : QLabel(parent)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setMaximumWidth(int(baseWidth));
}

QPolygon TourTip::triangle(bool pointsRight)
{
    const int width = int(baseWidth);
    const int apex = pointsRight ? width - apexX : apexX;
    const int baseX = pointsRight ? 0 : width;
    const int top = int(middleHeight - baseWidth / 2 - tipMargin);
    const int bottom = int(tipMargin + middleHeight + baseWidth / 2);
    return QPolygon({QPoint(apex, apexY), QPoint(baseX, top), QPoint(baseX, bottom)});
}

void TourTip::setPointsRight(bool right)
{
    if (m_pointsRight == right)
        return;
    m_pointsRight = right;
    update();
}

void TourTip::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(TourText::tourColour());
        painter.drawPolygon(triangle(m_pointsRight));
    }
    QLabel::paintEvent(event);
}
