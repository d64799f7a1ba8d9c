// The stacking order the user sets with Bring to front and Send to back is
// saved and comes back on reopening, while a project whose stacking nobody
// changed is written exactly as before: the stored value is optional, read
// and written by the one reader and writer that every route uses.

#include "Canvas.h"
#include "DiagramItem.h"
#include "MainWindow.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ProjectActions.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "ViewDriver.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

using namespace WindowProjectFixture;

namespace {

// What the user sees of a canvas's stacking: its items from top to bottom,
// each named by kind and place.
QStringList topToBottom(const Canvas *canvas)
{
    QStringList names;
    // The scene's own list: the canvas's items must have been made first.
    canvas->makePendingItems();
    for (QGraphicsItem *item : canvas->items(Qt::DescendingOrder)) {
        if (!dynamic_cast<DiagramItem *>(item))
            continue;
        names << QStringLiteral("%1@%2,%3").arg(item->type()).arg(qRound(item->x())).arg(qRound(item->y()));
    }
    return names;
}

QMap<QString, QStringList> stackingOfProject(const Project &project)
{
    QMap<QString, QStringList> all;
    for (const Canvas *canvas : project.canvases())
        all.insert(QStringLiteral("%1/%2/%3").arg(canvas->level()).arg(canvas->parentId()).arg(canvas->name()),
                   topToBottom(canvas));
    return all;
}

bool triggerFromMenu(ViewDriver &driver, const QGraphicsItem *item, const char *actionName)
{
    bool triggered = false;
    driver.rightClick(ViewDriver::centreOf(item), [&](QMenu *menu) {
        for (QAction *a : menu->actions()) {
            if (a->objectName() == QLatin1String(actionName)) {
                a->trigger();
                triggered = true;
            }
        }
    });
    return triggered;
}

// The first block of the document whose records satisfy `has`.
template <typename Has>
CanvasBlock *blockWith(ProjectDocument &document, Has has)
{
    for (CanvasBlock &block : document.blocks) {
        if (has(block))
            return &block;
    }
    return nullptr;
}

} // namespace

class TestStacking : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }

    void userStackingComesBackOnReopening();
    void undoneStackingSavesTheFileAsBefore();
    void untouchedExampleSavesAsItWasRead();
    void storedValueIsOptionalInBothFieldForms();
    void malformedValueIsReportedLikeOtherNumbers();

private:
    // Opens the nested sample project, written to `name`, in a shown window.
    void open(MainWindow &w, const QString &name)
    {
        QVERIFY(openDocument(w, nestedDocument(), m_dir.filePath(name)));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }

    QTemporaryDir m_dir;
};

void TestStacking::userStackingComesBackOnReopening()
{
    ScriptedPrompter prompter;
    MainWindow w;
    const QString path = m_dir.filePath(QStringLiteral("stacked.qsmd"));
    open(w, QStringLiteral("stacked.qsmd"));
    ViewDriver driver(&w);

    // Process diagram (attribute records): the lower controller goes to the
    // top through its context menu, the memory item to the bottom.
    doubleClickNode(w, nodeIndex(w, {"HW"}));
    Canvas *hardware = w.project()->shownCanvas();
    QCOMPARE(hardware->level(), 2);
    ProcessItem *cpuA = hardware->processItems().first();
    QVERIFY(triggerFromMenu(driver, cpuA, "actionBringToFront"));
    QCOMPARE(cpuA->zValue(), hardware->highestZ());
    driver.click(ViewDriver::centreOf(hardware->memoryItems().first()));
    action(w, "actionSendToBack")->trigger();
    QCOMPARE(hardware->memoryItems().first()->zValue(), 1.0);

    // State machine (child-element records): a second state, then the
    // first brought above it.
    doubleClickNode(w, nodeIndex(w, {"HW", "CPU A", "SW", "SM"}));
    Canvas *machine = w.project()->shownCanvas();
    QCOMPARE(machine->level(), 5);
    driver.insertAt("actionState", QPointF(700, 500));
    QCOMPARE(machine->states().size(), 2);
    StateItem *first = machine->states().first();
    QVERIFY(first->zValue() < machine->states().last()->zValue());
    QVERIFY(triggerFromMenu(driver, first, "actionBringToFront"));
    QVERIFY(first->zValue() > machine->states().last()->zValue());

    const QMap<QString, QStringList> before = stackingOfProject(*w.project());
    QVERIFY(w.projectActions()->save());
    const QByteArray bytes = fileBytes(path);
    QVERIFY(bytes.contains("zValue=\""));
    QVERIFY(bytes.contains("<zValue>"));

    QVERIFY(w.projectActions()->openFile(path));
    const QMap<QString, QStringList> after = stackingOfProject(*w.project());
    QCOMPARE(after, before);
    QVERIFY(!w.project()->isModified());

    // Bring to front after reopening still goes above every stored value.
    Canvas *reopened = canvasNamed(w, QStringLiteral("HW"), 2);
    QVERIFY(reopened);
    reopened->makePendingItems();
    qreal top = 0;
    for (QGraphicsItem *item : reopened->items())
        top = qMax(top, item->zValue());
    QCOMPARE(reopened->highestZ(), top);

    // Saving the reopened project writes the same file again.
    const QString again = m_dir.filePath(QStringLiteral("stacked-again.qsmd"));
    QVERIFY(w.project()->writeTo(again));
    QCOMPARE(fileBytes(again), bytes);
}

