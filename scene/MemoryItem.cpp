#include "MemoryItem.h"

#include "DataflowItem.h"
#include "ItemLayout.h"
#include "LabelBoxItem.h"
#include "ProcessItem.h"

#include <QPainter>

namespace {

double textWidth(const QString &text, double averageCharWidth)
{
    return text.length() * averageCharWidth + 8 * averageCharWidth;
}

} // namespace

int memoryItemWidth(const QString &label, const QString &datatype, double averageCharWidth)
{
    if (label.isEmpty() && datatype.isEmpty())
        return MemoryItem::DefaultWidth;
    const double widest = qMax(textWidth(label, averageCharWidth),
                               textWidth(datatype, averageCharWidth));
    return static_cast<int>(widest + 6 * averageCharWidth);
}

QRect memoryLabelRect(const QString &label, double averageCharWidth)
{
    return QRect(QPoint(static_cast<int>(3 * averageCharWidth), 10),
                 QSize(static_cast<int>(textWidth(label, averageCharWidth)), 21));
}

QRect memoryDatatypeRect(const QString &datatype, double averageCharWidth)
{
    return QRect(QPoint(static_cast<int>(3 * averageCharWidth), 30),
                 QSize(static_cast<int>(textWidth(datatype, averageCharWidth)), 21));
}

void paintMemoryBand(QPainter *painter, int width, int height, const QColor &fill,
                     const QString &label, const QString &datatype, double averageCharWidth)
{
    QPen band(QBrush(QColor(139, 0, 139)), 4);
    painter->setPen(band);
    painter->drawLine(QPointF(0, 0), QPointF(width, 0));
    painter->drawLine(QPointF(0, height - 4), QPointF(width, height - 4));
    painter->fillRect(QRect(QPoint(0, 5), QPoint(width - 1, height - 10)),
                      QBrush(fill, Qt::SolidPattern));
    painter->setPen(QPen(QBrush(Qt::black), 1, Qt::SolidLine));
    const int flags = Qt::AlignCenter | Qt::TextDontClip;
    painter->drawText(memoryLabelRect(label, averageCharWidth), flags, label);
    painter->drawText(memoryDatatypeRect(datatype, averageCharWidth), flags, datatype);
}

MemoryItem::MemoryItem(QMenu *contextMenu, double x, double y)
    : DiagramItem(contextMenu)
    , m_x(x)
    , m_y(y)
    , m_polygon(QPolygonF(QRectF(0, 0, DefaultWidth, Height)))
    , m_pen(QBrush(Qt::black), 1, Qt::SolidLine)
{
    setFlags(ItemIsMovable | ItemIsSelectable | ItemSendsGeometryChanges);
}

MemoryItem::~MemoryItem()
{
    const QList<DataflowItem *> dataflows = m_dataflows;
    for (DataflowItem *dataflow : dataflows)
        dataflow->memoryDestroyed(this);
}

void MemoryItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QFont font = diagramFont();
    painter->setFont(font);
    paintMemoryBand(painter, m_width, m_height, shownColour(), m_label, m_datatype,
                    labelMetrics(font).averageCharWidth);
    if (m_pen.style() != Qt::SolidLine) {
        // Marked: a dotted outline around the band.
        painter->setPen(m_pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(boundingRect());
    }
}

QRectF MemoryItem::boundingRect() const
{
    return QRectF(0, 0, m_width, m_height);
}

void MemoryItem::placeAt()
{
    // Centred on the creation point at the default size, as a new memory
    // item is; a label set earlier widens it to the right afterwards.
    setPos(m_x - DefaultWidth / 2, m_y - Height / 2);
    updateSize();
}

void MemoryItem::addDataflow(DataflowItem *dataflow)
{
    m_dataflows.append(dataflow);
}

void MemoryItem::removeDataflow(DataflowItem *dataflow)
{
    m_dataflows.removeOne(dataflow);
}

void MemoryItem::setOutlineStyle(Qt::PenStyle style)
{
    prepareGeometryChange();
    m_pen.setStyle(style);
    update();
}

void MemoryItem::rebuildPolygon()
{
    m_polygon = QPolygonF(QRectF(0, 0, m_width, m_height));
}

void MemoryItem::updateSize()
{
    const int width = memoryItemWidth(m_label, m_datatype, diagramMetrics().averageCharWidth);
    if (width != m_width || m_height != Height) {
        prepareGeometryChange();
        m_width = width;
        m_height = Height;
    }
    // Dataflow lines are clipped at the outline: place them again whenever
    // it changed (an outline read from a file may not fit the size).
    const QPolygonF before = m_polygon;
    rebuildPolygon();
    if (m_polygon != before)
        connectionsMoved();
    update();
}

void MemoryItem::setDatatype(const QString &datatype)
{
    m_datatype = datatype;
    updateSize();
}

void MemoryItem::setLabel(const QString &label)
{
    m_label = label;
    updateSize();
}

void MemoryItem::setBackgroundColour(const QColor &colour)
{
    m_backgroundColour = colour;
    update();
}

void MemoryItem::applyRecord(const MemoryRecord &record)
{
    setLevel(record.level);
    setParentId(record.parentId);
    setGrandParentId(record.grandParentId);
    m_label = record.label;
    m_description = record.description;
    m_datatype = record.datatype;
    m_backgroundColour = QColor(record.backgroundColour);
    m_polygon = QPolygonF(record.polygon);
    m_x = record.xCoord;
    m_y = record.yCoord;
    setPos(m_x, m_y);
    updateSize();
}

MemoryRecord MemoryItem::toRecord() const
{
    MemoryRecord record;
    record.level = level();
    record.parentId = parentId();
    record.grandParentId = grandParentId();
    record.xCoord = pos().x();
    record.yCoord = pos().y();
    record.label = m_label;
    record.description = m_description;
    record.datatype = m_datatype;
    record.backgroundColour = storedColourName(m_backgroundColour, fallbackColour());
    record.polygon = m_polygon;
    return record;
}

void MemoryItem::restoreRecord(const ItemRecord &record)
{
    if (const auto *memory = std::get_if<MemoryRecord>(&record))
        applyRecord(*memory);
}

void MemoryItem::shareTextsWithDataflows()
{
    for (DataflowItem *dataflow : qAsConst(m_dataflows)) {
        dataflow->setLabel(m_label);
        dataflow->setDatatype(m_datatype);
    }
}

QVariant MemoryItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionHasChanged)
        connectionsMoved();
    else if (change == ItemSceneHasChanged)
        updateSize();
    return QGraphicsItem::itemChange(change, value);
}

void MemoryItem::connectionsMoved()
{
    for (DataflowItem *dataflow : qAsConst(m_dataflows))
        dataflow->updateLines();
}
