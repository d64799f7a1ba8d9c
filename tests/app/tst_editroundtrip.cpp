// Projects built by random edits — insertions, deletions, relabelling
// through the property dialogs, transitions, links and dataflows drawn
// with the mouse, undo and redo — are saved and opened again: every
// connection must come back on the same items. Items are told apart by
// their positions (every insertion gets a place of its own), so a
// connection rewired by an ambiguous label shows up as a difference.

#include "ItemKind.h"
#include "ItemKinds.h"
#include "Canvas.h"
#include "DataflowItem.h"
#include "DefaultProject.h"
#include "LinkItem.h"
#include "MemoryItem.h"
#include "CanvasPaths.h"
#include "NodePath.h"
#include "OpenProject.h"
#include "ProcessItem.h"
#include "Project.h"
#include "PropertyDialogs.h"
#include "SceneMouse.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "TransitionItem.h"
#include "ViewDriver.h"

#include <QAction>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QUndoStack>
#include <QtTest>

#include <functional>

namespace {

QString point(const QPointF &p)
{
    return QStringLiteral("(%1,%2)").arg(p.x()).arg(p.y());
}

// Everything a canvas joins by label, named by the positions of the items
// at the ends, plus the labels per kind.
QStringList connections(const Canvas *canvas)
{
    QStringList lines;
    for (const TransitionItem *t : canvas->transitions())
        lines << QStringLiteral("transition %1 -> %2").arg(point(t->startItem()->pos()),
                                                           point(t->endItem()->pos()));
    for (const LinkItem *l : canvas->links())
        lines << QStringLiteral("link %1 -> %2").arg(point(l->startItem()->pos()),
                                                     point(l->endItem()->pos()));
    for (const DataflowItem *d : canvas->dataflows())
        lines << QStringLiteral("dataflow %1 %2 %3").arg(point(d->process()->pos()),
                                                         point(d->memory()->pos()))
                     .arg(d->lineType());
    for (const StateItem *s : canvas->states())
        lines << QStringLiteral("state %1 %2").arg(point(s->pos()), s->label());
    for (const ProcessItem *p : canvas->processItems())
        lines << QStringLiteral("process %1 %2").arg(point(p->pos()), p->label());
    for (const MemoryItem *m : canvas->memoryItems())
        lines << QStringLiteral("memory %1 %2").arg(point(m->pos()), m->label());
    return lines;
}

QMap<QString, QStringList> projectConnections(const QList<Canvas *> &canvases)
{
    QMap<QString, QStringList> all;
    for (const Canvas *canvas : canvases) {
        QStringList path;
        for (int id : CanvasPaths::canvasPath(canvas))
            path << QString::number(id);
        all.insert(QString::number(canvas->level()) + QLatin1Char('/') + path.join(QLatin1Char('.')),
                   connections(canvas));
    }
    return all;
}

// The first difference between two connection maps, or "".
QString difference(const QMap<QString, QStringList> &before, const QMap<QString, QStringList> &after)
{
    if (before.keys() != after.keys())
        return QStringLiteral("canvases differ");
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const QStringList &other = after.value(it.key());
        for (int i = 0; i < qMax(it->size(), other.size()); ++i) {
            if (it->value(i) != other.value(i))
                return QStringLiteral("canvas %1: \"%2\" became \"%3\"")
                    .arg(it.key(), it->value(i), other.value(i));
        }
    }
    return QString();
}

// One project edited at random, the way the canvas and its dialogs let a
// person edit it (process items deleted and renamed as the window does it).
class RandomEditor
{
public:
    RandomEditor(Project *project, quint32 seed) : m_project(project), m_random(seed) {}

    void step()
    {
        const QList<Canvas *> &canvases = m_project->canvases();
        m_canvas = canvases.at(pick(canvases.size()));
        if (m_canvas->level() == 5)
            editMachine();
        else if (m_canvas->level() >= 2)
            editProcessDiagram();
    }

private:
    int pick(int bound) { return int(m_random.bounded(quint32(bound))); }
    template <class T> T *any(const QList<T *> &list)
    {
        return list.isEmpty() ? nullptr : list.at(pick(list.size()));
    }
    static QPointF centre(const QGraphicsItem *item) { return item->sceneBoundingRect().center(); }

    // A place no item was put before, below the default project's items.
    QPointF freshPlace()
    {
        const int n = m_places++;
        return QPointF(300 + 450 * (n % 8), 1200 + 350 * (n / 8));
    }

    void insert(const ItemKind * mode)
    {
        m_canvas->setMode(mode);
        SceneMouse::click(m_canvas, freshPlace());
    }

    void connect(const ItemKind * mode, const QGraphicsItem *from, const QGraphicsItem *to)
    {
        if (!from || !to || from == to)
            return;
        m_canvas->setMode(mode);
        SceneMouse::drag(m_canvas, centre(from), centre(to));
        m_canvas->setMode(nullptr);
    }

