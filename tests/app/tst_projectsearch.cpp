// Find over the records of a project with several machines: which fields
// are searched, how each hit names its diagram and item, and the case rule.

#include "ItemRecord.h"
#include "ProjectSearch.h"
#include "WindowProjectFixture.h"

#include <QtTest>

namespace {

// The nested two-controller project; the second machine holds a
// transition, an initial condition and a text item.
ProjectDocument twoMachines()
{
    return WindowProjectFixture::documentWithCode();
}

QStringList described(const QVector<SearchHit> &hits)
{
    QStringList lines;
    for (const SearchHit &hit : hits)
        lines << hit.diagramText() + QStringLiteral(" | ") + hit.itemText() + QStringLiteral(" | ")
                     + hit.matchText();
    return lines;
}

} // namespace

class TestProjectSearch : public QObject
{
    Q_OBJECT

private slots:
    void labelsOfEveryMachineAndDiagram();
    void conditionsActionsAndTexts();
    void entryAndExitActionsOfStates();
    void hitsNameTheirDiagramAndItemPosition();
    void caseAndBlankText();
};

void TestProjectSearch::labelsOfEveryMachineAndDiagram()
{
    const ProjectDocument doc = twoMachines();
    QCOMPARE(described(ProjectSearch::find(doc, QStringLiteral("idle"))),
             QStringList({"Proj / HW / CPU A / SW / SM | State 'CPU_A_Idle' | label: CPU_A_Idle",
                          "Proj / HW / CPU B / SW / SM | State 'CPU_B_Idle' | label: CPU_B_Idle"}));
    // Process items, links, memory items and dataflows by their labels.
    QCOMPARE(described(ProjectSearch::find(doc, QStringLiteral("hw"))),
             QStringList({"Proj | Process 'HW' | label: HW"}));
    QCOMPARE(described(ProjectSearch::find(doc, QStringLiteral("s"))).mid(0, 3),
             QStringList({"Proj / HW | Link 'bus' | label: bus",
                          "Proj / HW | Memory item 'shared' | label: shared",
                          "Proj / HW / CPU A | Process 'SW' | label: SW"}));
    QCOMPARE(described(ProjectSearch::find(doc, QStringLiteral("flo"))),
             QStringList({"Proj / HW | Dataflow 'flow' | label: flow"}));
}

void TestProjectSearch::conditionsActionsAndTexts()
{
    const ProjectDocument doc = twoMachines();
    // The line of a multi-line action that holds the text.
    QCOMPARE(described(ProjectSearch::find(doc, QStringLiteral("lamp"))),
             QStringList({"Proj / HW / CPU B / SW / SM | Transition 'Close' | action: lamp_on();",
                          "Proj / HW / CPU B / SW / SM | Text item 1 | text: #define LAMP 3"}));
    QCOMPARE(described(ProjectSearch::find(doc, QStringLiteral("OPEN"))),
             QStringList({"Proj / HW / CPU B / SW / SM | Transition 'Close' | condition: (door == OPEN)"}));
    QCOMPARE(described(ProjectSearch::find(doc, QStringLiteral("power"))),
             QStringList({"Proj / HW / CPU B / SW / SM | State 'CPU_B_Idle' | initial condition: (power_ok)"}));
    // A long line is cut for the list.
    ProjectDocument longLine = doc;
    longLine.blocks[6].transitions[0].action = QString(200, QLatin1Char('x')) + QStringLiteral("needle");
    const QVector<SearchHit> hits = ProjectSearch::find(longLine, QStringLiteral("needle"));
    QCOMPARE(hits.size(), 1);
    QCOMPARE(hits.first().excerpt.size(), 80);
    QVERIFY(hits.first().excerpt.endsWith(QStringLiteral("...")));
}

// A state's entry and exit actions are searched, around its action, and
// each hit says which of them holds the text.
void TestProjectSearch::entryAndExitActionsOfStates()
{
    ProjectDocument doc = twoMachines();
    StateRecord &idle = doc.blocks[6].states[0];
    QCOMPARE(idle.label, QStringLiteral("CPU_B_Idle"));
    idle.entryAction = QStringLiteral("int n = 0;\nrelay(1);");
    idle.action = QStringLiteral("relay_check();");
    idle.exitAction = QStringLiteral("Relay(0);");
    QCOMPARE(described(ProjectSearch::find(doc, QStringLiteral("relay"))),
             QStringList({"Proj / HW / CPU B / SW / SM | State 'CPU_B_Idle' | entry action: relay(1);",
                          "Proj / HW / CPU B / SW / SM | State 'CPU_B_Idle' | action: relay_check();",
                          "Proj / HW / CPU B / SW / SM | State 'CPU_B_Idle' | exit action: Relay(0);"}));
    const QVector<SearchHit> exact = ProjectSearch::find(doc, QStringLiteral("Relay"), Qt::CaseSensitive);
    QCOMPARE(exact.size(), 1);
    QCOMPARE(exact.first().field, SearchHit::ExitAction);
    QCOMPARE(exact.first().index, 0);
}

void TestProjectSearch::hitsNameTheirDiagramAndItemPosition()
{
    const ProjectDocument doc = twoMachines();
    const QVector<SearchHit> cpus = ProjectSearch::find(doc, QStringLiteral("CPU "));
    QCOMPARE(cpus.size(), 2);
    // Both controllers are process items on the hardware diagram, second
    // and first of its list.
    QCOMPARE(cpus.at(0).diagram, NodePath({1}));
    QCOMPARE(cpus.at(0).kind, itemRecordIndex<ProcessRecord>());
    QCOMPARE(cpus.at(0).index, 0);
    QCOMPARE(cpus.at(1).diagram, NodePath({1}));
    QCOMPARE(cpus.at(1).index, 1);
    // The machines of the two controllers share their identity numbers but
    // not their paths.
    const QVector<SearchHit> idle = ProjectSearch::find(doc, QStringLiteral("_Idle"));
    QCOMPARE(idle.size(), 2);
    QCOMPARE(idle.at(0).diagram, NodePath({1, 1, 1, 1}));
    QCOMPARE(idle.at(1).diagram, NodePath({1, 2, 1, 1}));
    QCOMPARE(idle.at(1).kind, itemRecordIndex<StateRecord>());
    QCOMPARE(idle.at(1).index, 0);
    // The project's own process item sits on the project's diagram.
    const QVector<SearchHit> hw = ProjectSearch::find(doc, QStringLiteral("HW"));
    QCOMPARE(hw.size(), 1);
    QCOMPARE(hw.first().diagram, NodePath());
    QCOMPARE(hw.first().diagramNames, QStringList({"Proj"}));
}

void TestProjectSearch::caseAndBlankText()
{
    const ProjectDocument doc = twoMachines();
    QCOMPARE(ProjectSearch::find(doc, QStringLiteral("lamp"), Qt::CaseSensitive).size(), 1);
    QCOMPARE(ProjectSearch::find(doc, QStringLiteral("LAMP"), Qt::CaseSensitive).size(), 1);
    QCOMPARE(ProjectSearch::find(doc, QStringLiteral("Lamp"), Qt::CaseSensitive).size(), 0);
    QVERIFY(ProjectSearch::find(doc, QString()).isEmpty());
    QVERIFY(ProjectSearch::find(doc, QStringLiteral("   ")).isEmpty());
    QVERIFY(ProjectSearch::find(doc, QStringLiteral("no such text")).isEmpty());
}

QTEST_GUILESS_MAIN(TestProjectSearch)
#include "tst_projectsearch.moc"
