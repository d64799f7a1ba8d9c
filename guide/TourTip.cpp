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

QPolygon TourTip::triangle()
{
    const int baseX = int(baseWidth);
    const int top = int(middleHeight - baseWidth / 2 - tipMargin);
    const int bottom = int(tipMargin + middleHeight + baseWidth / 2);
    return QPolygon({QPoint(apexX, apexY), QPoint(baseX, top), QPoint(baseX, bottom)});
}

void TourTip::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(TourText::tourColour());
        painter.drawPolygon(triangle());
    }
    QLabel::paintEvent(event);
}
