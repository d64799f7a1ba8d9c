// Random sequences of deletions on a random project, each the user's undo
// step, some of them undone: links, dataflows, memory items, states and
// whole process items (with their subtrees), alone or as one mixed
// selection. After every step no listed item or connector
// may point at an item that left its canvas, every canvas must still paint,
// and at the end the project must save and read back the same. Built with
// AddressSanitizer by scripts/checks/asan.sh, where any use of a destroyed
// item fails at once.

#include "Canvas.h"
#include "DataflowItem.h"
#include "DataflowLine.h"
#include "LinkItem.h"
#include "LinkLine.h"
#include "MemoryItem.h"
#include "OpenProject.h"
#include "ProcessItem.h"
#include "Project.h"
#include "RandomProject.h"
#include "StateItem.h"
#include "TransitionItem.h"
#include "TransitionLine.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QUndoStack>
#include <QtTest>

namespace {

using ItemSet = QSet<const QGraphicsItem *>;

template <typename Item>
ItemSet setOf(const QList<Item *> &items)
{
    ItemSet set;
    for (const Item *item : items)
        set.insert(item);
    return set;
}

// The upcast only adjusts the address; the item is not touched.
template <typename Item>
bool has(const ItemSet &set, const Item *item)
{
    return set.contains(static_cast<const QGraphicsItem *>(item));
}

// Compares pointers only (never follows one that may be dangling) before
// using any item: an item is used only after it was found in a list.
class Audit
{
public:
    explicit Audit(const Canvas *canvas)
        : m_canvas(canvas), m_processes(setOf(canvas->processItems())),
          m_links(setOf(canvas->links())), m_memories(setOf(canvas->memoryItems())),
          m_dataflows(setOf(canvas->dataflows())), m_states(setOf(canvas->states())),
          m_transitions(setOf(canvas->transitions()))
    {
    }

    QString run()
    {
        for (const ProcessItem *p : m_canvas->processItems()) {
            inScene(p, "process item");
            for (const LinkItem *l : p->links())
                expect(has(m_links, l), "process item lists a link not on the canvas");
            for (const DataflowItem *d : p->dataflows())
                expect(has(m_dataflows, d), "process item lists a gone dataflow");
        }
        for (const LinkItem *l : m_canvas->links()) {
            inScene(l, "link");
            expect(has(m_processes, l->startItem()) && has(m_processes, l->endItem()),
                   "link joins a process item not on the canvas");
            expect(l->startLine() && l->endLine(), "link lost a line");
        }
        for (const MemoryItem *m : m_canvas->memoryItems()) {
            inScene(m, "memory item");
            for (const DataflowItem *d : m->dataflows())
                expect(has(m_dataflows, d), "memory item lists a gone dataflow");
        }
        for (const DataflowItem *d : m_canvas->dataflows()) {
            inScene(d, "dataflow");
            expect(has(m_processes, d->process()) && has(m_memories, d->memory()),
                   "dataflow joins an item not on the canvas");
        }
        for (const StateItem *s : m_canvas->states()) {
            inScene(s, "state");
            for (const TransitionItem *t : s->transitions())
                expect(has(m_transitions, t), "state lists a gone transition");
        }
        for (const TransitionItem *t : m_canvas->transitions())
            expect(has(m_states, t->startItem()) && has(m_states, t->endItem()),
                   "transition joins a gone state");
        for (QGraphicsItem *item : m_canvas->items())
            scanned(item);
        return m_problem;
    }

private:
    void expect(bool ok, const char *problem)
    {
        if (!ok && m_problem.isEmpty())
            m_problem = m_canvas->name() + QStringLiteral(": ") + QLatin1String(problem);
    }
    void inScene(const QGraphicsItem *item, const char *kind)
    {
        expect(item->scene() == m_canvas, kind);
    }
    // Everything in the scene belongs to something listed.
    void scanned(QGraphicsItem *item)
    {
        if (auto *line = dynamic_cast<LinkLine *>(item)) {
            expect(has(m_links, line->link()) && has(m_processes, line->process()),
                   "a link line outlived its link or process item");
        } else if (auto *line = dynamic_cast<DataflowLine *>(item)) {
            expect(has(m_dataflows, line->dataflow())
                       && (has(m_processes, line->process()) || has(m_memories, line->memory())),
                   "a dataflow line outlived its dataflow");
        } else if (auto *line = dynamic_cast<TransitionLine *>(item)) {
            expect(has(m_transitions, line->transition()) && has(m_states, line->state()),
                   "a transition line outlived its transition");
        } else {
            switch (item->type()) {
            case ItemType::Process: expect(has(m_processes, item), "unlisted process item in scene"); break;
            case ItemType::Link: expect(has(m_links, item), "unlisted link in scene"); break;
            case ItemType::Memory: expect(has(m_memories, item), "unlisted memory item in scene"); break;
            case ItemType::Dataflow: expect(has(m_dataflows, item), "unlisted dataflow in scene"); break;
            default: break;
            }
        }
    }

