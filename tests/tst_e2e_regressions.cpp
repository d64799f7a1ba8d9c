#include "CEmitter.h"

#include <QtTest>

// Faults found by using the application as a person would, each kept as a
// regression test.
class TestE2eRegressions : public QObject
{
    Q_OBJECT
private slots:
    // A state dropped on the canvas has no label until the user gives it one.
    // Generating code then wrote "static void (void);" and "case STATE_M_:"
    // and reported success without a word: the error log must name the
    // unlabelled states so the user learns why the C does not compile.
    void unlabelledStatesAreReportedByTheGenerator()
    {
        MachineDescription m;
        m.processLabel = QStringLiteral("M");
        MachineState a;
        a.label = QStringLiteral("A");
        a.initial = true;
        a.initialCondition = QStringLiteral("(1)");
        MachineState blank;
        m.states << a << blank << blank;
        const GeneratedModule g = CEmitter::generate(m, ModuleProperties());
        QCOMPARE(g.errors, (QStringList { QStringLiteral("Label Input for State Item 2 is absent"),
                                          QStringLiteral("Label Input for State Item 3 is absent") }));

        m.states[1].label = QStringLiteral("B");
        m.states[2].label = QStringLiteral("C");
        QVERIFY(CEmitter::generate(m, ModuleProperties()).errors.isEmpty());
    }
};

QTEST_MAIN(TestE2eRegressions)
#include "tst_e2e_regressions.moc"
