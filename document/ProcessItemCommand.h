#pragma once

// What the undo steps that insert and delete process items share: taking
// a process item away with its links and dataflows, its canvas, every
// canvas below it and its tree node, and putting all of it back exactly,
// ids included. Nothing is destroyed while the step lives; a step that
// still holds canvases away destroys them with itself.

#include "Canvas.h"
#include "CanvasCommand.h"
#include "ProjectStructure.h"

#include <QList>
#include <QPointer>

class DataflowItem;
class LinkItem;
class ProcessItem;
class Project;

class ProcessItemCommand : public CanvasCommand
{
public:
    ~ProcessItemCommand() override;

    ProcessItem *processItem() const { return m_item; }

protected:
    ProcessItemCommand(Project *project, Canvas *canvas, ProcessItem *item,
                       QUndoCommand *parent = nullptr);

    // Each returns whether it changed anything.
    bool takeAway();
    bool putBack();

private:
    void takeItemOffDiagram();

    Project *m_project;
    ProcessItem *m_item;
    ProjectStructure::Detached m_detached;
    // The canvases while they are away (a canvas may still go with the
    // project when it closes first).
    QList<QPointer<Canvas>> m_awayCanvases;
    // The canvas of the item, as the project structure knows it.
    Canvas *const m_diagram;
    QList<LinkItem *> m_links;
    QList<DataflowItem *> m_dataflows;
};
