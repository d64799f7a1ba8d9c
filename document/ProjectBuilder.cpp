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
    for (int i = 0; i < canvases.size(); ++i) {
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
    return canvases;
}
