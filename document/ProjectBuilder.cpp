#include "ProjectBuilder.h"

#include "Canvas.h"
#include "CanvasFiller.h"
#include "CanvasPaths.h"
#include "NodePath.h"

#include <memory>

ProjectBuilder::ProjectBuilder(const CanvasSetup &setup) : m_setup(setup) {}

QList<Canvas *> ProjectBuilder::build(const ProjectRecordLists &records)
{
    return build(records, Items::Now);
}

QList<Canvas *> ProjectBuilder::buildLazily(const ProjectRecordLists &records)
{
    return build(records, Items::WhenNeeded);
}

QList<Canvas *> ProjectBuilder::build(const ProjectRecordLists &records, Items items)
{
    m_notes.clear();
    if (records.processes.isEmpty()) {
        LoadNote none;
        none.kind = QStringLiteral("Project");
        none.reason = QStringLiteral("the file holds no Process record");
        m_notes << none;
        return {};
    }
    // Shared by the canvases whose items are pending; it goes with the last
    // of them to be filled or destroyed.
    const auto filler = std::make_shared<const CanvasFiller>(records);
    m_notes = filler->placement().notes();
    const QList<Canvas *> canvases = createCanvases(*filler);
    // The empty sub-machine diagrams after the record's canvases hold nothing.
    const int stored = records.processes.size();
    for (int i = 0; i < stored; ++i) {
        if (items == Items::Now)
            filler->fill(canvases.at(i), i);
        else
            canvases.at(i)->setPendingItems([filler, i](Canvas *canvas) { filler->fill(canvas, i); });
    }
    return canvases;
}

QList<Canvas *> ProjectBuilder::createCanvases(const CanvasFiller &filler) const
{
    QList<Canvas *> canvases;
    const QVector<ProcessRecord> &records = filler.records().processes;
    canvases.reserve(records.size());
    for (int i = 0; i < records.size(); ++i) {
        const ProcessRecord &r = records.at(i);
        Canvas *canvas = createCanvas(
            m_setup, CanvasIdentity{r.level, r.id, r.nos, r.parentId, r.grandParentId, r.label});
        if (r.level == 1) {
            canvas->setCodeStyle(r.codeStyle);
            canvas->setCounterType(r.counterType);
        }
        bool known = false;
        const NodePath path = filler.placement().path(i, &known);
        if (known)
            CanvasPaths::setCanvasPath(canvas, path);
        canvases.append(canvas);
    }
    numberSubMachines(filler, canvases);
    addEmptySubMachines(filler, &canvases);
    return canvases;
}

void ProjectBuilder::numberSubMachines(const CanvasFiller &filler, const QList<Canvas *> &canvases)
{
    // A sub-machine diagram's numbers are its place below its parent,
    // whatever the file said: the browser's nodes are numbered so.
    const RecordPlacement &placement = filler.placement();
    for (const RecordPlacement::Visit &visit : placement.reachable()) {
        const int parent = placement.parentOf(visit.canvas);
        if (parent == RecordPlacement::None)
            continue;
        bool known = false;
        const NodePath path = placement.path(visit.canvas, &known);
        Canvas *canvas = canvases.at(visit.canvas);
        if (!known || path.isEmpty())
            continue;
        canvas->setLevel(canvases.at(parent)->level() + 1);
        canvas->setId(path.last());
        canvas->setNos(placement.subMachinesOn(parent).size());
        canvas->setParentId(canvases.at(parent)->id());
        canvas->setGrandParentId(canvases.at(parent)->parentId());
    }
}

void ProjectBuilder::addEmptySubMachines(const CanvasFiller &filler, QList<Canvas *> *canvases) const
{
    const RecordPlacement &placement = filler.placement();
    for (const CanvasFiller::EmptySubMachine &empty : filler.emptySubMachines()) {
        const Canvas *parent = canvases->at(empty.parent);
        bool known = false;
        const NodePath path = CanvasPaths::canvasPath(parent, &known);
        if (!known)
            continue;
        const int count = placement.subMachinesOn(empty.parent).size();
        Canvas *canvas = createCanvas(
            m_setup, CanvasIdentity{parent->level() + 1, empty.id, count, parent->id(), parent->parentId(),
                                    filler.records().states.at(empty.state).label});
        CanvasPaths::setCanvasPath(canvas, path + NodePath{empty.id});
        canvases->append(canvas);
    }
}
