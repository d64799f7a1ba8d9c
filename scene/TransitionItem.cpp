#include "TransitionItem.h"

#include "CachedDropShadowEffect.h"
#include "ConnectorGeometry.h"
#include "ItemLayout.h"
#include "StateItem.h"
#include "TransitionLine.h"
#include "VisibleText.h"

#include <QFontMetrics>
#include <QGraphicsScene>
#include <QPainter>

namespace {
QPointF stateCentre(const StateItem *state)
{
    return itemCentre(state->pos(), state->width(), state->height());
}
}

TransitionItem::TransitionItem(QMenu *contextMenu, StateItem *startItem, StateItem *endItem,
                               QGraphicsItem *parent)
    : BoxItem(contextMenu, DefaultWidth, DefaultHeight, parent), m_startItem(startItem),
      m_endItem(endItem ? endItem : startItem)
{
    m_isSelfTransition = (m_startItem == m_endItem);
    if (m_startItem && m_isSelfTransition) {
        m_midPos = selfTransitionMidPos(m_startItem->pos(), m_startItem->width(),
                                        m_startItem->height(),
                                        m_startItem->selfTransitions().size());
    } else if (m_startItem) {
        m_midPos = (stateCentre(m_startItem) + stateCentre(m_endItem)) / 2.0;
    }
    setPos(boxTopLeft(m_midPos, width(), height()));

    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setFlag(QGraphicsItem::ItemSendsGeometryChanges, true);

    auto *shadow = new CachedDropShadowEffect;
    m_shadow = shadow;
    m_shadow->setBlurRadius(50);
    // A transition between overlapping states is not painted, nor its shadow.
    shadow->setOutlineSource([this] {
        return ShadowOutline{statesOverlap() ? ShadowOutline::None : ShadowOutline::Rectangle,
                             rect(), 0, 0, 1, true};
    });
    setGraphicsEffect(m_shadow);
    setCacheMode(QGraphicsItem::DeviceCoordinateCache);
}

TransitionItem::~TransitionItem() = default;

int TransitionItem::type() const
{
    return Type;
}

QColor TransitionItem::defaultBackgroundColour()
{
    return QColor(229, 231, 233);
}

bool TransitionItem::statesOverlap() const
{
    if (m_isSelfTransition || !m_startItem || !m_endItem)
        return false;
    return itemsCollide(m_startItem, m_endItem);
}

void TransitionItem::refreshConnectors()
{
    update();
    for (TransitionLine *line : {m_startLine, m_endLine}) {
        if (line) {
            line->updateGeometry();
            line->update();
        }
    }
}

void TransitionItem::geometryChanged()
{
    refreshConnectors();
}

QVariant TransitionItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionHasChanged)
        refreshConnectors();
    return QGraphicsItem::itemChange(change, value);
}

void TransitionItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (statesOverlap())
        return;

    const QFont font = itemPaintFont(diagramFont());
    painter->setFont(font);
    const QFontMetrics metrics(font);
    const TransitionTextLayout layout =
        transitionTextLayout(width(), height(), metrics.averageCharWidth(), metrics.height());

    QPen outline = pen();
    outline.setColor(Qt::black);
    outline.setWidth(1);
    painter->setPen(outline);
    painter->setBrush(QBrush(shownColour(), Qt::SolidPattern));
    painter->drawRect(rect());

    painter->setPen(Qt::black);
    painter->drawText(QRectF(layout.labelRect), m_label, textOption());
    painter->setPen(Qt::blue);
    drawVisibleText(painter, QRectF(layout.conditionRect), m_condition, textOption());
    painter->setPen(Qt::black);
    drawVisibleText(painter, QRectF(layout.actionRect), m_action, textOption());
}

void TransitionItem::setLabel(const QString &label)
{
    m_label = label;
    update();
}

void TransitionItem::setCondition(const QString &condition)
{
    m_condition = condition;
    update();
}

void TransitionItem::removeLines()
{
    QGraphicsScene *current = scene();
    if (!current)
        return;
    for (TransitionLine *line : {m_startLine, m_endLine}) {
        if (line && line->scene() == current)
            current->removeItem(line);
    }
}

void TransitionItem::applyRecord(const TransitionRecord &record)
{
    setLevel(record.level);
    setParentId(record.parentId);
    setGrandParentId(record.grandParentId);
    m_label = record.label;
    m_condition = record.condition;
    m_backgroundColour = QColor(record.backgroundColour);
    m_description = record.description;
    m_action = record.action;
    takeStoredGeometry(record.width, record.height, record.polygon);
    setPos(record.xCoord, record.yCoord);
    update();
}

void TransitionItem::restoreRecord(const ItemRecord &record)
{
    if (const auto *transition = std::get_if<TransitionRecord>(&record))
        applyRecord(*transition);
}

TransitionRecord TransitionItem::toRecord() const
{
    TransitionRecord record;
    record.level = level();
    record.parentId = parentId();
    record.grandParentId = grandParentId();
    record.label = m_label;
    record.condition = m_condition;
    record.backgroundColour = storedColourName(m_backgroundColour, defaultBackgroundColour());
    record.xCoord = pos().x();
    record.yCoord = pos().y();
    record.midPos = QString::number(m_midPos.x(), 'g', 6) + QLatin1Char(',')
                    + QString::number(m_midPos.y(), 'g', 6);
    record.width = width();
    record.height = height();
    record.polygon = polygon();
    record.startItem = m_startItem ? m_startItem->label() : QString();
    record.endItem = m_endItem ? m_endItem->label() : QString();
    record.description = m_description;
    record.action = m_action;
    return record;
}

QSize TransitionItem::fittedSize(const TextMetrics &metrics) const
{
    return transitionAutoSize(m_label, m_condition, m_action, metrics);
}