void TestStacking::undoneStackingSavesTheFileAsBefore()
{
    ScriptedPrompter prompter;
    MainWindow w;
    const QString path = m_dir.filePath(QStringLiteral("undone.qsmd"));
    open(w, QStringLiteral("undone.qsmd"));
    ViewDriver driver(&w);
    const QString baselinePath = m_dir.filePath(QStringLiteral("undone-baseline.qsmd"));
    QVERIFY(w.project()->writeTo(baselinePath));
    const QByteArray baseline = fileBytes(baselinePath);
    QVERIFY(!baseline.contains("zValue"));

    doubleClickNode(w, nodeIndex(w, {"HW"}));
    Canvas *hardware = w.project()->shownCanvas();
    ProcessItem *cpuA = hardware->processItems().first();
    QVERIFY(triggerFromMenu(driver, cpuA, "actionBringToFront"));
    QVERIFY(triggerFromMenu(driver, hardware->processItems().last(), "actionSendToBack"));
    QVERIFY(w.projectActions()->save());
    QVERIFY(fileBytes(path).contains("zValue"));

    hardware->undoStack()->undo();
    hardware->undoStack()->undo();
    QVERIFY(w.projectActions()->save());
    QCOMPARE(fileBytes(path), baseline);
}

void TestStacking::untouchedExampleSavesAsItWasRead()
{
    ScriptedPrompter prompter;
    MainWindow w;
    const QString example = QStringLiteral(KESTRO_SOURCE_DIR "/Examples/Example_1.qsmd");
    QVERIFY(w.projectActions()->openFile(example));
    const QString first = m_dir.filePath(QStringLiteral("example-1.qsmd"));
    QVERIFY(w.project()->writeTo(first));
    const QByteArray bytes = fileBytes(first);
    QVERIFY(!bytes.contains("zValue"));
    // Reading back what was written gives the same stacking and the same bytes.
    const QMap<QString, QStringList> stacking = stackingOfProject(*w.project());
    QVERIFY(w.projectActions()->openFile(first));
    QCOMPARE(stackingOfProject(*w.project()), stacking);
    const QString second = m_dir.filePath(QStringLiteral("example-2.qsmd"));
    QVERIFY(w.project()->writeTo(second));
    QCOMPARE(fileBytes(second), bytes);
}

void TestStacking::storedValueIsOptionalInBothFieldForms()
{
    ProjectDocument document = nestedDocument();
    CanvasBlock *hardware = blockWith(document, [](const CanvasBlock &b) { return !b.links.isEmpty(); });
    CanvasBlock *machine = blockWith(document, [](const CanvasBlock &b) { return !b.states.isEmpty(); });
    QVERIFY(hardware && machine);
    hardware->links.first().stacking = 7.5;
    machine->states.first().stacking = 12;

    ProjectFileWriter writer;
    QByteArray bytes;
    QVERIFY(writer.writeToBytes(document, &bytes));
    QVERIFY(bytes.contains("zValue=\"7.5\"/>"));
    // The element comes after every other field of the state.
    QVERIFY(QRegularExpression(QStringLiteral("</transitions>\\s*<zValue>12</zValue>\\s*</StateItem>"))
                .match(QString::fromUtf8(bytes))
                .hasMatch());

    ProjectFileReader reader;
    QVERIFY2(reader.loadData(bytes), qPrintable(reader.errorString()));
    ProjectRecordLists records = reader.takeRecords();
    QCOMPARE(records.links.first().stacking, 7.5);
    QCOMPARE(records.states.first().stacking, 12.0);
    QCOMPARE(records.processes.first().stacking, 0.0);
    QCOMPARE(records.memories.first().stacking, 0.0);

    // A file without the value (every file written before it existed) reads
    // as 0 everywhere; other trailing elements are still passed over.
    QByteArray plain;
    QVERIFY(writer.writeToBytes(nestedDocument(), &plain));
    plain.replace("</transitions>", "</transitions><note>kept aside</note>");
    QVERIFY2(reader.loadData(plain), qPrintable(reader.errorString()));
    records = reader.takeRecords();
    for (const StateRecord &r : records.states)
        QCOMPARE(r.stacking, 0.0);
    for (const LinkRecord &r : records.links)
        QCOMPARE(r.stacking, 0.0);
}

void TestStacking::malformedValueIsReportedLikeOtherNumbers()
{
    ProjectDocument document = nestedDocument();
    blockWith(document, [](const CanvasBlock &b) { return !b.links.isEmpty(); })->links.first().stacking = 3;
    blockWith(document, [](const CanvasBlock &b) { return !b.states.isEmpty(); })->states.first().stacking = 4;
    ProjectFileWriter writer;
    QByteArray bytes;
    QVERIFY(writer.writeToBytes(document, &bytes));

    struct Case
    {
        QByteArray from, to;
        QString reason;
    };
    const QList<Case> cases = {
        {"zValue=\"3\"", "zValue=\"high\"", "Link: value of 'zValue' is not readable: \"high\""},
        {"<zValue>4</zValue>", "<zValue>nan</zValue>", "StateItem: value of 'zValue' is not readable: \"nan\""},
        {"<zValue>4</zValue>", "<zValue><b>4</b></zValue>", QString()},
    };
    for (const Case &c : cases) {
        QByteArray broken = bytes;
        broken.replace(c.from, c.to);
        QVERIFY(broken != bytes);
        ProjectFileReader reader;
        QVERIFY2(!reader.loadData(broken), c.to.constData());
        QVERIFY(!reader.checkData(broken));
        if (!c.reason.isEmpty())
            QCOMPARE(reader.errorReason(), c.reason);
    }
}

QTEST_MAIN(TestStacking)
#include "tst_stacking.moc"
