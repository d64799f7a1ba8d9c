#pragma once

// Items pasted from a clip, as one step: states, transitions, text items,
// memory items, links and dataflows built from their records, moved by an
// offset, with labels made free on the canvas where items are joined by
// label (states, memory items). Redo puts them all on the canvas and makes
// them the selection; undo takes them away again.
//
// A transition comes only with both its states, a dataflow with its memory
// item and process item, a link with both process items. Process items are
// not made here (they need their node and diagram): whoever pastes them
// places them first and hands them over by their label in the clip.

#include "CanvasCommand.h"

#include "ProjectRecords.h"

#include <QHash>
#include <QList>
#include <QPointF>
#include <QSet>
#include <QString>

class ProcessItem;

class PasteItemsCommand : public CanvasCommand
{
public:
    PasteItemsCommand(ItemCanvas *canvas, const ProjectRecordLists &records, const QPointF &offset,
                      const QHash<QString, ProcessItem *> &processes = {},
                      QUndoCommand *parent = nullptr);

    // The items made, boxes first, then connectors.
    const QList<DiagramItem *> &items() const { return m_items; }
    // The states made, by their labels in the clip.
    const QHash<QString, StateItem *> &statesByClipLabel() const { return m_states; }

    void redo() override;
    void undo() override;

private:
    void makeStates(const QVector<StateRecord> &records, const QPointF &offset);
    void makeTransitions(const QVector<TransitionRecord> &records, const QPointF &offset);
    void makeTexts(const QVector<TextRecord> &records, const QPointF &offset);
    void makeMemories(const QVector<MemoryRecord> &records, const QPointF &offset);
    void makeLinks(const QVector<LinkRecord> &records, const QPointF &offset);
    void makeDataflows(const QVector<DataflowRecord> &records, const QPointF &offset);
    // Identity, list of made items and protection from early destruction.
    void adopt(DiagramItem *item);
    void adoptLines(const QList<QGraphicsItem *> &lines);

    QList<DiagramItem *> m_items;
    // Clip label -> item made (or handed over), per kind joined by label.
    QHash<QString, StateItem *> m_states;
    QHash<QString, MemoryItem *> m_memories;
    QHash<QString, ProcessItem *> m_processes;
};