    const Canvas *m_canvas;
    ItemSet m_processes, m_links, m_memories, m_dataflows, m_states, m_transitions;
    QString m_problem;
};

void paint(Canvas *canvas)
{
    QImage image(160, 90, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    canvas->render(&painter);
}

template <typename Item>
Item *pick(QRandomGenerator &random, const QList<Item *> &items)
{
    return items.isEmpty() ? nullptr : items.at(int(random.bounded(items.size())));
}

} // namespace

class TestProjectDeletion : public QObject
{
    Q_OBJECT

private slots:
    void randomDeletions_data();
    void randomDeletions();
};

void TestProjectDeletion::randomDeletions_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 6; ++seed)
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
}

void TestProjectDeletion::randomDeletions()
{
    QFETCH(quint32, seed);
    RandomProjectOptions options;
    options.hardwareModules = options.microcontrollers = 3;
    options.linksPerCanvas = options.dataflowsPerCanvas = 5;
    options.memoriesPerCanvas = 3;
    options.randomCounts = true;
    Project project;
    QVERIFY(openInProject(project, randomProject(seed, options)));
    QRandomGenerator random(seed);
    // As the window deletes a selected process item (ProjectBrowser).
    auto deleteProcess = [&project](Canvas *canvas) {
        return [&project, canvas](ProcessItem *item) { project.deleteProcessItem(canvas, item); };
    };

    for (int step = 0; step < 120; ++step) {
        Canvas *canvas = pick(random, project.canvases());
        const int action = int(random.bounded(7));
        switch (action) {
        case 0: canvas->deleteItem(pick(random, canvas->links())); break;
        case 1: canvas->deleteItem(pick(random, canvas->dataflows())); break;
        case 2: canvas->deleteItem(pick(random, canvas->memoryItems())); break;
        case 3:
            if (ProcessItem *item = pick(random, canvas->processItems()))
                project.deleteProcessItem(canvas, item);
            break;
        case 4:
            if (StateItem *state = pick(random, canvas->states()))
                canvas->deleteItem(state);
            if (random.bounded(2))
                canvas->undoStack()->undo();
            break;
        default: {
            // A mixed selection: a process item with some of its links and
            // dataflows, which its own deletion already takes away.
            canvas->clearSelection();
            if (ProcessItem *item = pick(random, canvas->processItems())) {
                item->setSelected(true);
                for (LinkItem *link : item->links())
                    link->setSelected(random.bounded(2));
                for (DataflowItem *flow : item->dataflows())
                    flow->setSelected(random.bounded(2));
            }
            if (MemoryItem *memory = pick(random, canvas->memoryItems()))
                memory->setSelected(true);
            canvas->deleteSelection(deleteProcess(canvas));
            break;
        }
        }
        for (Canvas *c : project.canvases()) {
            const QString problem = Audit(c).run();
            QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("step %1, action %2: %3")
                                                       .arg(step).arg(action).arg(problem)));
        }
        paint(canvas);
        if (Canvas *parent = project.structure().parentCanvas(canvas))
            paint(parent);
    }

    const QByteArray saved = savedBytes(project);
    QVERIFY(!saved.isEmpty());
    OpenProject reopened;
    QVERIFY(reopened.open(saved));
    QVERIFY2(reopened.notes().isEmpty(), qPrintable(reopened.notes().join('\n')));
    QCOMPARE(reopened.canvases().size(), project.canvases().size());
    QCOMPARE(reopened.save(), saved);
}

QTEST_MAIN(TestProjectDeletion)
#include "tst_projectbuilder_deletion.moc"
