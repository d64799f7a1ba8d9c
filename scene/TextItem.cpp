#include "TextItem.h"

#include "ItemLayout.h"
#include "VisibleText.h"

#include <QFontMetricsF>
#include <QPainter>

TextItem::TextItem(QMenu *contextMenu, qreal x, qreal y, QGraphicsItem *parent)
    : BoxItem(contextMenu, DefaultWidth, DefaultHeight, parent), m_x(x), m_y(y)
{
    setPos(x, y);
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setCacheMode(QGraphicsItem::DeviceCoordinateCache);
}

TextItem::~TextItem() = default;

int TextItem::type() const
{
    return Type;
}

QColor TextItem::defaultBackgroundColour()
{
    return QColor(255, 255, 255);
}

void TextItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QFont font = diagramFont();
    painter->setFont(font);
    const QFontMetricsF metrics(font);
    const TextItemLayout layout =
        textItemLayout(width(), height(), metrics.averageCharWidth(), metrics.height());

    QPen outline = pen();
    outline.setColor(Qt::black);
    outline.setWidth(1);
    painter->setPen(outline);
    painter->setBrush(QBrush(shownColour(), Qt::SolidPattern));
    painter->drawRect(rect());

    const QString header = textTypeHeader(m_textType);
    if (!header.isEmpty()) {
        painter->setPen(Qt::blue);
        painter->drawText(QRectF(layout.headerRect), header, textOption());
    }
    painter->setPen(Qt::black);
    drawVisibleText(painter, QRectF(layout.bodyRect), m_action, textOption());
}

void TextItem::placeAt()
{
    resizeBox(DefaultWidth, DefaultHeight);
    m_textType = 0;
    setPos(m_x - width() / 2, m_y - height() / 2);
    update();
}

void TextItem::setTextType(int textType)
{
    m_textType = textType;
    update();
}

void TextItem::applyRecord(const TextRecord &record)
{
    setLevel(record.level);
    setParentId(record.parentId);
    setGrandParentId(record.grandParentId);
    m_textType = record.type;
    m_backgroundColour = QColor(record.backgroundColour);
    m_textColour = QColor(record.textColour);
    m_action = record.action;
    takeStoredGeometry(record.width, record.height, record.polygon);
    setPos(m_x, m_y);
    update();
}

void TextItem::restoreRecord(const ItemRecord &record)
{
    const auto *text = std::get_if<TextRecord>(&record);
    if (!text)
        return;
    applyRecord(*text);
    setPos(text->xCoord, text->yCoord);
}

TextRecord TextItem::toRecord() const
{
    TextRecord record;
    record.level = level();
    record.parentId = parentId();
    record.grandParentId = grandParentId();
    record.xCoord = pos().x();
    record.yCoord = pos().y();
    record.width = width();
    record.height = height();
    record.type = m_textType;
    record.backgroundColour = storedColourName(m_backgroundColour, defaultBackgroundColour());
    // The text colour is not painted; an unset one is written as the black
    // the text is drawn in.
    record.textColour = storedColourName(m_textColour, Qt::black);
    record.polygon = polygon();
    record.action = m_action;
    return record;
}

QSize TextItem::fittedSize(const TextMetrics &metrics) const
{
    return textAutoSize(m_action, metrics);
}
