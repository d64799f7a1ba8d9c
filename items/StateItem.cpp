#include "StateItem.h"

#include "AutoSize.h"
#include "CachedDropShadowEffect.h"
#include "ItemLayout.h"
#include "StateProperties.h"
#include "TransitionItem.h"
#include "VisibleText.h"

#include <QFontMetrics>
#include <QGraphicsSceneContextMenuEvent>
#include <QMenu>
#include <QPainter>

StateItem::StateItem(QMenu *contextMenu, qreal x, qreal y, QGraphicsItem *parent)
    : QObject(nullptr), QGraphicsItem(parent), m_contextMenu(contextMenu)
{
    m_borderPen = QPen(QBrush(Qt::black), 1, Qt::SolidLine);
    m_initialPen = QPen(QBrush(Qt::red), 1, Qt::SolidLine);
    m_actionTextOption.setAlignment(Qt::AlignLeft);
    m_actionTextOption.setWrapMode(QTextOption::NoWrap);

    // The effect is set once here; it draws the shadow of the rounded box
    // from shared pictures, so no repaint blurs anything.
    auto *shadow = new CachedDropShadowEffect;
    m_shadow = shadow;
    m_shadow->setBlurRadius(50);
    shadow->setOutlineSource([this] {
        return ShadowOutline{ShadowOutline::RoundedRectangle, boundingRect(), m_xRadius, m_yRadius,
                             m_borderPen.widthF(), true};
    });
    setGraphicsEffect(m_shadow);
    setCacheMode(QGraphicsItem::DeviceCoordinateCache);

    setPos(x, y);
    rebuildPolygon();
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setAcceptHoverEvents(true);
    setFlag(QGraphicsItem::ItemSendsGeometryChanges, true);
}

StateItem::~StateItem() = default;

QRectF StateItem::boundingRect() const
{
    return QRectF(0, 0, m_width, m_height);
}

int StateItem::type() const
{
    return Type;
}

QColor StateItem::defaultBackgroundColour()
{
    return QColor(229, 231, 233);
}

void StateItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QFont font = itemPaintFont(painter->font());
    painter->setFont(font);
    const QFontMetrics metrics(font);
    const StateTextLayout layout =
        stateTextLayout(m_width, m_height, metrics.averageCharWidth(), metrics.height());

    painter->setPen(m_initial ? m_initialPen : m_borderPen);
    painter->setRenderHint(QPainter::Antialiasing, true);

    if (!m_backgroundColour.isValid())
        m_backgroundColour = defaultBackgroundColour();
    painter->setBrush(QBrush(m_backgroundColour, Qt::SolidPattern));

    painter->drawRoundedRect(boundingRect(), m_xRadius, m_yRadius, Qt::AbsoluteSize);
    painter->drawLine(0, layout.separatorY, m_width, layout.separatorY);
    painter->drawText(layout.labelRect, Qt::AlignCenter | Qt::TextSingleLine, m_label);
    drawVisibleText(painter, QRectF(layout.actionRect), m_action, m_actionTextOption);
}

void StateItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    if (m_contextMenu)
        m_contextMenu->exec(event->screenPos());
}

QVariant StateItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionHasChanged) {
        for (TransitionItem *t : qAsConst(m_transitions))
            t->refreshConnectors();
        for (TransitionItem *t : qAsConst(m_selfTransitions))
            t->refreshConnectors();
    }
    return QGraphicsItem::itemChange(change, value);
}

void StateItem::addTransition(TransitionItem *t)
{
    if (!t)
        return;
    if (t->isSelfTransition())
        m_selfTransitions.append(t);
    else
        m_transitions.append(t);
}

void StateItem::insertTransition(int index, TransitionItem *t)
{
    if (!t)
        return;
    QList<TransitionItem *> &list = t->isSelfTransition() ? m_selfTransitions : m_transitions;
    list.insert(qBound(0, index, list.size()), t);
}

void StateItem::removeTransition(TransitionItem *t)
{
    if (!t)
        return;
    if (t->isSelfTransition())
        m_selfTransitions.removeOne(t);
    else
        m_transitions.removeOne(t);
}

void StateItem::resizeBox(int width, int height)
{
    prepareGeometryChange();
    m_width = width;
    m_height = height;
    rebuildPolygon();
}

