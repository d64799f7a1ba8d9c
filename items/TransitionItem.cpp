#include "TransitionItem.h"

#include "AutoSize.h"
#include "CachedDropShadowEffect.h"
#include "ConnectorGeometry.h"
#include "ItemLayout.h"
#include "StateItem.h"
#include "TransitionLine.h"
#include "TransitionProperties.h"
#include "VisibleText.h"

#include <QFontMetrics>
#include <QGraphicsScene>
#include <QGraphicsSceneContextMenuEvent>
#include <QMenu>
#include <QPainter>

namespace {
QPointF stateCentre(const StateItem *state)
{
    return itemCentre(state->pos(), state->width(), state->height());
}
}

TransitionItem::TransitionItem(QMenu *contextMenu, StateItem *startItem, StateItem *endItem,
                               QGraphicsItem *parent)
    : QObject(nullptr), QGraphicsRectItem(parent), m_startItem(startItem),
      m_endItem(endItem ? endItem : startItem), m_contextMenu(contextMenu)
{
    m_isSelfTransition = (m_startItem == m_endItem);
    m_textOption.setAlignment(Qt::AlignLeft);
    m_textOption.setWrapMode(QTextOption::NoWrap);

    if (m_startItem && m_isSelfTransition) {
        m_midPos = selfTransitionMidPos(m_startItem->pos(), m_startItem->width(),
                                        m_startItem->height(),
                                        m_startItem->selfTransitions().size());
    } else if (m_startItem) {
        m_midPos = (stateCentre(m_startItem) + stateCentre(m_endItem)) / 2.0;
    }
    setPos(boxTopLeft(m_midPos, m_width, m_height));
    setRect(0, 0, m_width, m_height);
    rebuildPolygon();

    setPen(boxOutlinePen(Qt::SolidLine));
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

QRectF TransitionItem::boundingRect() const
{
    return QRectF(0, 0, m_width, m_height);
}

QColor TransitionItem::defaultBackgroundColour()
{
    return QColor(229, 231, 233);
}

bool TransitionItem::statesOverlap() const
{
    if (m_isSelfTransition || !m_startItem || !m_endItem)
        return false;
    return m_startItem->collidesWithItem(m_endItem, Qt::IntersectsItemShape);
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

QVariant TransitionItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionHasChanged)
        refreshConnectors();
    return QGraphicsRectItem::itemChange(change, value);
}

void TransitionItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (statesOverlap())
        return;

    const QFont font = itemPaintFont(painter->font());
    painter->setFont(font);
    const QFontMetrics metrics(font);
    const TransitionTextLayout layout =
        transitionTextLayout(m_width, m_height, metrics.averageCharWidth(), metrics.height());

    QPen outline = pen();
    outline.setColor(Qt::black);
    outline.setWidth(1);
    painter->setPen(outline);

    if (!m_backgroundColour.isValid())
        m_backgroundColour = defaultBackgroundColour();
    painter->setBrush(QBrush(m_backgroundColour, Qt::SolidPattern));
    painter->drawRect(rect());

    painter->setPen(Qt::black);
    painter->drawText(QRectF(layout.labelRect), m_label, m_textOption);
    painter->setPen(Qt::blue);
    drawVisibleText(painter, QRectF(layout.conditionRect), m_condition, m_textOption);
    painter->setPen(Qt::black);
    drawVisibleText(painter, QRectF(layout.actionRect), m_action, m_textOption);
}

void TransitionItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    if (m_contextMenu)
        m_contextMenu->exec(event->screenPos());
}

void TransitionItem::resizeBox(int width, int height)
{
    prepareGeometryChange();
    m_width = width;
    m_height = height;
    setRect(0, 0, m_width, m_height);
    rebuildPolygon();
}

void TransitionItem::setWidth(int width)
{
    if (width != m_width)
        resizeBox(width, m_height);
}

void TransitionItem::setHeight(int height)
{
    if (height != m_height)
        resizeBox(m_width, height);
}

void TransitionItem::setLabel(const QString &label)
{
    m_label = label;
    update();
}

void TransitionItem::setAction(const QString &action)
{
    m_action = action;
    update();
}

void TransitionItem::setCondition(const QString &condition)
{
    m_condition = condition;
    update();
}

void TransitionItem::setBackgroundColour(const QColor &colour)
{
    m_backgroundColour = colour;
    update();
}

void TransitionItem::rebuildPolygon()
{
    m_polygon = closedRectangle(m_width, m_height);
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

void TransitionItem::setOutlineStyle(Qt::PenStyle style)
{
    prepareGeometryChange();
    setPen(boxOutlinePen(style));
    update();
}

void TransitionItem::setMarked()
{
    setOutlineStyle(Qt::DotLine);
}

void TransitionItem::clearMarked()
{
    setOutlineStyle(Qt::SolidLine);
}

void TransitionItem::applyRecord(const TransitionRecord &record)
{
    prepareGeometryChange();
    m_level = record.level;
    m_parentId = record.parentId;
    m_grandParentId = record.grandParentId;
    m_label = record.label;
    m_condition = record.condition;
    m_backgroundColour = QColor(record.backgroundColour);
    m_width = record.width;
    m_height = record.height;
    setRect(0, 0, m_width, m_height);
    m_polygon = storedOutline(record.polygon, m_width, m_height);
    m_description = record.description;
    m_action = record.action;
    setPos(record.xCoord, record.yCoord);
    update();
}

TransitionRecord TransitionItem::toRecord() const
{
    TransitionRecord record;
    record.level = m_level;
    record.parentId = m_parentId;
    record.grandParentId = m_grandParentId;
    record.label = m_label;
    record.condition = m_condition;
    record.backgroundColour = storedColourName(m_backgroundColour, defaultBackgroundColour());
    record.xCoord = pos().x();
    record.yCoord = pos().y();
    record.midPos = QString::number(m_midPos.x(), 'g', 6) + QLatin1Char(',')
                    + QString::number(m_midPos.y(), 'g', 6);
    record.width = m_width;
    record.height = m_height;
    record.polygon = m_polygon;
    record.startItem = m_startItem ? m_startItem->label() : QString();
    record.endItem = m_endItem ? m_endItem->label() : QString();
    record.description = m_description;
    record.action = m_action;
    return record;
}

void TransitionItem::fitToText()
{
    const QSize size = transitionAutoSize(m_label, m_condition, m_action, activeWindowMetrics());
    resizeBox(size.width(), size.height());
    update();
}

TransitionProperties *TransitionItem::dialog()
{
    if (!m_propertiesDialog)
        m_propertiesDialog = std::make_unique<TransitionProperties>();
    return m_propertiesDialog.get();
}

bool TransitionItem::openProperties()
{
    TransitionProperties *d = dialog();
    d->setWidth(m_width);
    d->setHeight(m_height);
    d->setLabel(m_label);
    d->setAction(m_action);
    d->setCondition(m_condition);
    d->setBackgroundColour(m_backgroundColour);
    d->setPickedColour(m_backgroundColour);
    d->setDescription(m_description);
    d->refresh();
    if (d->exec() != QDialog::Accepted)
        return false;

    m_label = d->label();
    m_action = d->action();
    m_condition = d->condition();
    m_backgroundColour = d->backgroundColour();
    m_description = d->description();
    resizeBox(d->width(), d->height());
    update();
    return true;
}
