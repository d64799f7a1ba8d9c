#include "RandomProject.h"

#include "ValueCodec.h"

#include <QRandomGenerator>

namespace {

class Generator
{
public:
    Generator(quint32 seed, const RandomProjectOptions &options)
        : m_random(seed), m_options(options)
    {
    }

    ProjectDocument run();

private:
    int count(int n) { return (m_options.randomCounts && n > 0) ? 1 + int(m_random.bounded(n)) : n; }
    int number(int low, int high) { return low + int(m_random.bounded(high - low + 1)); }
    bool chance(int percent) { return int(m_random.bounded(100)) < percent; }
    double coordinate();
    QString colour();
    QString text(int maxLength, bool multiLine);
    QString label(const QString &stem, int index);
    PolygonPoints outline(int width, int height);

    void addNode(int level, int id, int nos, int parentId, int grandParentId, const QString &name);
    QStringList addCanvasItems(CanvasBlock *block, const QStringList &processLabels);
    void addMachineItems(CanvasBlock *block, int states, int transitions, int texts, const QString &stem);
    void addSubMachine(int parentBlock, int depth);

    template <typename Record>
    void identify(Record *r, const ProcessRecord &canvas)
    {
        r->level = canvas.level + 1;
        r->parentId = canvas.id;
        r->grandParentId = canvas.parentId;
    }