void StateItem::setWidth(int width)
{
    if (width != m_width)
        resizeBox(width, m_height);
}

void StateItem::setHeight(int height)
{
    if (height != m_height)
        resizeBox(m_width, height);
}

void StateItem::setLabel(const QString &label)
{
    m_label = label;
    update();
}

void StateItem::setAction(const QString &action)
{
    m_action = action;
    update();
}

void StateItem::setBackgroundColour(const QColor &colour)
{
    m_backgroundColour = colour;
    update();
}

void StateItem::rebuildPolygon()
{
    m_polygon = closedRectangle(m_width, m_height);
}

void StateItem::setInitialState(bool initial)
{
    m_initial = initial;
    if (m_propertiesDialog)
        m_propertiesDialog->setInitialState(initial);
    update();
}

void StateItem::setOutlineStyle(Qt::PenStyle style)
{
    prepareGeometryChange();
    if (m_initial)
        m_initialPen.setStyle(style);
    else
        m_borderPen.setStyle(style);
    update();
}

void StateItem::setMarked()
{
    setOutlineStyle(Qt::DotLine);
}

void StateItem::clearMarked()
{
    setOutlineStyle(Qt::SolidLine);
}

void StateItem::applyRecord(const StateRecord &record)
{
    prepareGeometryChange();
    m_level = record.level;
    m_parentId = record.parentId;
    m_grandParentId = record.grandParentId;
    m_label = record.label;
    setInitialState(record.ifInitialState);
    m_initialCondition = record.initialCondition;
    m_initialDescription = record.initialDescription;
    m_width = record.width;
    m_height = record.height;
    m_backgroundColour = QColor(record.backgroundColour);
    m_polygon = storedOutline(record.polygon, m_width, m_height);
    m_action = record.action;
    m_description = record.description;
    m_transitions.clear();
    m_selfTransitions.clear();
    setPos(record.xCoord, record.yCoord);
    update();
}

StateRecord StateItem::toRecord() const
{
    StateRecord record;
    record.level = m_level;
    record.parentId = m_parentId;
    record.grandParentId = m_grandParentId;
    record.label = m_label;
    record.ifInitialState = m_initial;
    record.initialCondition = m_initialCondition;
    record.initialDescription = m_initialDescription;
    record.xCoord = pos().x();
    record.yCoord = pos().y();
    record.width = m_width;
    record.height = m_height;
    record.backgroundColour = storedColourName(m_backgroundColour, defaultBackgroundColour());
    record.polygon = m_polygon;
    record.action = m_action;
    record.description = m_description;
    record.numberOfTI = m_transitions.size();
    for (const TransitionItem *t : m_transitions)
        record.transitions << t->label();
    return record;
}

void StateItem::fitToText()
{
    const QSize size = stateAutoSize(m_label, m_action, activeWindowMetrics());
    resizeBox(size.width(), size.height());
    update();
}

StateProperties *StateItem::dialog()
{
    if (!m_propertiesDialog)
        m_propertiesDialog = std::make_unique<StateProperties>();
    return m_propertiesDialog.get();
}

bool StateItem::openProperties(bool initialLocked, const LabelCheck &labelCheck)
{
    StateProperties *d = dialog();
    d->setLabelCheck(labelCheck);
    d->setWidth(m_width);
    d->setHeight(m_height);
    d->setLabel(m_label);
    d->setAction(m_action);
    d->setBackgroundColour(m_backgroundColour);
    d->setPickedColour(m_backgroundColour);
    d->setDescription(m_description);
    d->setInitialState(m_initial);
    d->setInitialLocked(initialLocked);
    if (!initialLocked && m_initial) {
        d->setInitialCondition(m_initialCondition);
        d->setInitialDescription(m_initialDescription);
    } else {
        d->setInitialCondition(QString());
        d->setInitialDescription(QString());
    }
    d->refresh();
    if (d->exec() != QDialog::Accepted)
        return false;

    m_label = d->label();
    m_action = d->action();
    m_backgroundColour = d->backgroundColour();
    m_description = d->description();
    resizeBox(d->width(), d->height());
    m_initial = d->isInitial();
    if (m_initial) {
        m_initialCondition = d->initialCondition();
        m_initialDescription = d->initialDescription();
    }
    update();
    return true;
}
