#include "ProcessItem.h"

#include "CachedDropShadowEffect.h"
#include "DataflowItem.h"
#include "ItemLayout.h"
#include "LinkItem.h"

#include <QPainter>

QRect processLabelRect(int width, int height, int averageCharWidth, int lineHeight)
{
    const int margin = 3 * averageCharWidth;
    return QRect(margin, height / 2, width - 2 * margin, lineHeight);
}

ProcessItem::ProcessItem(QMenu *contextMenu, double x, double y, int shape)
    : DiagramItem(contextMenu)
    , m_shape(shape)
    , m_pen(boxOutlinePen(Qt::SolidLine))
    , m_polygon(QPolygonF(QRectF(0, 0, DefaultWidth, DefaultHeight)))
    , m_outline(closedRectangle(DefaultWidth, DefaultHeight))
    , m_x(x)
    , m_y(y)
{
    setFlags(ItemIsMovable | ItemIsSelectable | ItemSendsGeometryChanges);

    // The shadow is set once; painting only draws. The effect draws the
    // shadow of the outline from shared pictures, so a repaint blurs nothing
    // however large the item.
    auto *shadow = new CachedDropShadowEffect;
    shadow->setBlurRadius(50);
    shadow->setOutlineSource([this] {
        if (m_shape == RoundedRectangleShape)
            return ShadowOutline{ShadowOutline::RoundedRectangle, boundingRect(), CornerRadius,
                                 CornerRadius, 1, true};
        return ShadowOutline{ShadowOutline::Ellipse, boundingRect(), 0, 0, 1, true};
    });
    setGraphicsEffect(shadow);
    setCacheMode(DeviceCoordinateCache);
}

ProcessItem::~ProcessItem()
{
    // Links and dataflows outlive us during scene teardown or when an undo
    // step holding them goes; either way they must not keep a pointer to
    // this item.
    const QList<LinkItem *> links = m_links;
    for (LinkItem *link : links)
        link->processDestroyed(this);
    const QList<DataflowItem *> dataflows = m_dataflows;
    for (DataflowItem *dataflow : dataflows)
        dataflow->processDestroyed(this);
}

QRectF ProcessItem::boundingRect() const
{
    return QRectF(0, 0, m_width, m_height);
}

QPainterPath ProcessItem::shape() const
{
    return rectItemShape(boundingRect(), m_pen);
}

void ProcessItem::placeAt()
{
    setSize(DefaultWidth, DefaultHeight);
    m_polygon = QPolygonF(QRectF(0, 0, DefaultWidth, DefaultHeight));
    setPos(m_x - DefaultWidth / 2, m_y - DefaultHeight / 2);
}

void ProcessItem::addLink(LinkItem *link)
{
    m_links.append(link);
}

void ProcessItem::removeLink(LinkItem *link)
{
    m_links.removeOne(link);
}

void ProcessItem::addDataflow(DataflowItem *dataflow)
{
    m_dataflows.append(dataflow);
}

void ProcessItem::removeDataflow(DataflowItem *dataflow)
{
    m_dataflows.removeOne(dataflow);
}

void ProcessItem::setOutlineStyle(Qt::PenStyle style)
{
    prepareGeometryChange();
    m_pen = boxOutlinePen(style);
    update();
}

void ProcessItem::rebuildPolygon()
{
    m_polygon = QPolygonF(QRectF(0, 0, m_width, m_height));
    connectionsMoved();
}

void ProcessItem::setLabel(const QString &label)
{
    m_label = label;
    update();
}

void ProcessItem::setBackgroundColour(const QColor &colour)
{
    m_backgroundColour = colour;
    update();
}

void ProcessItem::setProcessShape(int shape)
{
    m_shape = shape;
    update();
}

void ProcessItem::applyRecord(const ProcessRecord &record)
{
    setLevel(record.level);
    m_nos = record.nos;
    m_id = record.id;
    m_label = record.label;
    setParentId(record.parentId);
    setGrandParentId(record.grandParentId);
    m_code = record.code;
    m_description = record.description;
    m_codeStyle = record.codeStyle;
    m_backgroundColour = QColor(record.backgroundColour);
    m_shape = record.shape;
    setSize(record.width, record.height);
    m_polygon = QPolygonF(record.polygon);
    m_x = record.xCoord;
    m_y = record.yCoord;
    setPos(m_x, m_y);
    connectionsMoved();
    update();
}

void ProcessItem::restoreRecord(const ItemRecord &record)
{
    if (const auto *process = std::get_if<ProcessRecord>(&record))
        applyRecord(*process);
}

ProcessRecord ProcessItem::toRecord() const
{
    ProcessRecord record;
    record.level = level();
    record.nos = m_nos;
    record.id = m_id;
    record.label = m_label;
    record.parentId = parentId();
    record.grandParentId = grandParentId();
    record.xCoord = pos().x();
    record.yCoord = pos().y();
    record.width = m_width;
    record.height = m_height;
    record.shape = m_shape;
    record.code = m_code;
    record.description = m_description;
    record.codeStyle = m_codeStyle;
    record.backgroundColour = storedColourName(m_backgroundColour, defaultColour());
    record.polygon = m_polygon;
    return record;
}

void ProcessItem::resize(int width, int height)
{
    const bool resized = width != m_width || height != m_height;
    setSize(width, height);
    // An outline read from a file stays as it was unless the size changed.
    if (resized)
        rebuildPolygon();
    update();
}

void ProcessItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    QPen outline = m_pen;
    outline.setColor(Qt::black);
    outline.setWidth(1);
    painter->setPen(outline);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setBrush(QBrush(shownColour(), Qt::SolidPattern));

    const QRectF area = boundingRect();
    if (m_shape == RoundedRectangleShape)
        painter->drawRoundedRect(area, CornerRadius, CornerRadius, Qt::AbsoluteSize);
    else
        painter->drawEllipse(area);

    painter->setFont(diagramFont());
    const QFontMetrics metrics(painter->font());
    painter->setPen(Qt::black);
    painter->drawText(processLabelRect(m_width, m_height, metrics.averageCharWidth(),
                                       metrics.height()),
                      Qt::AlignCenter | Qt::TextSingleLine, m_label);
}

QVariant ProcessItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionHasChanged)
        connectionsMoved();
    return QGraphicsItem::itemChange(change, value);
}

void ProcessItem::setSize(int width, int height)
{
    if (width == m_width && height == m_height)
        return;
    prepareGeometryChange();
    m_width = width;
    m_height = height;
    m_outline = closedRectangle(m_width, m_height);
    connectionsMoved();
}

void ProcessItem::connectionsMoved()
{
    for (LinkItem *link : qAsConst(m_links))
        link->updateLines();
    for (DataflowItem *dataflow : qAsConst(m_dataflows))
        dataflow->updateLines();
}