    QRandomGenerator m_random;
    RandomProjectOptions m_options;
    ProjectDocument m_document;
    int m_serial = 0;
};

double Generator::coordinate()
{
    double value = 0;
    switch (m_random.bounded(6)) {
    case 0: value = number(-100, 3000); break;
    case 1: value = m_random.bounded(4000.0) - 500.0; break;
    case 2: value = m_random.bounded(1.0) * 1e7; break;
    case 3: value = m_random.bounded(1.0) / 1000.0; break;
    default: value = number(0, 2000) + number(0, 99) / 100.0; break;
    }
    double exact = 0;
    ValueCodec::parseNumber(ValueCodec::formatNumber(value), &exact);
    return exact;
}

QString Generator::colour()
{
    if (chance(5))
        return QString();
    if (chance(5))
        return QStringLiteral("#FEC309");
    return QStringLiteral("#%1").arg(m_random.bounded(0x1000000), 6, 16, QLatin1Char('0'));
}

QString Generator::text(int maxLength, bool multiLine)
{
    static const QString plain = QStringLiteral("abcdefghijklmnopqrstuvwxyz_0123456789 ");
    static const QString exotic =
        QStringLiteral("abcXYZ_09 <>&\"';=+-*/(){}[]%#!?.:äöüßµ°温度ЖЯ€");
    const QString &alphabet = m_options.exoticText ? exotic : plain;
    const int length = number(0, maxLength);
    QString result;
    for (int i = 0; i < length; ++i) {
        if (multiLine && m_options.exoticText && chance(5)) {
            result += chance(70) ? QLatin1Char('\n') : QLatin1Char('\t');
            continue;
        }
        if (m_options.exoticText && chance(1)) {
            result += QString::fromUcs4(U"\U0001F600");
            continue;
        }
        result += alphabet.at(int(m_random.bounded(alphabet.size())));
    }
    return result;
}

// Labels used in the tree and in references: no leading or trailing
// blanks, no tabs, line breaks or commas.
QString Generator::label(const QString &stem, int index)
{
    QString result = stem + QString::number(index);
    if (m_options.exoticText && chance(40)) {
        static const QStringList extras = {QStringLiteral(" & <x>"), QStringLiteral(" \"q\""),
                                           QStringLiteral("_Zähler"), QStringLiteral(" 温度"),
                                           QStringLiteral("'s")};
        result += extras.at(int(m_random.bounded(extras.size())));
    }
    return result;
}

PolygonPoints Generator::outline(int width, int height)
{
    if (chance(85))
        return {QPointF(0, 0), QPointF(width, 0), QPointF(width, height), QPointF(0, height),
                QPointF(0, 0)};
    PolygonPoints points;
    const int n = number(0, 6);
    for (int i = 0; i < n; ++i)
        points << QPointF(coordinate(), coordinate());
    return points;
}

ProjectDocument Generator::run()
{
    const QString name = QStringLiteral("Project_%1").arg(m_random.bounded(1000));
    m_document.root = savedRootProcess(name);
    const int hardware = count(m_options.hardwareModules);
    for (int i = 1; i <= hardware; ++i)
        addNode(2, i, hardware, 1, 1, label(QStringLiteral("Hardware Module "), i));
    m_document.treeText = treeTextFromBlocks(m_document);
    return m_document;
}

void Generator::addNode(int level, int id, int nos, int parentId, int grandParentId,
                        const QString &name)
{
    CanvasBlock block;
    ProcessRecord &p = block.process;
    p.level = level;
    p.nos = nos;
    p.id = id;
    p.label = name;
    p.parentId = parentId;
    p.grandParentId = grandParentId;
    p.xCoord = coordinate();
    p.yCoord = coordinate();
    p.width = number(50, 600);
    p.height = number(50, 600);
    p.shape = number(1, 2);
    p.code = text(12, false);
    p.description = text(40, true);
    p.backgroundColour = colour();
    p.polygon = outline(p.width, p.height);

    const int perLevel[] = {0, 0, m_options.microcontrollers, m_options.softwareModules,
                            m_options.stateMachines, 0};
    static const char *stems[] = {"", "", "Microcontroller ", "Software Module ",
                                  "StateMachine_", ""};
    const int children = level < 5 ? count(perLevel[level]) : 0;
    QStringList childLabels;
    for (int i = 1; i <= children; ++i)
        childLabels << label(QLatin1String(stems[level]), i);

    const int index = m_document.blocks.size();
    m_document.blocks.append(block);
    // Fill the block in place: children are appended after it.
    CanvasBlock &stored = m_document.blocks[index];
    addCanvasItems(&stored, childLabels);
    if (level == 5) {
        addMachineItems(&m_document.blocks[index], m_options.statesPerMachine,
                        m_options.transitionsPerMachine, m_options.textsPerMachine, QStringLiteral("State"));
        if (m_options.subMachineLevels > 0)
            addSubMachine(index, 1);
    }
    for (int i = 1; i <= children; ++i)
        addNode(level + 1, i, children, id, parentId, childLabels.at(i - 1));
}

QStringList Generator::addCanvasItems(CanvasBlock *block, const QStringList &processLabels)
{
    const ProcessRecord canvas = block->process;
    QStringList memoryLabels;
    const int memories = count(m_options.memoriesPerCanvas);
    for (int i = 1; i <= memories; ++i) {
        MemoryRecord m;
        identify(&m, canvas);
        m.xCoord = coordinate();
        m.yCoord = coordinate();
        m.label = label(QStringLiteral("var"), ++m_serial);
        m.description = text(30, true);
        m.datatype = chance(50) ? QStringLiteral("uint8_t") : text(10, false);
        m.backgroundColour = colour();
        m.polygon = outline(number(40, 200), number(20, 80));
        block->memories << m;
        memoryLabels << m.label;
    }
    if (canvas.level == 5 || processLabels.isEmpty())
        return memoryLabels;

    const int links = count(m_options.linksPerCanvas);
    for (int i = 1; i <= links; ++i) {
        LinkRecord l;
        identify(&l, canvas);
        l.xCoord = coordinate();
        l.yCoord = coordinate();
        l.label = label(QStringLiteral("link"), ++m_serial);
        l.description = text(30, true);
        l.datatype = text(10, false);
        l.startItem = processLabels.at(int(m_random.bounded(processLabels.size())));
        l.endItem = processLabels.at(int(m_random.bounded(processLabels.size())));
        l.backgroundColour = colour();
        l.polygon = outline(number(40, 200), number(20, 80));
        block->links << l;
    }
    const int dataflows = memoryLabels.isEmpty() ? 0 : count(m_options.dataflowsPerCanvas);
    for (int i = 1; i <= dataflows; ++i) {
        DataflowRecord d;
        identify(&d, canvas);
        d.lineType = chance(10) ? 0 : number(1, 2);
        d.xCoord = coordinate();
        d.yCoord = coordinate();
        d.label = label(QStringLiteral("flow"), ++m_serial);
        d.description = text(30, true);
        d.datatype = text(10, false);
        const QString process = processLabels.at(int(m_random.bounded(processLabels.size())));
        const QString memory = memoryLabels.at(int(m_random.bounded(memoryLabels.size())));
        if (d.lineType == 1) {
            d.startItem = process;
            d.endItem = memory;
        } else if (d.lineType == 2) {
            d.startItem = memory;
            d.endItem = process;
        }
        d.backgroundColour = colour();
        d.polygon = outline(number(40, 200), number(20, 80));
        block->dataflows << d;
    }
    return memoryLabels;
}

// A sub-machine for a random state of the diagram of `parentBlock`, its
// block appended (a machine's sub-machines follow it in the document), and
// below it the next level.
void Generator::addSubMachine(int parentBlock, int depth)
{
    CanvasBlock &parent = m_document.blocks[parentBlock];
    StateRecord &holder = parent.states[int(m_random.bounded(parent.states.size()))];
    holder.subMachine = chance(50) ? QStringLiteral("resume") : QStringLiteral("start");
    CanvasBlock block;
    ProcessRecord &p = block.process;
    p.level = parent.process.level + 1;
    p.nos = p.id = 1;
    p.label = holder.label;
    p.parentId = parent.process.id;
    p.grandParentId = parent.process.parentId;
    p.shape = 1;
    p.backgroundColour = QStringLiteral("#fc0127");
    const int index = m_document.blocks.size();
    m_document.blocks.append(block);
    addCanvasItems(&m_document.blocks[index], {});
    const int states = m_options.subMachineStates;
    addMachineItems(&m_document.blocks[index], states, 2 * states, 1,
                    QStringLiteral("L%1_State").arg(depth));
    if (depth < m_options.subMachineLevels)
        addSubMachine(index, depth + 1);
}

void Generator::addMachineItems(CanvasBlock *block, int stateCount, int transitionCount, int textCount,
                                const QString &stem)
{
    const ProcessRecord canvas = block->process;
    const int states = qMax(1, count(stateCount));
    for (int i = 1; i <= states; ++i) {
        StateRecord s;
        identify(&s, canvas);
        s.label = label(stem, i);
        s.ifInitialState = i == 1;
        s.initialCondition = s.ifInitialState ? text(15, false) : QString();
        s.initialDescription = text(20, true);
        s.xCoord = coordinate();
        s.yCoord = coordinate();
        s.width = number(100, 400);
        s.height = number(50, 300);
        s.backgroundColour = colour();
        s.polygon = outline(s.width, s.height);
        s.action = text(60, true);
        s.description = text(30, true);
        // Drawn only when asked for, so the projects without them stay
        // what they were.
        if (m_options.entryExitActions) {
            s.entryAction = chance(50) ? text(40, true) : QString();
            s.exitAction = chance(50) ? text(40, true) : QString();
        }
        block->states << s;
    }
    const int transitions = count(transitionCount);
    for (int i = 1; i <= transitions; ++i) {
        TransitionRecord t;
        identify(&t, canvas);
        t.label = label(QStringLiteral("T"), i);
        t.condition = text(20, false);
        t.backgroundColour = colour();
        t.xCoord = coordinate();
        t.yCoord = coordinate();
        t.midPos = chance(30) ? QString()
                              : ValueCodec::formatPoint(QPointF(coordinate(), coordinate()));
        t.width = number(50, 300);
        t.height = number(30, 150);
        t.polygon = outline(t.width, t.height);
        StateRecord &from = block->states[int(m_random.bounded(states))];
        StateRecord &to = chance(10) ? from : block->states[int(m_random.bounded(states))];
        t.startItem = from.label;
        t.endItem = to.label;
        t.description = text(30, true);
        t.action = text(40, true);
        block->transitions << t;
        from.transitions << t.label;
        ++from.numberOfTI;
        if (&to != &from) {
            to.transitions << t.label;
            ++to.numberOfTI;
        }
    }
    const int texts = count(textCount);
    for (int i = 1; i <= texts; ++i) {
        TextRecord x;
        identify(&x, canvas);
        x.xCoord = coordinate();
        x.yCoord = coordinate();
        x.width = number(50, 500);
        x.height = number(20, 300);
        x.type = number(0, 3);
        x.backgroundColour = colour();
        x.textColour = colour();
        x.polygon = outline(x.width, x.height);
        x.action = text(80, true);
        block->texts << x;
    }
}

} // namespace

