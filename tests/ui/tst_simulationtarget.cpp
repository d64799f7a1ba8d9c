// The machine a diagram shown for simulation stands for: a machine's own
// diagram and the diagrams of its sub-machines, at any depth, all run the
// machine; a process diagram runs none.

#include "Canvas.h"
#include "MachineProject.h"
#include "Project.h"
#include "ProjectFileReader.h"
#include "SimulationTarget.h"
#include "StateItem.h"
#include "SubMachineLevels.h"
#include "SubMachineProject.h"

#include <QtTest>

class TestSimulationTarget : public QObject
{
    Q_OBJECT

private slots:
    void subMachineDiagramsRunTheirMachine();
};

void TestSimulationTarget::subMachineDiagramsRunTheirMachine()
{
    ProjectDocument document = MachineProject::skeleton(QStringLiteral("P"), QStringLiteral("Lamp"));
    StateRecord off = SubMachineProject::state(MachineCanvasLevel, QStringLiteral("Off"));
    off.parentId = off.grandParentId = 1;
    off.ifInitialState = true;
    document.blocks[3].states << off;
    const int first = SubMachineProject::add(&document, 3, QStringLiteral("Off"), {QStringLiteral("Dim")});
    SubMachineProject::add(&document, first, QStringLiteral("Dim"), {QStringLiteral("Dimmer")});
    ProjectFileReader reader;
    QVERIFY(reader.loadData(MachineProject::bytes(document)));
    Project project;
    QVERIFY(project.open(reader.takeRecords()).isEmpty());

    QList<const Canvas *> machineDiagrams;
    const Canvas *process = nullptr;
    for (const Canvas *canvas : project.canvases()) {
        if (isMachineCanvasLevel(canvas->level()))
            machineDiagrams << canvas;
        else if (canvas->level() == 4)
            process = canvas;
    }
    QCOMPARE(machineDiagrams.size(), 3);
    for (const Canvas *diagram : qAsConst(machineDiagrams)) {
        const SimulationTarget target = SimulationTarget::forCanvas(project.canvases(), diagram);
        QVERIFY2(target.ok(), qPrintable(diagram->name() + QStringLiteral(": ") + target.error));
        QCOMPARE(target.machine.processLabel, QStringLiteral("Lamp"));
    }
    QVERIFY(!SimulationTarget::forCanvas(project.canvases(), process).ok());
}

QTEST_MAIN(TestSimulationTarget)
#include "tst_simulationtarget.moc"
