#include "StateItem.h"

#include "CachedDropShadowEffect.h"
#include "InitialTransitionLine.h"
#include "ItemLayout.h"
#include "SubMachineLevels.h"
#include "TransitionItem.h"
#include "VisibleText.h"

#include <QGraphicsScene>
#include <QFontMetrics>
#include <QPainter>

StateItem::StateItem(QMenu *contextMenu, qreal x, qreal y, QGraphicsItem *parent)
    : BoxItem(contextMenu, DefaultWidth, DefaultHeight, parent)
{
    // Every state starts from the same two pens, shared until one changes.
    static const QPen border(QBrush(Qt::black), 1, Qt::SolidLine);
    static const QPen initial(QBrush(Qt::red), 1, Qt::SolidLine);
    m_borderPen = border;
    m_initialPen = initial;

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
    m_lastPos = pos();
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setAcceptHoverEvents(true);
    setFlag(QGraphicsItem::ItemSendsGeometryChanges, true);
}

StateItem::~StateItem()
{
    if (m_initialLine)
        m_initialLine->detach();
}

int StateItem::type() const
{
    return Type;
}

QPainterPath StateItem::shape() const
{
    QPainterPath path;
    path.addRect(boundingRect());
    return path;
}

QColor StateItem::defaultBackgroundColour()
{
    return QColor(229, 231, 233);
}

void StateItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QFont font = itemPaintFont(diagramFont());
    painter->setFont(font);
    const QFontMetrics metrics(font);
    const StateTextLayout layout =
        stateTextLayout(width(), height(), metrics.averageCharWidth(), metrics.height());

    painter->setPen(m_initial ? m_initialPen : m_borderPen);
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(QBrush(shownColour(), Qt::SolidPattern));

    painter->drawRoundedRect(boundingRect(), m_xRadius, m_yRadius, Qt::AbsoluteSize);
    painter->drawLine(0, layout.separatorY, width(), layout.separatorY);
    painter->drawText(layout.labelRect, Qt::AlignCenter | Qt::TextSingleLine, m_label);
    drawVisibleText(painter, QRectF(layout.actionRect), bodyText(), textOption());
    if (holdsSubMachine())
        drawSubMachineMarker(painter);
}

void StateItem::drawSubMachineMarker(QPainter *painter) const
{
    const SubMachineMarker marker =
        subMachineMarker(width(), height(), resumesSubMachine(m_subMachine));
    if (marker.isEmpty())
        return;
    painter->setPen(QPen(QBrush(Qt::black), 1, Qt::SolidLine));
    painter->setBrush(QBrush(Qt::white, Qt::SolidPattern));
    painter->drawRoundedRect(marker.upperBox, 2, 2);
    painter->drawRoundedRect(marker.lowerBox, 2, 2);
    painter->drawLine(marker.link);
    if (marker.historyCircle.isEmpty())
        return;
    painter->drawEllipse(marker.historyCircle);
    QFont small = painter->font();
    small.setPixelSize(qMax(6, int(marker.historyCircle.height() * 0.7)));
    painter->setFont(small);
    painter->drawText(marker.historyCircle, Qt::AlignCenter, QStringLiteral("H"));
}

QVariant StateItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionHasChanged) {
        const QPointF moved = pos() - m_lastPos;
        m_lastPos = pos();
        carrySelfTransitions(moved);
        refreshTransitions();
    }
    return QGraphicsItem::itemChange(change, value);
}

void StateItem::carrySelfTransitions(const QPointF &moved)
{
    // A self transition's box stays beside its state while the user drags
    // it. Boxes selected with the state are moved by the same drag already.
    // Positions set otherwise (undo, a restored record, loading) are whole
    // and already hold the box's own place.
    if (!scene() || !scene()->mouseGrabberItem())
        return;
    for (TransitionItem *t : qAsConst(m_selfTransitions)) {
        if (!(isSelected() && t->isSelected()))
            t->moveBy(moved.x(), moved.y());
    }
}

void StateItem::geometryChanged()
{
    refreshTransitions();
}

void StateItem::refreshTransitions()
{
    for (TransitionItem *t : qAsConst(m_transitions))
        t->refreshConnectors();
    for (TransitionItem *t : qAsConst(m_selfTransitions))
        t->refreshConnectors();
    if (m_initialLine)
        m_initialLine->updateGeometry();
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

void StateItem::setLabel(const QString &label)
{
    m_label = label;
    update();
}

void StateItem::setEntryAction(const QString &code)
{
    m_entryAction = code;
    update();
}

void StateItem::setSubMachine(const QString &mode)
{
    m_subMachine = mode;
    update();
}

void StateItem::setExitAction(const QString &code)
{
    m_exitAction = code;
    update();
}

QString StateItem::bodyText() const
{
    return stateBodyText(m_entryAction, m_action, m_exitAction);
}

void StateItem::setInitialState(bool initial)
{
    m_initial = initial;
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

void StateItem::applyRecord(const StateRecord &record)
{
    setLevel(record.level);
    setParentId(record.parentId);
    setGrandParentId(record.grandParentId);
    m_label = record.label;
    setInitialState(record.ifInitialState);
    m_initialCondition = record.initialCondition;
    m_initialDescription = record.initialDescription;
    m_backgroundColour = QColor(record.backgroundColour);
    m_action = record.action;
    m_description = record.description;
    m_entryAction = record.entryAction;
    m_exitAction = record.exitAction;
    m_subMachine = record.subMachine;
    m_transitions.clear();
    m_selfTransitions.clear();
    takeStoredGeometry(record.width, record.height, record.polygon);
    setPos(record.xCoord, record.yCoord);
    update();
}

void StateItem::restoreRecord(const ItemRecord &record)
{
    const auto *state = std::get_if<StateRecord>(&record);
    if (!state)
        return;
    const QList<TransitionItem *> transitions = m_transitions;
    const QList<TransitionItem *> selfTransitions = m_selfTransitions;
    applyRecord(*state);
    m_transitions = transitions;
    m_selfTransitions = selfTransitions;
    refreshTransitions();
}

StateRecord StateItem::toRecord() const
{
    StateRecord record;
    record.level = level();
    record.parentId = parentId();
    record.grandParentId = grandParentId();
    record.label = m_label;
    record.ifInitialState = m_initial;
    record.initialCondition = m_initialCondition;
    record.initialDescription = m_initialDescription;
    record.xCoord = pos().x();
    record.yCoord = pos().y();
    record.width = width();
    record.height = height();
    record.backgroundColour = storedColourName(m_backgroundColour, defaultBackgroundColour());
    record.polygon = polygon();
    record.action = m_action;
    record.description = m_description;
    record.numberOfTI = m_transitions.size();
    for (const TransitionItem *t : m_transitions)
        record.transitions << t->label();
    record.entryAction = m_entryAction;
    record.exitAction = m_exitAction;
    record.subMachine = m_subMachine;
    return record;
}

QSize StateItem::fittedSize(const TextMetrics &metrics) const
{
    return stateAutoSize(m_label, bodyText(), metrics);
}
