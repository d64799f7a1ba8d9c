#include "TextItem.h"

#include "AutoSize.h"
#include "ItemLayout.h"
#include "TextProperties.h"
#include "VisibleText.h"

#include <QFontMetricsF>
#include <QGraphicsSceneContextMenuEvent>
#include <QMenu>
#include <QPainter>

TextItem::TextItem(QMenu *contextMenu, qreal x, qreal y, QGraphicsItem *parent)
    : QObject(nullptr), QGraphicsRectItem(parent), m_x(x), m_y(y), m_contextMenu(contextMenu)
{
    m_textOption.setAlignment(Qt::AlignLeft);
    m_textOption.setWrapMode(QTextOption::NoWrap);
    setPos(x, y);
    setRect(0, 0, m_width, m_height);
    rebuildPolygon();
    setPen(boxOutlinePen(Qt::SolidLine));
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setCacheMode(QGraphicsItem::DeviceCoordinateCache);
}

TextItem::~TextItem() = default;

int TextItem::type() const
{
    return Type;
}

QRectF TextItem::boundingRect() const
{
    return QRectF(0, 0, m_width, m_height);
}

QColor TextItem::defaultBackgroundColour()
{
    return QColor(255, 255, 255);
}

void TextItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QFontMetricsF metrics(painter->font());
    const TextItemLayout layout =
        textItemLayout(m_width, m_height, metrics.averageCharWidth(), metrics.height());

    QPen outline = pen();
    outline.setColor(Qt::black);
    outline.setWidth(1);
    painter->setPen(outline);
    if (!m_backgroundColour.isValid())
        m_backgroundColour = defaultBackgroundColour();
    painter->setBrush(QBrush(m_backgroundColour, Qt::SolidPattern));
    painter->drawRect(rect());

    const QString header = textTypeHeader(m_textType);
    if (!header.isEmpty()) {
        painter->setPen(Qt::blue);
        painter->drawText(QRectF(layout.headerRect), header, m_textOption);
    }
    painter->setPen(Qt::black);
    drawVisibleText(painter, QRectF(layout.bodyRect), m_action, m_textOption);
}

void TextItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    if (m_contextMenu)
        m_contextMenu->exec(event->screenPos());
}

void TextItem::placeAt()
{
    resizeBox(DefaultWidth, DefaultHeight);
    m_textType = 0;
    setPos(m_x - m_width / 2, m_y - m_height / 2);
    update();
}

void TextItem::resizeBox(int width, int height)
{
    prepareGeometryChange();
    m_width = width;
    m_height = height;
    setRect(0, 0, m_width, m_height);
    rebuildPolygon();
}

void TextItem::setWidth(int width)
{
    if (width != m_width)
        resizeBox(width, m_height);
}

void TextItem::setHeight(int height)
{
    if (height != m_height)
        resizeBox(m_width, height);
}

void TextItem::setTextType(int textType)
{
    m_textType = textType;
    update();
}

void TextItem::setAction(const QString &action)
{
    m_action = action;
    update();
}

void TextItem::setBackgroundColour(const QColor &colour)
{
    m_backgroundColour = colour;
    update();
}

void TextItem::rebuildPolygon()
{
    m_polygon = closedRectangle(m_width, m_height);
}

void TextItem::setOutlineStyle(Qt::PenStyle style)
{
    prepareGeometryChange();
    setPen(boxOutlinePen(style));
    update();
}

void TextItem::setMarked()
{
    setOutlineStyle(Qt::DotLine);
}

void TextItem::clearMarked()
{
    setOutlineStyle(Qt::SolidLine);
}

void TextItem::applyRecord(const TextRecord &record)
{
    prepareGeometryChange();
    m_level = record.level;
    m_parentId = record.parentId;
    m_grandParentId = record.grandParentId;
    m_textType = record.type;
    m_backgroundColour = QColor(record.backgroundColour);
    m_textColour = QColor(record.textColour);
    m_action = record.action;
    m_width = record.width;
    m_height = record.height;
    setRect(0, 0, m_width, m_height);
    m_polygon = storedOutline(record.polygon, m_width, m_height);
    setPos(m_x, m_y);
    update();
}

TextRecord TextItem::toRecord() const
{
    TextRecord record;
    record.level = m_level;
    record.parentId = m_parentId;
    record.grandParentId = m_grandParentId;
    record.xCoord = pos().x();
    record.yCoord = pos().y();
    record.width = m_width;
    record.height = m_height;
    record.type = m_textType;
    record.backgroundColour = storedColourName(m_backgroundColour, defaultBackgroundColour());
    // The text colour is not painted; an unset one is written as the black
    // the text is drawn in.
    record.textColour = storedColourName(m_textColour, Qt::black);
    record.polygon = m_polygon;
    record.action = m_action;
    return record;
}

void TextItem::fitToText()
{
    const QSize size = textAutoSize(m_action, activeWindowMetrics());
    resizeBox(size.width(), size.height());
    update();
}

TextProperties *TextItem::dialog()
{
    if (!m_propertiesDialog)
        m_propertiesDialog = std::make_unique<TextProperties>();
    return m_propertiesDialog.get();
}

bool TextItem::openProperties()
{
    TextProperties *d = dialog();
    d->setWidth(m_width);
    d->setHeight(m_height);
    d->setAction(m_action);
    d->setTextType(m_textType);
    d->refresh();
    if (d->exec() != QDialog::Accepted)
        return false;

    prepareGeometryChange();
    m_width = d->width();
    m_height = d->height();
    m_action = d->action();
    m_textType = d->textType();
    setRect(0, 0, m_width, m_height);
    rebuildPolygon();
    update();
    return true;
}