ProjectDocument randomProject(quint32 seed, const RandomProjectOptions &options)
{
    return Generator(seed, options).run();
}

RandomProjectOptions largeProjectOptions(int machines)
{
    RandomProjectOptions options;
    options.hardwareModules = options.microcontrollers = options.softwareModules = 1;
    options.stateMachines = machines;
    options.statesPerMachine = 200;
    options.transitionsPerMachine = 400;
    options.textsPerMachine = 5;
    options.exoticText = false;
    return options;
}

RandomProjectOptions nestedProjectOptions(int machines)
{
    RandomProjectOptions options = largeProjectOptions(machines);
    options.subMachineLevels = 3;
    options.subMachineStates = 50;
    return options;
}

int documentItemCount(const ProjectDocument &document)
{
    int n = 1;
    for (const CanvasBlock &b : document.blocks)
        n += 1 + b.links.size() + b.memories.size() + b.dataflows.size() + b.states.size()
            + b.transitions.size() + b.texts.size();
    return n;
}

namespace {

using Fields = QVector<QPair<const char *, QString>>;

QString num(double v) { return QString::number(v, 'g', 17); }
QString poly(const PolygonPoints &p)
{
    QStringList parts;
    for (const QPointF &pt : p)
        parts << num(pt.x()) << num(pt.y());
    return parts.join(QLatin1Char(','));
}

Fields fields(const ProcessRecord &r)
{
    return {{"level", QString::number(r.level)}, {"nos", QString::number(r.nos)},
            {"id", QString::number(r.id)}, {"label", r.label},
            {"parentId", QString::number(r.parentId)},
            {"grandParentId", QString::number(r.grandParentId)}, {"xCoord", num(r.xCoord)},
            {"yCoord", num(r.yCoord)}, {"width", QString::number(r.width)},
            {"height", QString::number(r.height)}, {"shape", QString::number(r.shape)},
            {"code", r.code}, {"description", r.description},
            {"backgroundColour", r.backgroundColour}, {"polygon", poly(r.polygon)}};
}

Fields fields(const LinkRecord &r)
{
    return {{"level", QString::number(r.level)}, {"parentId", QString::number(r.parentId)},
            {"grandParentId", QString::number(r.grandParentId)}, {"xCoord", num(r.xCoord)},
            {"yCoord", num(r.yCoord)}, {"label", r.label}, {"description", r.description},
            {"datatype", r.datatype}, {"startItem", r.startItem}, {"endItem", r.endItem},
            {"backgroundColour", r.backgroundColour}, {"polygon", poly(r.polygon)},
            {"fileBlock", QString::number(r.fileBlock)}};
}

Fields fields(const MemoryRecord &r)
{
    return {{"level", QString::number(r.level)}, {"parentId", QString::number(r.parentId)},
            {"grandParentId", QString::number(r.grandParentId)}, {"xCoord", num(r.xCoord)},
            {"yCoord", num(r.yCoord)}, {"label", r.label}, {"description", r.description},
            {"datatype", r.datatype}, {"backgroundColour", r.backgroundColour},
            {"polygon", poly(r.polygon)}, {"fileBlock", QString::number(r.fileBlock)}};
}

Fields fields(const DataflowRecord &r)
{
    return {{"level", QString::number(r.level)}, {"parentId", QString::number(r.parentId)},
            {"grandParentId", QString::number(r.grandParentId)},
            {"lineType", QString::number(r.lineType)}, {"xCoord", num(r.xCoord)},
            {"yCoord", num(r.yCoord)}, {"label", r.label}, {"description", r.description},
            {"datatype", r.datatype}, {"startItem", r.startItem}, {"endItem", r.endItem},
            {"backgroundColour", r.backgroundColour}, {"polygon", poly(r.polygon)},
            {"fileBlock", QString::number(r.fileBlock)}};
}

Fields fields(const StateRecord &r)
{
    return {{"level", QString::number(r.level)}, {"parentId", QString::number(r.parentId)},
            {"grandParentId", QString::number(r.grandParentId)}, {"label", r.label},
            {"ifInitialState", QString::number(r.ifInitialState)},
            {"initialCondition", r.initialCondition},
            {"initialDescription", r.initialDescription}, {"xCoord", num(r.xCoord)},
            {"yCoord", num(r.yCoord)}, {"width", QString::number(r.width)},
            {"height", QString::number(r.height)}, {"backgroundColour", r.backgroundColour},
            {"polygon", poly(r.polygon)}, {"action", r.action},
            {"description", r.description}, {"numberOfTI", QString::number(r.numberOfTI)},
            {"transitions", r.transitions.join(QLatin1String("|"))},
            {"transitionCount", QString::number(r.transitions.size())},
            {"entryAction", r.entryAction}, {"exitAction", r.exitAction},
            {"fileBlock", QString::number(r.fileBlock)}};
}

Fields fields(const TransitionRecord &r)
{
    return {{"level", QString::number(r.level)}, {"parentId", QString::number(r.parentId)},
            {"grandParentId", QString::number(r.grandParentId)}, {"label", r.label},
            {"condition", r.condition}, {"backgroundColour", r.backgroundColour},
            {"xCoord", num(r.xCoord)}, {"yCoord", num(r.yCoord)}, {"midPos", r.midPos},
            {"width", QString::number(r.width)}, {"height", QString::number(r.height)},
            {"polygon", poly(r.polygon)}, {"startItem", r.startItem}, {"endItem", r.endItem},
            {"description", r.description}, {"action", r.action},
            {"fileBlock", QString::number(r.fileBlock)}};
}

Fields fields(const TextRecord &r)
{
    return {{"level", QString::number(r.level)}, {"parentId", QString::number(r.parentId)},
            {"grandParentId", QString::number(r.grandParentId)}, {"xCoord", num(r.xCoord)},
            {"yCoord", num(r.yCoord)}, {"width", QString::number(r.width)},
            {"height", QString::number(r.height)}, {"type", QString::number(r.type)},
            {"backgroundColour", r.backgroundColour}, {"textColour", r.textColour},
            {"polygon", poly(r.polygon)}, {"action", r.action},
            {"fileBlock", QString::number(r.fileBlock)}};
}

template <typename Record>
QString listDifference(const char *name, const QVector<Record> &a, const QVector<Record> &b)
{
    if (a.size() != b.size())
        return QStringLiteral("%1: %2 records != %3").arg(QLatin1String(name)).arg(a.size()).arg(b.size());
    for (int i = 0; i < a.size(); ++i) {
        const Fields fa = fields(a.at(i));
        const Fields fb = fields(b.at(i));
        for (int f = 0; f < fa.size(); ++f) {
            if (fa.at(f).second != fb.at(f).second)
                return QStringLiteral("%1[%2].%3: \"%4\" != \"%5\"")
                    .arg(QLatin1String(name))
                    .arg(i)
                    .arg(QLatin1String(fa.at(f).first), fa.at(f).second, fb.at(f).second);
        }
    }
    return QString();
}

} // namespace

QString recordDifference(const ProjectRecordLists &a, const ProjectRecordLists &b)
{
    if (a.treeText != b.treeText)
        return QStringLiteral("treeText: \"%1\" != \"%2\"").arg(a.treeText, b.treeText);
    QString d = listDifference("processes", a.processes, b.processes);
    if (d.isEmpty())
        d = listDifference("links", a.links, b.links);
    if (d.isEmpty())
        d = listDifference("memories", a.memories, b.memories);
    if (d.isEmpty())
        d = listDifference("dataflows", a.dataflows, b.dataflows);
    if (d.isEmpty())
        d = listDifference("states", a.states, b.states);
    if (d.isEmpty())
        d = listDifference("transitions", a.transitions, b.transitions);
    if (d.isEmpty())
        d = listDifference("texts", a.texts, b.texts);
    return d;
}
