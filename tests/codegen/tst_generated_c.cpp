#include "CEmitter.h"

#include <QtTest>

// Generates random machines whose labels are C identifiers, compiles each
// generated module with the system C compiler together with a small driver,
// runs it and compares what the machine did with a simulation of the
// intended behaviour: start in the initial state, then in every cycle run
// the state's code and take the first outgoing transition (in the state's
// list order) whose condition holds, else the first self transition (in
// transition order) whose condition holds, which runs its code and stays.
// Conditions may be empty (always taken), memory items have qualified
// types, and descriptions hold "/*" and "*/".
namespace {

const int Conditions = 6;
const int Steps = 40;

// A generated code text together with the note numbers it prints.
struct Code
{
    QString text;
    QVector<int> notes;
};

struct Scenario
{
    MachineDescription machine;
    QVector<Code> stateCode;         // per state
    QVector<Code> transitionCode;    // per transition
    QVector<int> conditionOf;        // per transition: condition variable, negated when < 0 (index+1), 0 always
    Code initialCode;
    int initialCondition = 0;        // 0 none, otherwise as conditionOf
    QVector<QVector<int>> steps;     // condition values per step
};

class Generator
{
public:
    explicit Generator(quint32 seed) : m_rng(seed), m_extra(seed ^ 0x5eedu), m_seed(seed) {}

    Scenario make()
    {
        Scenario s;
        MachineDescription &m = s.machine;
        m.processLabel = QString("Mod %1").arg(m_seed);
        m.processDescription = "Generated machine /* nested?\nwith a two-line description */";
        m.texts << MachineText { MachineText::Includes, "#include <stddef.h>\n#include <stdint.h>" }
                << MachineText { MachineText::Macros, QString("extern int k_cond[%1];").arg(Conditions) }
                << MachineText { MachineText::Default, "extern void k_note(int id);\n" };
        const int memories = bounded(4);
        for (int j = 0; j < memories; ++j)
            m.memories << MachineMemory { QString("m%1 count").arg(j), memoryTypes[j] };

        const int states = 1 + bounded(6);
        for (int i = 0; i < states; ++i) {
            MachineState st;
            st.label = QString("st%1_%2").arg(i).arg(QChar('a' + bounded(26)));
            st.description = QString("state %1 /* see\nthe generated machine */").arg(i);
            s.stateCode << code(100 + 10 * i);
            st.action = s.stateCode.last().text;
            m.states << st;
        }
        // Every memory item is used so that the compiler sees no unused variable.
        for (int j = 0; j < memories; ++j)
            m.states[0].action += QString("\nm%1_count += 1;").arg(j);

        addTransitions(s);
        chooseInitial(s);
        for (int k = 0; k < Steps; ++k) {
            QVector<int> values;
            for (int c = 0; c < Conditions; ++c)
                values << (bounded(3) == 0 ? 1 : 0);
            s.steps << values;
        }
        return s;
    }

private:
    int bounded(int n) { return int(m_rng.bounded(quint32(n))); }

    Code code(int base)
    {
        Code c;
        const int lines = bounded(3);
        for (int l = 0; l < lines; ++l) {
            c.notes << base + l;
            c.text += QString("k_note(%1);").arg(base + l);
            if (l + 1 < lines || bounded(2))
                c.text += "\n";
        }
        return c;
    }

    int condition(QString *text)
    {
        const int variable = bounded(Conditions);
        const bool negated = bounded(4) == 0;
        // Drawn apart, so the machines stay those the seeds always gave.
        if (m_extra.bounded(16) == 0) {
            *text = m_extra.bounded(2) ? QString() : QString("  ");
            return 0;
        }
        *text = negated ? QString("(!k_cond[%1])").arg(variable) : QString("(k_cond[%1] != 0)").arg(variable);
        return negated ? -(variable + 1) : variable + 1;
    }

