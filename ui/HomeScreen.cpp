#include "HomeScreen.h"

#include <QPaintDevice>
#include <QPainter>

HomeScreen::HomeScreen(QObject *parent)
    : QGraphicsScene(parent)
{
    m_welcomeText = QStringLiteral("Welcome to Kestro") + QStringLiteral("\n")
                    + QStringLiteral("______________________") + QStringLiteral("\n\n")
                    + QStringLiteral("File > Open to open an existing Project") + QStringLiteral("\n")
                    + QStringLiteral("File > New to create a new Kestro Project") + QStringLiteral("\n")
                    + QStringLiteral("File > Open Examples to open template Projects")
                    + QStringLiteral("\n\n") + QStringLiteral("Use Help menu to take a tour of Kestro");
}

HomeScreen *HomeScreen::instance()
{
    // Never destroyed: views may show it until the application object is gone.
    static HomeScreen *screen = new HomeScreen;
    return screen;
}

QRectF HomeScreen::textArea(const QPainter *painter, const QRectF &rect)
{
    const QPaintDevice *device = painter ? painter->device() : nullptr;
    if (!device || device->width() <= 0 || device->height() <= 0)
        return rect;
    bool invertible = false;
    const QTransform toScene = painter->worldTransform().inverted(&invertible);
    if (!invertible)
        return rect;
    return toScene.mapRect(QRectF(0, 0, device->width(), device->height()));
}

void HomeScreen::drawBackground(QPainter *painter, const QRectF &rect)
{
    QGraphicsScene::drawBackground(painter, rect);
    painter->save();
    painter->setPen(Qt::darkGray);
    painter->setFont(QFont(QStringLiteral("Arial"), 12));
    painter->drawText(textArea(painter, rect), Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextDontClip,
                      m_welcomeText);
    painter->restore();
}
