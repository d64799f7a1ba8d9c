// Scenario scripts, C literals and the trace formats of a simulation; the
// scripts that replay what the explorer found, and the constants it leans
// towards.

#include "SimulationHarness.h"
#include "SimulationReplay.h"
#include "SimulationScript.h"
#include "SimulationTrace.h"

#include <QtTest>

#include <cstring>

class TestSimulationScript : public QObject
{
    Q_OBJECT
private slots:
    void commandsAreRead()
    {
        SimulationScript script;
        QVERIFY(script.parse(QChar(0xFEFF) + QStringLiteral("# a scenario\r\n\nreset\n  set speed -0x10\n\tstep\nstep 250\n"
                             "expect state Door Open\nexpect count 1.5e3f\n   # indented comment\n")));
        const QVector<SimulationScriptCommand> &c = script.commands();
        QCOMPARE(c.size(), 6);
        QCOMPARE(c.at(0).kind, SimulationScriptCommand::Reset);
        QCOMPARE(c.at(0).line, 3);
        QCOMPARE(c.at(1).kind, SimulationScriptCommand::Set);
        QCOMPARE(c.at(1).name, QStringLiteral("speed"));
        QCOMPARE(c.at(1).value, QStringLiteral("-0x10"));
        QCOMPARE(c.at(2).cycles, 1);
        QCOMPARE(c.at(3).cycles, 250);
        QCOMPARE(c.at(4).kind, SimulationScriptCommand::ExpectState);
        QCOMPARE(c.at(4).name, QStringLiteral("Door Open"));   // labels may hold blanks
        QCOMPARE(c.at(5).kind, SimulationScriptCommand::ExpectValue);
        QCOMPARE(c.at(5).value, QStringLiteral("1.5e3f"));
        QCOMPARE(c.at(5).line, 8);
    }

    void faultyLinesAreAllNamed()
    {
        SimulationScript script;
        QVERIFY(!script.parse("reset now\nstep 0\nstep -2\nstep 3000000000\nstep +4\nset x\nset 1x 2\n"
                              "set x 08\nexpect x\nexpect state\nexpect x 1 2\nRESET\nreset\n"));
        QCOMPARE(script.errors().size(), 12);
        QStringList lines;
        for (const QString &error : script.errors())
            lines << error.section(':', 0, 0);
        QCOMPARE(lines, QStringList({ "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12" }));
        QVERIFY(script.errors().at(6).contains("'1x' is not a variable name"));
        QVERIFY(script.errors().at(7).contains("'08' is not a C integer or floating literal"));
        QVERIFY(script.errors().at(1).contains("step takes a number of cycles from 1 to 2147483647, not '0'"));
    }