    // A label for a dialog: often one already used on the canvas, some
    // with blanks, some empty.
    QString someLabel(const QStringList &inUse)
    {
        static const QStringList pool = {"A", "B", " A ", "State1", "State2", "process_41",
                                         "process_42", "var_30", "var_40", "var_60", "", "  "};
        if (!inUse.isEmpty() && pick(2) == 0)
            return inUse.at(pick(inUse.size()));
        return pool.at(pick(pool.size()));
    }

    // Opens a dialog through open(), types label into editName and presses
    // OK; a dialog that refuses it is cancelled.
    static void relabel(const std::function<void()> &open, const char *editName,
                        const QString &label)
    {
        ViewDriver::whileModal(open, [&](QWidget *dialog) {
            dialog->findChild<QLineEdit *>(QLatin1String(editName))->setText(label);
            ViewDriver::ok(dialog);
            if (dialog->isVisible())
                ViewDriver::cancel(dialog);
        });
    }

    template <class T> static QStringList labelsOf(const QList<T *> &items)
    {
        QStringList labels;
        for (const T *item : items)
            labels << item->label();
        return labels;
    }

    void editMachine()
    {
        Canvas *c = m_canvas;
        switch (pick(9)) {
        case 0:
        case 1: insert(ItemKinds::of(ItemType::State)); break;
        case 2:
            if (StateItem *s = any(c->states()))
                c->deleteItem(s);
            break;
        case 3:
            if (StateItem *s = any(c->states())) {
                c->setCurrentItem(s);
                relabel([this, c, s] { m_dialogs.edit(c, s); }, "lineEdit_2",
                        someLabel(labelsOf(c->states())));
            }
            break;
        case 4: connect(ItemKinds::of(ItemType::Transition), any(c->states()), any(c->states())); break;
        case 5:
            if (StateItem *s = any(c->states())) {
                c->setCurrentItem(s);
                c->addSelfTransition();
            }
            break;
        case 6:
            if (TransitionItem *t = any(c->transitions()))
                c->deleteItem(t);
            break;
        case 7: c->undoStack()->undo(); break;
        default: c->undoStack()->redo(); break;
        }
    }

    void editProcessDiagram()
    {
        Canvas *c = m_canvas;
        switch (pick(11)) {
        case 0: insert(ItemKinds::of(ItemType::Process)); break;
        case 1:
            if (c->processItems().size() > 1)
                m_project->deleteProcessItem(c, any(c->processItems()));
            break;
        case 2:
            // The dialog opens only while the item's node and diagram are
            // found; they follow its new label in the same undo step.
            if (ProcessItem *p = any(c->processItems())) {
                c->setCurrentItem(p);
                const QString label = someLabel(labelsOf(c->processItems()));
                if (m_project->structure().canRenameProcessItem(c, p))
                    relabel([this, c, p] { m_project->processItemEdited(c, m_dialogs.editChanges(c, p)); },
                            "lineEdit", label);
            }
            break;
        case 3: insert(ItemKinds::of(ItemType::Memory)); break;
        case 4:
            if (MemoryItem *m = any(c->memoryItems()))
                c->deleteItem(m);
            break;
        case 5:
            if (MemoryItem *m = any(c->memoryItems())) {
                c->setCurrentItem(m);
                relabel([this, c, m] { m_dialogs.edit(c, m); }, "lineEdit",
                        someLabel(labelsOf(c->memoryItems())));
            }
            break;
        case 6: connect(ItemKinds::of(ItemType::Link), any(c->processItems()), any(c->processItems())); break;
        case 7:
            if (pick(2) == 0)
                connect(ItemKinds::of(ItemType::Dataflow), any(c->processItems()), any(c->memoryItems()));
            else
                connect(ItemKinds::of(ItemType::Dataflow), any(c->memoryItems()), any(c->processItems()));
            break;
        case 8:
            if (LinkItem *l = any(c->links()))
                c->deleteItem(l);
            break;
        case 9: c->undoStack()->undo(); break;
        default: c->undoStack()->redo(); break;
        }
    }

    Project *m_project;
    PropertyDialogs m_dialogs;
    QRandomGenerator m_random;
    Canvas *m_canvas = nullptr;
    int m_places = 0;
};

} // namespace

class TestEditRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void editedProjectsReopenWithTheSameConnections_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 10; ++seed)
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
    }

    void editedProjectsReopenWithTheSameConnections()
    {
        QFETCH(quint32, seed);
        ScriptedPrompter prompter;   // refusals are answered without a person
        Project project;
        QVERIFY(openInProject(project, DefaultProject::document(QStringLiteral("Demo"))));
        RandomEditor editor(&project, seed);
        for (int i = 0; i < 300; ++i)
            editor.step();
        const QMap<QString, QStringList> before = projectConnections(project.canvases());

        const QByteArray saved = savedBytes(project);
        QVERIFY(!saved.isEmpty());
        QVERIFY(openInProject(project, saved));
        const QString diff = difference(before, projectConnections(project.canvases()));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));

    }
};

QTEST_MAIN(TestEditRoundTrip)
#include "tst_editroundtrip.moc"
