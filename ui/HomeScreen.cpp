#include "HomeScreen.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsView>
#include <QPaintDevice>
#include <QPainter>

namespace {
const QColor kLinkColour(0x2a, 0x6e, 0xbb);

QFont welcomeFont()
{
    return QFont(QStringLiteral("Arial"), 12);
}

QFont rowFont(bool hovered)
{
    QFont font(QStringLiteral("Arial"), 11);
    font.setUnderline(hovered);
    return font;
}

QFont headingFont()
{
    QFont font(QStringLiteral("Arial"), 12);
    font.setBold(true);
    return font;
}
} // namespace

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

void HomeScreen::setRecentProjects(const QStringList &paths)
{
    if (paths == m_recent)
        return;
    m_recent = paths;
    m_hovered = -1;
    update();
}

QString HomeScreen::rowText(const QString &path)
{
    const QFileInfo file(path);
    return file.fileName() + QStringLiteral("  \u2014  ") + QDir::toNativeSeparators(file.absolutePath());
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

HomeLayout HomeScreen::layoutFor(const QRectF &area, const QPaintDevice *device) const
{
    // Without recent projects the welcome text is centred in the area and
    // nothing needs measuring; the row font is then never loaded.
    if (m_recent.isEmpty())
        return homeLayout(area, QSizeF(), 0, {});
    const QFontMetricsF welcome(welcomeFont(), const_cast<QPaintDevice *>(device));
    const QFontMetricsF rows(rowFont(false), const_cast<QPaintDevice *>(device));
    const QSizeF welcomeSize = welcome.boundingRect(QRectF(), Qt::AlignCenter, m_welcomeText).size();
    QVector<qreal> widths;
    for (const QString &path : m_recent)
        widths.append(rows.horizontalAdvance(rowText(path)));
    return homeLayout(area, welcomeSize, rows.height(), widths);
}

void HomeScreen::drawBackground(QPainter *painter, const QRectF &rect)
{
    QGraphicsScene::drawBackground(painter, rect);
    const QRectF area = textArea(painter, rect);
    const HomeLayout layout = layoutFor(area, painter->device());
    painter->save();
    painter->setPen(Qt::darkGray);
    painter->setFont(welcomeFont());
    const Qt::Alignment welcomeAlignment = layout.rows.isEmpty() ? Qt::AlignHCenter | Qt::AlignVCenter
                                                                 : Qt::AlignHCenter | Qt::AlignTop;
    painter->drawText(layout.welcome, welcomeAlignment | Qt::TextDontClip, m_welcomeText);
    if (!layout.rows.isEmpty()) {
        painter->setFont(headingFont());
        painter->drawText(layout.heading, Qt::AlignCenter | Qt::TextDontClip, QStringLiteral("Recent Projects"));
        painter->setPen(kLinkColour);
        for (int i = 0; i < layout.rows.size(); ++i) {
            painter->setFont(rowFont(i == m_hovered));
            painter->drawText(layout.rows.at(i), Qt::AlignCenter | Qt::TextDontClip, rowText(m_recent.at(i)));
        }
    }
    painter->restore();
}

int HomeScreen::rowAt(QGraphicsSceneMouseEvent *event, QGraphicsView **view) const
{
    QWidget *viewport = event->widget();
    auto *shownIn = viewport ? qobject_cast<QGraphicsView *>(viewport->parentWidget()) : nullptr;
    if (view)
        *view = shownIn;
    if (!shownIn || m_recent.isEmpty())
        return -1;
    const QRectF area = shownIn->mapToScene(viewport->rect()).boundingRect();
    return homeRowAt(layoutFor(area, viewport), event->scenePos());
}

void HomeScreen::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    const int row = rowAt(event, nullptr);
    if (row != m_hovered) {
        m_hovered = row;
        update();
    }
    QGraphicsScene::mouseMoveEvent(event);
}

void HomeScreen::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    QGraphicsView *view = nullptr;
    const int row = event->button() == Qt::LeftButton ? rowAt(event, &view) : -1;
    if (row < 0) {
        QGraphicsScene::mousePressEvent(event);
        return;
    }
    event->accept();
    emit recentProjectClicked(view, m_recent.at(row));
}
