#include "SubMachineProject.h"

#include "SubMachineLevels.h"

namespace SubMachineProject {

namespace {

template <typename Record>
void stamp(Record *r, const ProcessRecord &canvas)
{
    r->level = canvas.level + 1;
    r->parentId = canvas.id;
    r->grandParentId = canvas.parentId;
}

StateRecord *findState(CanvasBlock *block, const QString &label)
{
    for (StateRecord &s : block->states) {
        if (s.label == label)
            return &s;
    }
    return nullptr;
}

} // namespace

StateRecord state(int blockLevel, const QString &label, double x)
{
    StateRecord s;
    s.level = blockLevel + 1;
    s.label = label;
    s.xCoord = x;
    s.yCoord = 100;
    s.width = 200;
    s.height = 100;
    s.backgroundColour = QStringLiteral("#e5e7e9");
    return s;
}

void connect(CanvasBlock *block, const QString &label, const QString &from, const QString &to,
             const QString &condition)
{
    TransitionRecord t;
    stamp(&t, block->process);
    t.label = label;
    t.condition = condition;
    t.startItem = from;
    t.endItem = to;
    t.width = 120;
    t.height = 60;
    t.backgroundColour = QStringLiteral("#e5e7e9");
    block->transitions << t;
    for (const QString &end : {from, to}) {
        StateRecord *s = findState(block, end);
        if (s && (from != to || end == from) && !s->transitions.contains(label)) {
            s->transitions << label;
            s->numberOfTI = s->transitions.size();
        }
    }
}

int add(ProjectDocument *document, int parentBlock, const QString &holder, const QStringList &states,
        bool resume, const QString &condition)
{
    CanvasBlock &parent = document->blocks[parentBlock];
    if (StateRecord *s = findState(&parent, holder))
        s->subMachine = QLatin1String(resume ? SubMachineResume : SubMachineStart);
    const ProcessRecord parentProcess = parent.process;
    // After the parent and everything below it.
    int at = parentBlock + 1;
    QVector<int> siblings;
    while (at < document->blocks.size() && document->blocks.at(at).process.level > parentProcess.level) {
        if (document->blocks.at(at).process.level == parentProcess.level + 1)
            siblings << at;
        ++at;
    }
    CanvasBlock block;
    ProcessRecord &p = block.process;
    p.level = parentProcess.level + 1;
    p.id = siblings.size() + 1;
    p.nos = p.id;
    p.parentId = parentProcess.id;
    p.grandParentId = parentProcess.parentId;
    p.label = holder;
    p.backgroundColour = QStringLiteral("#fc0127");
    for (int i = 0; i < states.size(); ++i) {
        StateRecord s = state(p.level, states.at(i), 300.0 * i);
        stamp(&s, p);
        s.ifInitialState = i == 0;
        block.states << s;
    }
    for (int i = 0; i + 1 < states.size(); ++i)
        connect(&block, states.at(i) + QStringLiteral("To") + states.at(i + 1), states.at(i), states.at(i + 1),
                condition);
    for (int sibling : siblings)
        document->blocks[sibling].process.nos = p.nos;
    document->blocks.insert(at, block);
    return at;
}

} // namespace SubMachineProject