    void addTransitions(Scenario &s)
    {
        MachineDescription &m = s.machine;
        const int count = bounded(3 * m.states.size() + 1);
        for (int t = 0; t < count; ++t) {
            MachineTransition tr;
            tr.label = QString("t%1 of %2").arg(t).arg(m.processLabel);
            tr.start = bounded(m.states.size());
            tr.end = bounded(10) == 0 ? MachineTransition::NotInDiagram : bounded(m.states.size());
            s.conditionOf << condition(&tr.condition);
            s.transitionCode << code(1000 + 10 * t);
            tr.action = s.transitionCode.last().text;
            m.transitions << tr;
            if (tr.start == tr.end) {
                m.states[tr.start].selfTransitions << t;
                continue;
            }
            insertRandomly(m.states[tr.start].transitions, t);
            if (tr.end != MachineTransition::NotInDiagram)
                insertRandomly(m.states[tr.end].transitions, t);
        }
        m.transitionCount = m.transitions.size();
    }

    void insertRandomly(QVector<int> &list, int value)
    {
        list.insert(bounded(list.size() + 1), value);
    }

    void chooseInitial(Scenario &s)
    {
        MachineDescription &m = s.machine;
        if (bounded(8) == 0)
            return;   // no initial state: the machine never leaves its start value
        MachineState &initial = m.states[bounded(m.states.size())];
        initial.initial = true;
        if (bounded(3)) {
            s.initialCondition = condition(&initial.initialCondition);
            s.initialCode = code(9000);
            initial.initialDescription = s.initialCode.text;
        }
        // A later flagged state is an ordinary state.
        m.states.last().initial = true;
    }

    QRandomGenerator m_rng;
    QRandomGenerator m_extra;
    quint32 m_seed;
    const QStringList memoryTypes = { "int", " volatile  long ", "uint8_t", "volatile\tuint16_t" };
};

bool holds(int condition, const QVector<int> &values)
{
    if (condition == 0)
        return true;
    return condition > 0 ? values.at(condition - 1) != 0 : values.at(-condition - 1) == 0;
}

QString notes(const Code &c)
{
    QString text;
    for (int n : c.notes)
        text += QString(" %1").arg(n);
    return text;
}

// What the driver is expected to print: one line per cycle, the notes
// printed while it ran, then "|" and the state after it.
QString simulate(const Scenario &s)
{
    const MachineDescription &m = s.machine;
    const int start = m.states.size();
    int initial = -1;
    for (int i = 0; i < m.states.size() && initial < 0; ++i)
        if (m.states.at(i).initial)
            initial = i;
    int state = start;
    QString out;
    for (int step = 0; step < s.steps.size(); ++step) {
        const QVector<int> &values = s.steps.at(step);
        if (state == start) {
            if (initial >= 0 && s.initialCondition == 0) {
                state = initial;
            } else if (initial >= 0 && holds(s.initialCondition, values)) {
                out += notes(s.initialCode);
                state = initial;
            }
        } else {
            out += notes(s.stateCode.at(state));
            const int from = state;
            bool taken = false;
            for (int t : m.states.at(from).transitions) {
                const MachineTransition &tr = m.transitions.at(t);
                if (tr.start != from || tr.end == MachineTransition::NotInDiagram)
                    continue;
                if (holds(s.conditionOf.at(t), values)) {
                    out += notes(s.transitionCode.at(t));
                    state = tr.end;
                    taken = true;
                    break;
                }
            }
            for (int t : m.states.at(from).selfTransitions) {
                if (!taken && holds(s.conditionOf.at(t), values)) {
                    out += notes(s.transitionCode.at(t));
                    taken = true;
                }
            }
        }
        out += QString("|%1\n").arg(state);
    }
    return out;
}

QString driver(const Scenario &s, const GeneratedModule &g)
{
    QString steps;
    for (const QVector<int> &values : s.steps) {
        QStringList items;
        for (int v : values)
            items << QString::number(v);
        steps += "    {" + items.join(", ") + "},\n";
    }
    const QString &m = g.moduleName;
    return QString(
        "#include <stdio.h>\n#include \"%1\"\n"
        "int k_cond[%2];\n"
        "void k_note(int id) { printf(\" %d\", id); }\n"
        "static const int steps[%3][%2] = {\n%4};\n"
        "static void apply(int step) { int j; for (j = 0; j < %2; ++j) k_cond[j] = steps[step][j]; }\n"
        "int main(void)\n{\n"
        "    int i;\n"
        "    apply(0);\n    %5Initialize();\n    printf(\"|%d\\n\", (int)%5GetState());\n"
        "    for (i = 1; i < %3; ++i) {\n"
        "        apply(i);\n        %5();\n        printf(\"|%d\\n\", (int)%5GetState());\n"
        "    }\n    return 0;\n}\n")
        .arg(g.headerFileName).arg(Conditions).arg(s.steps.size()).arg(steps, m);
}

bool writeFile(const QString &path, const QString &text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(text.toUtf8()) == text.toUtf8().size();
}

} // namespace

