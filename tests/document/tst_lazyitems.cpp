// An opened project makes each diagram's items when the diagram is first
// needed: shown, saved, searched, exported, or reached by a structure edit.
// Whatever the order, the items are the ones an eager build makes, and a
// project whose diagrams are still pending saves, exports and edits as if
// all of them had been made at open.

#include "Canvas.h"
#include "DiagramFiles.h"
#include "DiagramItem.h"
#include "ExampleProject.h"
#include "OpenProject.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ProjectBuilder.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"
#include "ProjectSnapshot.h"
#include "RandomProject.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

#include <algorithm>

namespace {

ProjectRecordLists recordsOf(const ProjectDocument &document)
{
    ProjectFileReader reader;
    if (!reader.loadData(projectBytes(document)))
        qWarning() << reader.errorString();
    return reader.takeRecords();
}

QByteArray savedBytes(const QList<Canvas *> &canvases)
{
    ProjectDocument document;
    QString error;
    if (!ProjectSnapshot::take(canvases, &document, &error)) {
        qWarning() << error;
        return {};
    }
    return projectBytes(document);
}

// Each canvas's listed items with their stacking values, and the value the
// next item would get: what loading decides beyond the saved records.
QString stackingOf(const QList<Canvas *> &canvases)
{
    QStringList lines;
    for (Canvas *canvas : canvases) {
        QStringList values;
        for (DiagramItem *item : canvas->allItems())
            values << QStringLiteral("%1:%2").arg(item->type()).arg(item->zValue());
        lines << values.join(QLatin1Char(' ')) + QStringLiteral(" top %1").arg(canvas->highestZ());
    }
    return lines.join(QLatin1Char('\n'));
}

int pendingCount(const QList<Canvas *> &canvases)
{
    return int(std::count_if(canvases.cbegin(), canvases.cend(),
                             [](const Canvas *c) { return c->hasPendingItems(); }));
}

RandomProjectOptions mixedOptions()
{
    RandomProjectOptions options;
    options.randomCounts = true;
    options.statesPerMachine = 6;
    options.transitionsPerMachine = 9;
    options.memoriesPerCanvas = 3;
    return options;
}

// A hardware module diagram (level 2) holding two microcontrollers, each
// with its own diagrams below.
Canvas *hardwareDiagram(const QList<Canvas *> &canvases)
{
    for (Canvas *canvas : canvases) {
        if (canvas->level() == 2 && canvas->name().size() > 0)
            return canvas;
    }
    return nullptr;
}

} // namespace

class TestLazyItems : public QObject
{
    Q_OBJECT

private slots:
    void fillingInAnyOrderMakesTheEagerItems_data();
    void fillingInAnyOrderMakesTheEagerItems();
    void openMakesOnlyTheShownDiagramAndTheRestWhenIdle();
    void pendingDiagramsSaveAndExportAsEagerOnes();
    void structureEditsReachPendingDiagrams();
    void closingLeavesPendingDiagramsUnmade();
    void itemsSaveWhatWasRead();
};

void TestLazyItems::fillingInAnyOrderMakesTheEagerItems_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("example") << projectBytes(ExampleProject::document());
    for (quint32 seed : {3u, 17u, 2024u})
        QTest::newRow(qPrintable(QStringLiteral("random %1").arg(seed)))
            << projectBytes(randomProject(seed, mixedOptions()));
}

void TestLazyItems::fillingInAnyOrderMakesTheEagerItems()
{
    QFETCH(QByteArray, bytes);
    ProjectFileReader reader;
    QVERIFY2(reader.loadData(bytes), qPrintable(reader.errorString()));
    const ProjectRecordLists records = reader.takeRecords();

    QObject owner;
    CanvasSetup setup;
    setup.parent = &owner;
    ProjectBuilder eager(setup);
    const QList<Canvas *> made = eager.build(records);
    QCOMPARE(pendingCount(made), 0);

    ProjectBuilder lazy(setup);
    const QList<Canvas *> pending = lazy.buildLazily(records);
    QCOMPARE(pending.size(), made.size());
    QCOMPARE(lazy.notes(), eager.notes());
    QCOMPARE(pendingCount(pending), pending.size());
    for (int i = 0; i < made.size(); ++i)
        QCOMPARE(pending.at(i)->name(), made.at(i)->name());

    // Last canvas first, then the rest in a shuffled order; asking for a
    // canvas's states makes all its items, once.
    QList<Canvas *> order = pending;
    std::reverse(order.begin(), order.end());
    std::shuffle(order.begin() + 1, order.end(), *QRandomGenerator::global());
    const int statesOfLast = made.last()->states().size();
    QCOMPARE(order.first()->states().size(), statesOfLast);
    QVERIFY(!order.first()->hasPendingItems());
    QCOMPARE(order.first()->states().size(), statesOfLast);
    for (Canvas *canvas : order)
        canvas->makePendingItems();

    QCOMPARE(stackingOf(pending), stackingOf(made));
    const QByteArray saved = savedBytes(made);
    QVERIFY(!saved.isEmpty());
    QCOMPARE(savedBytes(pending), saved);
}

