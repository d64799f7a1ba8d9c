#pragma once

// One state of a state-machine diagram: a rounded rectangle with the state's
// label on a title band, a separator line and the state's action code below,
// with its entry action ("entry / ...") above and its exit action
// ("exit / ...") under it when it has them (stateBodyText), and a small
// marker in the lower right corner when it holds a sub-machine.
// The state knows the transitions attached to it (it does not own them) and
// carries the machine's initial-state flag. Its property dialog belongs to
// whoever shows the diagram.

#include "BoxItem.h"
#include "ItemTypes.h"
#include "ProjectRecords.h"

#include <QList>
#include <QPen>

class InitialTransitionLine;
class QGraphicsDropShadowEffect;
class TransitionItem;

class StateItem : public BoxItem
{
    Q_OBJECT

public:
    // Lets qgraphicsitem_cast<StateItem *> tell this kind apart.
    enum { Type = ItemType::State };
    static constexpr int DefaultWidth = 280;
    static constexpr int DefaultHeight = 150;

    StateItem(QMenu *contextMenu, qreal x, qreal y, QGraphicsItem *parent = nullptr);
    ~StateItem() override;

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    int type() const override;

    // Attached transitions. Ordinary ones are listed on both of their states,
    // self transitions only in selfTransitions().
    const QList<TransitionItem *> &transitions() const { return m_transitions; }
    const QList<TransitionItem *> &selfTransitions() const { return m_selfTransitions; }
    void addTransition(TransitionItem *t);
    void removeTransition(TransitionItem *t);   // first occurrence; unknown t is ignored
    // Like addTransition, at a given position of its list (clamped).
    void insertTransition(int index, TransitionItem *t);

    qreal xRadius() const { return m_xRadius; }
    qreal yRadius() const { return m_yRadius; }

    QString label() const override { return m_label; }
    void setLabel(const QString &label);
    QString description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    QString initialDescription() const { return m_initialDescription; }
    void setInitialDescription(const QString &text) { m_initialDescription = text; }
    QString initialCondition() const { return m_initialCondition; }
    void setInitialCondition(const QString &text) { m_initialCondition = text; }
    // Code run once when a transition enters the state and once when one
    // leaves it; empty when there is none.
    QString entryAction() const { return m_entryAction; }
    void setEntryAction(const QString &code);
    QString exitAction() const { return m_exitAction; }
    void setExitAction(const QString &code);
    // The state's sub-machine: empty when it holds none, else
    // SubMachineStart or SubMachineResume (SubMachineLevels.h). The
    // sub-machine's diagram is the project's; a state holding one shows a
    // small marker in its corner.
    QString subMachine() const { return m_subMachine; }
    void setSubMachine(const QString &mode);
    bool holdsSubMachine() const { return !m_subMachine.isEmpty(); }
    // The id of the sub-machine's diagram among the sub-machines of the
    // state's diagram (1..n, 0 while it has none), kept by the project as a
    // process item's id is; not part of the record.
    int subMachineId() const { return m_subMachineId; }
    void setSubMachineId(int id) { m_subMachineId = id; }
    // What the body shows: the action with the entry and exit actions.
    QString bodyText() const;

    static QColor defaultBackgroundColour();

    QPen borderPen() const { return m_borderPen; }
    QPen initialPen() const { return m_initialPen; }
    QGraphicsDropShadowEffect *shadow() const { return m_shadow; }

    bool isInitialState() const { return m_initial; }
    // The initial-state arrow ending on this state, refreshed with its
    // transitions when the state moves or changes size. Set by
    // InitialTransitionLine::attachState.
    void setInitialLine(InitialTransitionLine *line) { m_initialLine = line; }
    void setInitialState(bool initial);

    // As the file stores it; applying a record also forgets the attached
    // transitions (the loader attaches them again).
    void applyRecord(const StateRecord &record);
    StateRecord toRecord() const;
    ItemRecord record() const override { return toRecord(); }
    void restoreRecord(const ItemRecord &record) override;

protected:
    QPainterPath shape() const override;
    QColor fallbackColour() const override { return defaultBackgroundColour(); }
    QSize fittedSize(const TextMetrics &metrics) const override;
    void geometryChanged() override;
    void setOutlineStyle(Qt::PenStyle style) override;
    // A moved state brings its transitions up to date (see TransitionItem::refreshConnectors).
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    void refreshTransitions();
    void drawSubMachineMarker(QPainter *painter) const;
    void carrySelfTransitions(const QPointF &moved);

    QList<TransitionItem *> m_transitions;
    QList<TransitionItem *> m_selfTransitions;
    qreal m_xRadius = 12.0;
    qreal m_yRadius = 12.0;
    QString m_label;
    QString m_description;
    QString m_initialDescription;
    QString m_initialCondition;
    QString m_entryAction;
    QString m_exitAction;
    QString m_subMachine;
    int m_subMachineId = 0;
    QPen m_borderPen;
    QPen m_initialPen;
    QGraphicsDropShadowEffect *m_shadow = nullptr;   // owned by the item once set as its effect
    bool m_initial = false;
    InitialTransitionLine *m_initialLine = nullptr;
    QPointF m_lastPos;   // where the last move left the state
};
