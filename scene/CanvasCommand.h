#pragma once

// Base of the undo commands of a canvas. It holds the canvas and the steps
// the commands share: putting a state, transition or text item back on the
// canvas (scene, list and the states' transition lists) and taking it away
// again. Every step checks the canvas's lists first, so a step whose work
// is already done (an item deleted together with its state in the same
// selection, say) changes nothing.

#include <QHash>
#include <QPair>
#include <QUndoCommand>

#include "Canvas.h"

class DataflowItem;
class LinkItem;
class MemoryItem;
class StateItem;
class TextItem;
class TransitionItem;

class CanvasCommand : public QUndoCommand
{
public:
    Canvas *canvas() const { return m_canvas; }

protected:
    explicit CanvasCommand(Canvas *canvas, QUndoCommand *parent = nullptr);

    // Identity of an item created on the canvas (Canvas::stampIdentity).
    void stampIdentity(DiagramItem *item) const { m_canvas->stampIdentity(item); }

    // Each returns whether it changed anything.

    // The box and its lines join the scene, the box the transition list, and
    // both states record it. Needs both states on the canvas.
    bool putTransitionBack(TransitionItem *transition);
    // The reverse of putTransitionBack; the box stays alive for a later undo.
    bool takeTransitionAway(TransitionItem *transition);
    // The state joins scene and list, together with the transitions it still
    // records whose other state is on the canvas. An initial state gets the
    // initial marker back, unless another state on the canvas has become
    // initial meanwhile: then it returns as an ordinary state.
    bool putStateBack(StateItem *state);
    // The state leaves scene and list together with its transitions, which
    // the other states forget; the state keeps its own lists so that
    // putStateBack can restore them. The initial marker is taken off it.
    bool takeStateAway(StateItem *state);
    bool putTextBack(TextItem *text);
    bool takeTextAway(TextItem *text);
    // A link's box and lines join the scene, the box the link list, and both
    // process items record it again. Needs both process items on the canvas.
    bool putLinkBack(LinkItem *link);
    // The reverse: the box and its lines stay alive, the link keeps its ends.
    bool takeLinkAway(LinkItem *link);
    // The same for a dataflow between a process item and a memory item.
    bool putDataflowBack(DataflowItem *dataflow);
    bool takeDataflowAway(DataflowItem *dataflow);
    // A memory item leaves with its dataflows, which the process items
    // forget and only the memory item keeps recording; putting it back
    // brings back those whose process item is on the canvas again.
    bool putMemoryBack(MemoryItem *memory);
    bool takeMemoryAway(MemoryItem *memory);
    // Any item of the kinds above (a process item is handled by the
    // project, which knows its node and canvas): false for other kinds.
    bool putItemBack(DiagramItem *item);
    bool takeItemAway(DiagramItem *item);

    void repaint();

    Canvas *const m_canvas;
    // Whether the last redo changed anything; undo reverses only that.
    bool m_applied = false;

private:
    void hideTransition(TransitionItem *transition);
    // Takes the box and both lines of a link or dataflow out of the scene,
    // keeping them alive, or puts them back in.
    void hideParts(const QList<QGraphicsItem *> &parts);
    void showParts(const QList<QGraphicsItem *> &parts);
    void showDataflow(DataflowItem *dataflow);
    void showTransition(TransitionItem *transition);
    void restoreInitialFlag(StateItem *state);
    // Where an item stood in the canvas's list, and a transition in a
    // state's list, when it was taken away: putting it back restores the
    // order, which is the order the generated code tests transitions in.
    void rememberTransitionPlaces(const QList<TransitionItem *> &transitions);
    void restoreTransitionPlaces(const QList<TransitionItem *> &transitions);
    int rememberedIndex(const void *item) const { return m_listIndex.value(item, -1); }

    QHash<const void *, int> m_listIndex;
    QHash<QPair<const StateItem *, const TransitionItem *>, int> m_stateListIndex;
};
