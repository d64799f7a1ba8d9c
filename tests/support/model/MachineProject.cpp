#include "MachineProject.h"

#include "ProjectFileWriter.h"

#include <QStringList>

namespace MachineProject {

ProjectDocument skeleton(const QString &projectName, const QString &machineName)
{
    ProjectDocument doc;
    doc.root = savedRootProcess(projectName);
    const QStringList names{ QStringLiteral("Board"), QStringLiteral("Controller"), QStringLiteral("Tasks"), machineName };
    for (int level = 2; level <= 5; ++level) {
        CanvasBlock block;
        block.process.level = level;
        block.process.nos = block.process.id = block.process.parentId = block.process.grandParentId = 1;
        block.process.label = names.at(level - 2);
        doc.blocks << block;
    }
    return doc;
}

void addInput(ProjectDocument &document, const QString &label, const QString &datatype)
{
    CanvasBlock &module = document.blocks[2];
    MemoryRecord memory = item<MemoryRecord>(5, label);
    memory.datatype = datatype;
    module.memories << memory;
    DataflowRecord flow = item<DataflowRecord>(5, label);
    flow.lineType = 2;
    flow.startItem = label;
    flow.endItem = document.blocks[3].process.label;
    module.dataflows << flow;
}

ProjectDocument ring(int states)
{
    ProjectDocument doc = skeleton(QStringLiteral("Bench"), QStringLiteral("Ring"));
    CanvasBlock &machine = doc.blocks[3];
    for (const char *name : { "counter", "laps" }) {
        MemoryRecord m = item<MemoryRecord>(6, QLatin1String(name));
        m.datatype = QStringLiteral("int");
        machine.memories << m;
    }
    for (int i = 0; i < states; ++i) {
        StateRecord s = item<StateRecord>(6, QStringLiteral("S%1").arg(i));
        s.action = QStringLiteral("counter++;");
        s.ifInitialState = i == 0;
        s.initialCondition = i == 0 ? QStringLiteral("(1)") : QString();
        machine.states << s;
    }
    for (int i = 0; i < states; ++i) {
        const int next = (i + 1) % states;
        TransitionRecord t = item<TransitionRecord>(6, QStringLiteral("T%1").arg(i));
        t.condition = QStringLiteral("(counter >= 3)");
        t.action = next == 0 ? QStringLiteral("counter = 0;\nlaps++;") : QStringLiteral("counter = 0;");
        t.startItem = machine.states.at(i).label;
        t.endItem = machine.states.at(next).label;
        machine.states[i].transitions << t.label;
        machine.states[next].transitions << t.label;
        machine.transitions << t;
    }
    return doc;
}

QByteArray bytes(ProjectDocument document)
{
    document.treeText = treeTextFromBlocks(document);
    QByteArray written;
    ProjectFileWriter writer;
    if (!writer.writeToBytes(document, &written))
        qFatal("%s", qPrintable(writer.errorString()));
    return written;
}

} // namespace MachineProject