void TestLazyItems::openMakesOnlyTheShownDiagramAndTheRestWhenIdle()
{
    Project project;
    project.open(recordsOf(randomProject(5)));
    const QList<Canvas *> canvases = project.canvases();
    QVERIFY(canvases.size() > 10);
    QCOMPARE(pendingCount(canvases), canvases.size());
    QVERIFY(!project.isModified());

    Canvas *machine = canvases.last();
    project.showCanvas(machine);
    QVERIFY(!machine->hasPendingItems());
    QVERIFY(!machine->states().isEmpty());
    QCOMPARE(pendingCount(canvases), canvases.size() - 1);

    // Idle time makes the rest without touching the modified flag or any
    // undo stack.
    QTRY_COMPARE(pendingCount(canvases), 0);
    QVERIFY(!project.isModified());
    for (Canvas *canvas : canvases)
        QCOMPARE(canvas->undoStack()->count(), 0);
}

void TestLazyItems::pendingDiagramsSaveAndExportAsEagerOnes()
{
    const ProjectDocument document = randomProject(11);
    OpenProject eager;
    QVERIFY(eager.open(document));

    Project project;
    project.open(recordsOf(document));
    QCOMPARE(pendingCount(project.canvases()), project.canvases().size());

    // Diagrams exported as pictures while still pending, then the project
    // saved while some still are.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ExportOptions options;
    const QList<DiagramEntry> eagerEntries = DiagramFiles::entries(eager.canvases());
    QVERIFY(eagerEntries.size() > 10);
    for (int i = eagerEntries.size() - 1; i >= 0; i -= 3) {
        DiagramEntry entry = eagerEntries.at(i);
        entry.canvas = project.canvases().at(eager.canvases().indexOf(entry.canvas));
        QVERIFY(entry.canvas->hasPendingItems());
        const QString lazyFile = dir.filePath(QStringLiteral("lazy%1.svg").arg(i));
        const QString eagerFile = dir.filePath(QStringLiteral("eager%1.svg").arg(i));
        QString error;
        QVERIFY2(DiagramFiles::writeOne(entry, lazyFile, options, &error), qPrintable(error));
        QVERIFY2(DiagramFiles::writeOne(eagerEntries.at(i), eagerFile, options, &error), qPrintable(error));
        QFile lazy(lazyFile), made(eagerFile);
        QVERIFY(lazy.open(QIODevice::ReadOnly) && made.open(QIODevice::ReadOnly));
        QCOMPARE(lazy.readAll(), made.readAll());
    }
    QVERIFY(pendingCount(project.canvases()) > 0);

    const QString path = dir.filePath(QStringLiteral("saved.qsmd"));
    QString error;
    QVERIFY2(project.writeTo(path, &error), qPrintable(error));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), eager.save());
}

