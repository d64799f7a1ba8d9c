#include "SubMachineClip.h"

#include "AddSubMachineCommand.h"
#include "Canvas.h"
#include "CanvasPaths.h"
#include "ProjectBuilder.h"
#include "Project.h"
#include "ProjectDocument.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"
#include "ProjectSnapshot.h"
#include "RecordPlacement.h"
#include "StateItem.h"
#include "SubMachineLevels.h"

#include <algorithm>

namespace {

const char *const kHolderLabel = "Clipboard";

// The chain of diagrams from the clip's root down to its machine diagram.
ProcessRecord chainRecord(int level)
{
    ProcessRecord r = savedRootProcess(QLatin1String(kHolderLabel));
    r.level = level;
    return r;
}

bool startsWith(const NodePath &path, const NodePath &prefix)
{
    return path.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), path.begin());
}

} // namespace

namespace SubMachineClip {

QString mimeType()
{
    return QStringLiteral("application/x-kestro-submachines");
}

QByteArray toXml(const QList<Canvas *> &canvases, const Canvas *canvas, const ProjectRecordLists &copied)
{
    QList<const StateItem *> holders;
    QVector<StateRecord> holderRecords;
    for (const StateRecord &record : copied.states) {
        if (record.subMachine.isEmpty())
            continue;
        for (const StateItem *state : canvas->states()) {
            if (state->label() == record.label && state->holdsSubMachine()) {
                holders << state;
                StateRecord kept = record;
                kept.level = MachineCanvasLevel + 1;
                kept.parentId = kept.grandParentId = 1;
                holderRecords << kept;
            }
        }
    }
    if (holders.isEmpty())
        return QByteArray();
    ProjectDocument document;
    document.layout = GroupLayout::NewProject;
    document.root = savedRootProcess(QLatin1String(kHolderLabel));
    for (int level = 2; level <= MachineCanvasLevel; ++level) {
        CanvasBlock block;
        block.process = chainRecord(level);
        document.blocks << block;
    }
    document.blocks.last().states = holderRecords;
    bool known = false;
    const NodePath path = CanvasPaths::canvasPath(canvas, &known);
    if (!known
        || !ProjectSnapshot::subMachineBlocks(CanvasPaths::index(canvases), canvas, path,
                                              ProjectSnapshot::Numbers{MachineCanvasLevel, 1, 1}, holders,
                                              &document.blocks))
        return QByteArray();
    document.treeText = treeTextFromBlocks(document);
    ProjectFileWriter writer;
    QByteArray xml;
    return writer.writeToBytes(document, &xml) ? xml : QByteArray();
}

bool fromXml(const QByteArray &xml, ProjectRecordLists *clip)
{
    ProjectFileReader reader;
    if (!reader.loadData(xml))
        return false;
    ProjectRecordLists records = reader.takeRecords();
    if (records.processes.size() < MachineCanvasLevel
        || records.processes.first().label != QLatin1String(kHolderLabel))
        return false;
    *clip = records;
    return true;
}

int depth(const ProjectRecordLists &copied, const ProjectRecordLists &clip)
{
    const bool holds = std::any_of(copied.states.cbegin(), copied.states.cend(),
                                   [](const StateRecord &r) { return !r.subMachine.isEmpty(); });
    if (!holds)
        return 0;
    int deepest = MachineCanvasLevel + 1;
    for (const ProcessRecord &process : clip.processes)
        deepest = qMax(deepest, process.level);
    return deepest - MachineCanvasLevel;
}

bool fitsDepth(const Canvas *canvas, const ProjectRecordLists &copied, const ProjectRecordLists &clip)
{
    return canvas && canvas->level() + depth(copied, clip) <= DeepestCanvasLevel;
}

void attach(Project *project, Canvas *canvas, const QHash<QString, StateItem *> &pasted,
            const ProjectRecordLists &clip)
{
    QList<Canvas *> built;
    RecordPlacement placement(clip);
    if (!clip.processes.isEmpty())
        built = ProjectBuilder(project->canvasSetup()).build(clip);
    // The clip's machine diagram: the sub-machines' parent.
    QHash<QString, int> stored;   // holder label -> its sub-machine's canvas
    for (int i = 0; i < clip.states.size(); ++i) {
        const int sub = placement.subMachineOf(i);
        if (sub != RecordPlacement::None && sub < built.size())
            stored.insert(clip.states.at(i).label, sub);
    }
    QList<Canvas *> used;
    for (auto it = pasted.cbegin(); it != pasted.cend(); ++it) {
        StateItem *state = it.value();
        if (!state->holdsSubMachine())
            continue;
        const QString mode = state->subMachine();
        // The sub-machine's own step gives the state its mode.
        state->setSubMachine(QString());
        const int sub = stored.value(it.key(), RecordPlacement::None);
        if (sub == RecordPlacement::None) {
            project->addSubMachine(canvas, state, mode);
            continue;
        }
        SubMachineStructure::Detached diagrams;
        diagrams.mode = mode;
        const NodePath own = CanvasPaths::canvasPath(built.at(sub));
        for (Canvas *diagram : qAsConst(built)) {
            bool known = false;
            const NodePath path = CanvasPaths::canvasPath(diagram, &known);
            if (!known || !startsWith(path, own) || used.contains(diagram))
                continue;
            diagrams.canvases << diagram;
            diagrams.relativePaths << path.mid(own.size());
            diagrams.places << project->canvases().size() + diagrams.canvases.size();
            used << diagram;
        }
        canvas->pushCommand(new AddSubMachineCommand(project, canvas, state, diagrams));
    }
    for (Canvas *diagram : qAsConst(built)) {
        if (!used.contains(diagram))
            delete diagram;
    }
}

} // namespace SubMachineClip