class TestGeneratedC : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_cc = QStandardPaths::findExecutable("cc");
        if (m_cc.isEmpty())
            QSKIP("no C compiler on this system");
    }

    void randomMachinesCompileAndBehave_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 30; ++seed)
            QTest::newRow(qPrintable(QString("seed %1").arg(seed))) << seed;
    }

    void randomMachinesCompileAndBehave()
    {
        QFETCH(quint32, seed);
        const Scenario s = Generator(seed).make();
        ModuleProperties p;
        p.projectName = "Generated";
        p.author = "Test";
        const GeneratedModule g = CEmitter::generate(s.machine, p);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(writeFile(dir.filePath(g.headerFileName), g.header));
        QVERIFY(writeFile(dir.filePath(g.sourceFileName), g.source));
        QVERIFY(writeFile(dir.filePath("driver.c"), driver(s, g)));

        QProcess cc;
        cc.setWorkingDirectory(dir.path());
        cc.setProcessChannelMode(QProcess::MergedChannels);
        cc.start(m_cc, { "-std=c99", "-Wall", "-Wextra", "-Werror", "-o", "machine", "driver.c", g.sourceFileName });
        QVERIFY(cc.waitForFinished(60000));
        QVERIFY2(cc.exitStatus() == QProcess::NormalExit && cc.exitCode() == 0,
                 qPrintable(QString::fromLocal8Bit(cc.readAll()) + "\n" + g.source));

        QProcess run;
        run.start(dir.filePath("machine"), QStringList());
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.exitCode(), 0);
        const QString output = QString::fromLatin1(run.readAllStandardOutput());
        QCOMPARE(output, simulate(s));
    }

    // The random machines must actually exercise transitions; make sure the
    // seeds used above are not all trivial.
    void scenariosMoveBetweenStates()
    {
        int moving = 0;
        for (quint32 seed = 1; seed <= 30; ++seed) {
            const Scenario s = Generator(seed).make();
            const QStringList lines = simulate(s).split('\n', Qt::SkipEmptyParts);
            QSet<QString> states;
            for (const QString &line : lines)
                states << line.section('|', 1);
            if (states.size() > 2)
                ++moving;
        }
        QVERIFY2(moving >= 10, qPrintable(QString::number(moving)));
    }

    // The seeds above run self transitions, empty conditions and qualified
    // memory types; a change of the generator must not lose them.
    void scenariosCoverSelfTransitionsAndEmptyConditions()
    {
        int selfRuns = 0, always = 0;
        for (quint32 seed = 1; seed <= 30; ++seed) {
            const Scenario s = Generator(seed).make();
            for (const MachineState &st : s.machine.states)
                selfRuns += st.selfTransitions.size();
            always += s.conditionOf.count(0);
        }
        QVERIFY(selfRuns >= 5);
        QVERIFY(always >= 5);
    }

private:
    QString m_cc;
};

QTEST_MAIN(TestGeneratedC)
#include "tst_generated_c.moc"