void TestLazyItems::structureEditsReachPendingDiagrams()
{
    const ProjectDocument document = randomProject(7);
    OpenProject eager;
    QVERIFY(eager.open(document));

    Project project;
    project.open(recordsOf(document));
    Canvas *hardware = hardwareDiagram(project.canvases());
    QVERIFY(hardware);

    // Each software module's diagram shows the links and memory items of
    // its process item on the controller's diagram as floating ends, made
    // from that diagram's items though it was still pending.
    const QList<Canvas *> lazy = project.canvases();
    QCOMPARE(lazy.size(), eager.canvases().size());
    int ends = 0;
    int pendingParents = 0;
    for (int i = 0; i < lazy.size(); ++i) {
        if (lazy.at(i)->level() != 4)
            continue;
        Canvas *parent = project.structure().parentCanvas(lazy.at(i));
        QVERIFY(parent);
        pendingParents += parent->hasPendingItems() ? 1 : 0;
        Canvas *made = eager.canvases().at(i);
        QVERIFY(project.structure().rebuildFloatingEnds(lazy.at(i)));
        QVERIFY(eager.structure().rebuildFloatingEnds(made));
        QVERIFY(!parent->hasPendingItems());
        QCOMPARE(lazy.at(i)->floatingLinks().size(), made->floatingLinks().size());
        QCOMPARE(lazy.at(i)->floatingMemories().size(), made->floatingMemories().size());
        ends += made->floatingLinks().size() + made->floatingMemories().size();
    }
    QVERIFY(pendingParents > 0);
    QVERIFY(ends > 0);

    // Deleting a microcontroller takes its pending diagrams along; undo
    // brings them back. The project saves as the same edits leave a project
    // whose items were all made before them, and as it did before them
    // (its links and dataflows back in their places).
    QVERIFY(pendingCount(project.canvases()) > 0);
    Project made;
    made.open(recordsOf(document));
    for (Canvas *canvas : made.canvases())
        canvas->makePendingItems();
    ProjectDocument unedited;
    QVERIFY(made.snapshot(&unedited));
    const QByteArray before = projectBytes(unedited);
    QByteArray saved[2];
    Project *projects[2] = {&project, &made};
    for (int p = 0; p < 2; ++p) {
        Canvas *canvas = projects[p]->canvases().at(lazy.indexOf(hardware));
        const int count = projects[p]->canvases().size();
        QCOMPARE(projects[p]->deleteProcessItem(canvas, canvas->processItems().last()),
                 ProjectStructure::DeleteResult::Deleted);
        QVERIFY(projects[p]->canvases().size() < count);
        canvas->undoStack()->undo();
        QCOMPARE(projects[p]->canvases().size(), count);
        ProjectDocument document;
        QVERIFY(projects[p]->snapshot(&document));
        saved[p] = projectBytes(document);
    }
    QVERIFY(!saved[0].isEmpty());
    QCOMPARE(saved[0], saved[1]);
    QCOMPARE(saved[0], before);
}

void TestLazyItems::closingLeavesPendingDiagramsUnmade()
{
    Project project;
    project.open(recordsOf(randomProject(9, mixedOptions())));
    project.showCanvas(project.canvases().first());
    QPointer<Canvas> pending = project.canvases().last();
    QVERIFY(pending->hasPendingItems());
    project.close();
    QVERIFY(pending.isNull());
    QVERIFY(!project.isOpen());
    // Nothing is left to make once the project is gone.
    QTest::qWait(20);
    QVERIFY(!project.isOpen());

    // A second project opened at once is made like the first.
    project.open(recordsOf(randomProject(9, mixedOptions())));
    QTRY_COMPARE(pendingCount(project.canvases()), 0);
    OpenProject eager;
    QVERIFY(eager.open(randomProject(9, mixedOptions())));
    QCOMPARE(savedBytes(project.canvases()), eager.save());
}

namespace {

// The StateItems groups of a file, as written.
QList<QByteArray> stateGroups(const QByteArray &bytes)
{
    QList<QByteArray> groups;
    for (int at = bytes.indexOf("<StateItems"); at >= 0; at = bytes.indexOf("<StateItems", at + 1))
        groups << bytes.mid(at, bytes.indexOf("</StateItems>", at) - at);
    return groups;
}

} // namespace

// Read, made into items and saved again, the states of a file come back
// byte for byte: those of the shipped example, which has no entry or exit
// actions (so its states gain none), and the same with some states that
// have them. (Link boxes are laid out around their texts on saving, so the
// whole file is not compared.)
void TestLazyItems::itemsSaveWhatWasRead()
{
    QFile example(QStringLiteral(KESTRO_SOURCE_DIR "/Examples/Example_1.qsmd"));
    QVERIFY(example.open(QIODevice::ReadOnly));
    const QByteArray plain = example.readAll();
    ProjectDocument withActions = ExampleProject::document();
    int changed = 0;
    for (CanvasBlock &block : withActions.blocks) {
        for (int i = 0; i < block.states.size(); i += 2) {
            block.states[i].entryAction = QStringLiteral("enter_%1();").arg(++changed);
            block.states[i].exitAction = i % 4 ? QString() : QStringLiteral("leave();\nx = 0;");
        }
    }
    QVERIFY(changed > 2);
    for (const QByteArray &bytes : {plain, projectBytes(withActions)}) {
        OpenProject eager;
        QVERIFY2(eager.open(bytes), qPrintable(eager.error()));
        QVERIFY(eager.notes().isEmpty());
        const QList<QByteArray> before = stateGroups(bytes);
        QCOMPARE(before.size(), 3);
        QCOMPARE(stateGroups(eager.save()), before);
    }
}

QTEST_MAIN(TestLazyItems)
#include "tst_lazyitems.moc"