    void cLiterals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("literal");
        for (const char *good : { "0", "42", "-7", "+7", "017", "0x1F", "0XffUL", "10u", "10llu", "10LLU", "1.", ".5",
                                  "1.5e-3", "2E10", "1e3f", "3.0L", "0x1.8p1", "0x.8P-2f", "-0x10" })
            QTest::newRow(good) << QString(good) << true;
        for (const char *bad : { "", "-", "08", "0x", "1e", "e3", "1.2.3", "0x1.8", "10uu", "10lul", "1f", "nan",
                                 "inf", "1_000", "' '", "0b101", "--1", "1 2" })
            QTest::newRow(bad) << QString(bad) << false;
    }
    void cLiterals()
    {
        QFETCH(QString, text);
        QFETCH(bool, literal);
        QCOMPARE(SimulationScript::isLiteral(text), literal);
    }

    void traceRows()
    {
        MachineDescription m;
        m.states.resize(2);
        m.states[0].label = "Idle";
        m.states[1].label = "Run, \"fast\"";
        m.transitions.resize(1);
        m.transitions[0].label = "Go";
        QVector<SimulationVariable> variables(2);
        variables[0].name = "count";
        variables[1].name = "blob";

        SimulationCycle initial;
        initial.number = 0;
        initial.before = 2;   // the start value
        initial.after = 0;
        SimulationTrace::Row row = SimulationTrace::row(m, variables, initial);
        QCOMPARE(row.before, QStringLiteral("(start)"));
        QCOMPARE(row.fired, QStringLiteral("(initial)"));
        QCOMPARE(SimulationTrace::line(SimulationTrace::Format::Csv, row), QByteArray("0,(start),(initial),Idle,\n"));

        SimulationCycle go;
        go.number = 7;
        go.before = 0;
        go.fired = 0;
        go.after = 1;
        go.changes << SimulationChange{ 0, "-12" } << SimulationChange{ 1, "bytes:00ff" };
        row = SimulationTrace::row(m, variables, go);
        QCOMPARE(SimulationTrace::line(SimulationTrace::Format::Csv, row),
                 QByteArray("7,Idle,Go,\"Run, \"\"fast\"\"\",count=-12 blob=bytes:00ff\n"));
        QCOMPARE(SimulationTrace::line(SimulationTrace::Format::JsonLines, row),
                 QByteArray("{\"cycle\":7,\"before\":\"Idle\",\"fired\":\"Go\",\"after\":\"Run, \\\"fast\\\"\","
                            "\"changed\":{\"count\":-12,\"blob\":\"bytes:00ff\"}}\n"));

        SimulationCycle stay;
        stay.number = 8;
        stay.before = stay.after = 1;
        const QByteArray json = SimulationTrace::line(SimulationTrace::Format::JsonLines, SimulationTrace::row(m, variables, stay));
        QJsonParseError error;
        const QJsonObject object = QJsonDocument::fromJson(json, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QVERIFY(object.value("fired").isNull());
        QCOMPARE(object.value("after").toString(), QStringLiteral("Run, \"fast\""));
        QCOMPARE(SimulationTrace::header(SimulationTrace::Format::Csv), QByteArray("cycle,before,fired,after,changed\n"));
        QVERIFY(SimulationTrace::header(SimulationTrace::Format::JsonLines).isEmpty());
    }

    // A machine with entry or exit actions has them in its trace, in the
    // order they ran within the cycle: the initial state's entry after the
    // initial transition, the exit of the state left, the transition, the
    // entry of the state entered (a self transition leaves and enters).
    void traceShowsExitAndEntry()
    {
        MachineDescription m;
        m.states.resize(3);
        m.states[0].label = "Idle";
        m.states[0].entryAction = "led(0);";
        m.states[1].label = "Blink";
        m.states[1].entryAction = "led(1);";
        m.states[1].exitAction = "led(0);";
        m.states[2].label = "Off";
        m.transitions.resize(3);
        m.transitions[0] = MachineTransition{ "Start", "(go)", "", 0, 1 };
        m.transitions[1] = MachineTransition{ "Again", "(t)", "", 1, 1 };
        m.transitions[2] = MachineTransition{ "Stop", "(!go)", "", 1, 2 };
        const auto cycle = [](qint64 number, int before, int fired, int after) {
            SimulationCycle c;
            c.number = number;
            c.before = before;
            c.fired = fired;
            c.after = after;
            return c;
        };
        const auto csv = [&](const SimulationCycle &c) {
            return SimulationTrace::line(SimulationTrace::Format::Csv, SimulationTrace::row(m, {}, c));
        };
        QVERIFY(SimulationTrace::showsEntryExit(m));
        QCOMPARE(SimulationTrace::header(SimulationTrace::Format::Csv, true),
                 QByteArray("cycle,before,exit,fired,entry,after,changed\n"));
        QCOMPARE(csv(cycle(0, 3, -1, 0)), QByteArray("0,(start),,(initial),Idle,Idle,\n"));
        QCOMPARE(csv(cycle(1, 0, 0, 1)), QByteArray("1,Idle,,Start,Blink,Blink,\n"));
        QCOMPARE(csv(cycle(2, 1, 1, 1)), QByteArray("2,Blink,Blink,Again,Blink,Blink,\n"));
        QCOMPARE(csv(cycle(3, 1, 2, 2)), QByteArray("3,Blink,Blink,Stop,,Off,\n"));
        QCOMPARE(csv(cycle(4, 2, -1, 2)), QByteArray("4,Off,,,,Off,\n"));
        const SimulationTrace::Row again = SimulationTrace::row(m, {}, cycle(2, 1, 1, 1));
        QCOMPARE(SimulationTrace::firedText(again), QStringLiteral("exit Blink, Again, entry Blink"));
        QCOMPARE(SimulationTrace::line(SimulationTrace::Format::JsonLines, SimulationTrace::row(m, {}, cycle(3, 1, 2, 2))),
                 QByteArray("{\"cycle\":3,\"before\":\"Blink\",\"exit\":\"Blink\",\"fired\":\"Stop\","
                            "\"entry\":null,\"after\":\"Off\",\"changed\":{}}\n"));

        // Without entry and exit actions the trace keeps its fields.
        for (MachineState &s : m.states)
            s.entryAction = s.exitAction = " ";
        QVERIFY(!SimulationTrace::showsEntryExit(m));
        QCOMPARE(csv(cycle(2, 1, 1, 1)), QByteArray("2,Blink,Again,Blink,\n"));
        QCOMPARE(SimulationTrace::firedText(SimulationTrace::row(m, {}, cycle(2, 1, 1, 1))), QStringLiteral("Again"));
    }

    void traceFormatFollowsTheFileName()
    {
        SimulationTrace::Format format = SimulationTrace::Format::JsonLines;
        QVERIFY(SimulationTrace::formatOf("out/trace.CSV", &format));
        QCOMPARE(format, SimulationTrace::Format::Csv);
        QVERIFY(SimulationTrace::formatOf("trace.jsonl", &format));
        QCOMPARE(format, SimulationTrace::Format::JsonLines);
        QVERIFY(!SimulationTrace::formatOf("trace.json", &format));
        QVERIFY(!SimulationTrace::formatOf("csv", &format));
    }

    // The stub commands and call expectations, and how their faults are named.
    void stubCommandsAndCallExpectations()
    {
        SimulationScript script;
        QVERIFY2(script.parse("stub timer_expired returns 1\nstub adc_read sequence 5 0x7 -2.5\nexpect call led_write\n"
                              "expect call led_write 3\nexpect no call beep\nexpect call 2\n"),
                 qPrintable(script.errors().join('\n')));
        const QVector<SimulationScriptCommand> &c = script.commands();
        QCOMPARE(c.size(), 6);
        QCOMPARE(c.at(0).kind, SimulationScriptCommand::Stub);
        QCOMPARE(c.at(0).values, QStringList{ "1" });
        QVERIFY(!c.at(0).sequence);
        QCOMPARE(c.at(1).values, QStringList({ "5", "0x7", "-2.5" }));
        QVERIFY(c.at(1).sequence);
        QCOMPARE(c.at(2).kind, SimulationScriptCommand::ExpectCall);
        QCOMPARE(c.at(2).calls, -1);
        QCOMPARE(c.at(3).calls, 3);
        QCOMPARE(c.at(4).name, QStringLiteral("beep"));
        QCOMPARE(c.at(4).calls, 0);
        // "expect call 2" compares a variable named call.
        QCOMPARE(c.at(5).kind, SimulationScriptCommand::ExpectValue);

        QVERIFY(!script.parse("stub f returns\nstub f returns 1 2\nstub f yields 1\nstub 1f returns 1\n"
                              "stub f sequence 1 x\nexpect call f -1\nexpect call f many\nexpect no call\n"
                              "stub f sequence" + QString(" 1").repeated(257) + "\n"));
        QCOMPARE(script.errors().size(), 9);
        QVERIFY(script.errors().at(4).startsWith("5: 'x' is not a C integer"));
        QVERIFY(script.errors().at(8).startsWith("9: a sequence takes at most 256 values"));
    }

    // Each value is set once the cycle before the one it was given for has
    // run; the script steps on to the failing cycle. Values are literals of
    // their variable's type that a script reads back.
    void replaysStepToTheFailure()
    {
        QVector<SimulationVariable> variables(3);
        variables[0].name = QStringLiteral("code");
        variables[0].kind = 'i';
        variables[0].size = 2;
        variables[1].name = QStringLiteral("ratio");
        variables[1].kind = 'f';
        variables[1].size = 4;
        variables[2].name = QStringLiteral("big");
        variables[2].kind = 'u';
        variables[2].size = 8;
        const float ratio = 2.75f;
        quint32 ratioBits = 0;
        std::memcpy(&ratioBits, &ratio, sizeof ratio);
        SimulationFailure failure;
        failure.message = QStringLiteral("the machine crashed\nbadly");
        failure.cycle = 9;
        failure.replay = { { 1, 0, quint64(-100) }, { 1, 1, ratioBits }, { 4, 2, Q_UINT64_C(18446744073709551615) },
                           { 5, 0, 7 }, { 12, 0, 1 } };
        const QString script = SimulationReplay::script(variables, failure, QStringLiteral("found it"));
        QCOMPARE(script, QStringLiteral("# found it\n# the machine crashed badly\nreset\nset code -100\nset ratio 2.75\n"
                                        "step 3\nset big 18446744073709551615\nstep 1\nset code 7\nstep 5\n"));
        SimulationScript parsed;
        QVERIFY2(parsed.parse(script), qPrintable(parsed.errors().join('\n')));
        QCOMPARE(parsed.commands().size(), 8);
        // A failure in the initial cycle is a reset alone.
        failure.cycle = 0;
        QVERIFY(SimulationReplay::script(variables, failure, QString()).endsWith(QLatin1String("\nreset\n")));
        // A double keeps all its digits.
        variables[1].size = 8;
        const double third = 1.0 / 3.0;
        quint64 thirdBits = 0;
        std::memcpy(&thirdBits, &third, sizeof third);
        QCOMPARE(SimulationReplay::literal(variables[1], thirdBits).toDouble(), third);
    }

    // A stub's value given becomes "stub NAME returns V" among the sets, in
    // its return type: signed ones (a plain char too) negative, floating
    // ones from a double's bits; a pointer stub or an unknown one none.
    void replaysSetStubReturns()
    {
        QVector<SimulationVariable> variables(1);
        variables[0].name = QStringLiteral("code");
        variables[0].kind = 'u';
        variables[0].size = 2;
        QVector<SimulationStub> stubs(5);
        const char kinds[] = { 'i', 'c', 'f', 'p', 'b' };
        const char *const names[] = { "sensor_read", "key_read", "gain_read", "buffer_get", "ready" };
        for (int i = 0; i < stubs.size(); ++i) {
            stubs[i].returns = kinds[i];
            stubs[i].name = QLatin1String(names[i]);
        }
        const double gain = 389.194580078125;   // a float's value, as a double
        quint64 gainBits = 0;
        std::memcpy(&gainBits, &gain, sizeof gain);
        SimulationFailure failure;
        failure.cycle = 4;
        failure.replay = { { 1, 0, 3 }, { 1, -1, quint64(-7), 0 }, { 1, -1, quint64(-128), 1 }, { 2, -1, gainBits, 2 },
                           { 2, -1, 0, 3 }, { 3, -1, 1, 4 }, { 3, -1, 9, 5 }, { 3, -1, 9, -1 } };
        const QString script = SimulationReplay::script(variables, failure, QStringLiteral("found"), stubs);
        QCOMPARE(script, QStringLiteral("# found\n# \nreset\nset code 3\nstub sensor_read returns -7\n"
                                        "stub key_read returns -128\nstep 1\nstub gain_read returns 389.194580078125\n"
                                        "step 1\nstub ready returns 1\nstep 2\n"));
        SimulationScript parsed;
        QVERIFY2(parsed.parse(script), qPrintable(parsed.errors().join('\n')));
        QCOMPARE(parsed.commands().size(), 9);
        // Without the session's stubs they are left out, as values for no variable are.
        QCOMPARE(SimulationReplay::script(variables, failure, QStringLiteral("found")),
                 QStringLiteral("# found\n# \nreset\nset code 3\nstep 4\n"));
    }

    // The numbers conditions compare with, and their negations, each once;
    // comments, literals and preprocessor lines hold none.
    void explorerConstantsComeFromTheConditions()
    {
        MachineDescription machine;
        MachineTransition t;
        t.condition = QStringLiteral("(level > 0x10 && ratio < 2.5f) /* 99 */ || name[0] == 'x' || count == 010u");
        machine.transitions << t;
        t.condition = QStringLiteral("(temperature <= -40 && 1e+3 < x)\n#if 77\n#endif");
        machine.transitions << t;
        MachineState s;
        s.initialCondition = QStringLiteral("(level > 16)");
        machine.states << s;
        QCOMPARE(SimulationHarness::conditionConstants(machine),
                 QVector<double>({ 16, -16, 2.5, -2.5, 0, 8, -8, 40, -40, 1000, -1000 }));
        for (int i = 0; i < 100; ++i) {
            t.condition = QStringLiteral("(x == %1)").arg(i + 100);
            machine.transitions << t;
        }
        QCOMPARE(SimulationHarness::conditionConstants(machine).size(), SimulationHarness::MaxConstants);
    }
};

QTEST_GUILESS_MAIN(TestSimulationScript)
#include "tst_simulation_script.moc"
