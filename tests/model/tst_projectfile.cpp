#include "DefaultProject.h"
#include "EntryExitMarker.h"
#include "ProjectDocument.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"
#include "RandomProject.h"
#include "RecordEquality.h"
#include "RecordPlacement.h"
#include "ValueCodec.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray bytesOf(const ProjectDocument &document)
{
    ProjectFileWriter writer;
    QByteArray bytes;
    if (!writer.writeToBytes(document, &bytes))
        qWarning() << writer.errorString();
    return bytes;
}

ProjectRecordLists load(const QByteArray &bytes)
{
    ProjectFileReader reader;
    if (!reader.loadData(bytes))
        qWarning() << reader.errorString();
    return reader.takeRecords();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

// Writing, reading and re-grouping must give back the very same bytes, for
// the new-project file and for large random projects with every item kind.
class TestProjectFile : public QObject
{
    Q_OBJECT

private slots:
    void defaultProjectFileLayout();
    void defaultProjectValues();
    void defaultProjectRoundTrip();
    void randomProjectRoundTrip_data();
    void randomProjectRoundTrip();
    void coincidingIdentitiesKeepTheirCanvas();
    void groupingRefusesItemsWithoutCanvas();
    void textsAreNormalisedForXml();
    void dataflowEndsOnlyForKnownDirections();
    void unknownElementsAreIgnored();
    void unknownElementsAndAttributesAreListed();
    void filesWithoutEntryAndExitActionsSaveAsBefore();
    void entryAndExitActionsRoundTrip();
    void markerTellsAnOlderReleaseAndNotThisOne();
    void textsInSeveralPiecesAreReadWhole();
    void savedFileIsReplacedWhole();
    void failedSaveKeepsOldFile();
    void valueEncodings();
    void simulationSettingsAreOptional();
};

void TestProjectFile::defaultProjectFileLayout()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Demo.qsmd"));
    QString error;
    QVERIFY2(DefaultProject::write(path, QStringLiteral("Demo"), &error), qPrintable(error));
    const QByteArray file = readFile(path);

    QVERIFY(file.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<QsmdProject>\n"));
    QVERIFY(file.contains("<ProjectFiles>\r\nDemo\r\n    Hardware Module\r\n        Microcontroller"
                          "\r\n            Software Module\r\n                StateMachine_1\r\n"
                          "</ProjectFiles>"));
    QVERIFY(file.contains("<SceneData version=\"v1.0\">"));
    // Upper-case node colours as the new-project table has them.
    QCOMPARE(file.count("backgroundColour=\"#FEC309\""), 4);
    QCOMPARE(file.count("backgroundColour=\"#FC0127\""), 1);
    // Only the two state-machine groups, inside the level-5 Process.
    QVERIFY(!file.contains("LinkItems") && !file.contains("MemoryItems"));
    QVERIFY(!file.contains("DataflowItems") && !file.contains("TextItems"));
    const int machine = file.indexOf("<Process level=\"5\"");
    const int states = file.indexOf("<StateItems number=\"2\">");
    const int transitions = file.indexOf("<TransitionItems number=\"1\">");
    const int processEnd = file.indexOf("</Process>");
    QVERIFY(machine > 0 && machine < states && states < transitions && transitions < processEnd);
    QVERIFY(file.contains("<midPos></midPos>"));
    QVERIFY(file.contains("<Process level=\"1\" Nos=\"1\" id=\"1\" label=\"Demo\" parentId=\"1\" "
                          "grandParentId=\"1\" xCoord=\"300\" yCoord=\"300\" width=\"300\" "
                          "height=\"250\" shape=\"1\" code=\"\" description=\"\" "
                          "backgroundColour=\"#FEC309\" polygon=\"0,0,300,0,300,250,0,250,0,0\"/>"));
    QVERIFY(file.contains("polygon=\"0,0,500,0,500,500,0,500,0,0\""));
}

void TestProjectFile::defaultProjectValues()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Demo.qsmd"));
    QVERIFY(DefaultProject::write(path, QStringLiteral("Demo"), nullptr));
    ProjectFileReader reader;
    QVERIFY2(reader.check(path), qPrintable(reader.errorString()));
    QVERIFY(reader.records().processes.isEmpty());   // the check keeps nothing
    QVERIFY2(reader.load(path), qPrintable(reader.errorString()));
    const ProjectRecordLists r = reader.records();

    QCOMPARE(r.treeText, QStringLiteral("\nDemo\n    Hardware Module\n        Microcontroller\n"
                                        "            Software Module\n"
                                        "                StateMachine_1\n"));
    QCOMPARE(r.processes.size(), 5);
    const QStringList labels = {"Demo", "Hardware Module", "Microcontroller", "Software Module",
                                "StateMachine_1"};
    for (int i = 0; i < 5; ++i) {
        const ProcessRecord &p = r.processes.at(i);
        QCOMPARE(p.level, i + 1);
        QCOMPARE(p.label, labels.at(i));
        QCOMPARE(p.nos + p.id + p.parentId + p.grandParentId + p.shape, 5);
        QCOMPARE(p.xCoord, 300.0);
        QCOMPARE(p.yCoord, 300.0);
        QCOMPARE(p.width, 300);
        QCOMPARE(p.height, 250);
        QVERIFY(p.code.isEmpty() && p.description.isEmpty());
        QCOMPARE(p.backgroundColour, i == 4 ? QStringLiteral("#FC0127") : QStringLiteral("#FEC309"));
        const int side = i == 2 ? 500 : 300;
        QCOMPARE(p.polygon.size(), 5);
        QCOMPARE(p.polygon.at(2), QPointF(side, i == 2 ? 500 : 250));
    }
    QCOMPARE(r.states.size(), 2);
    for (const StateRecord &s : r.states) {
        QCOMPARE(s.level, 6);
        QCOMPARE(s.parentId, 1);
        QCOMPARE(s.grandParentId, 1);
        QCOMPARE(s.yCoord, 400.0);
        QCOMPARE(s.width, 280);
        QCOMPARE(s.height, 150);
        QCOMPARE(s.backgroundColour, QStringLiteral("#e5e7e9"));
        QCOMPARE(s.numberOfTI, 1);
        QCOMPARE(s.transitions, QStringList{QStringLiteral("DefaultTransition")});
        QCOMPARE(s.fileBlock, 4);
    }
    QCOMPARE(r.states.at(0).label, QStringLiteral("InitialState"));
    QVERIFY(r.states.at(0).ifInitialState);
    QCOMPARE(r.states.at(0).xCoord, 200.0);
    QCOMPARE(r.states.at(1).label, QStringLiteral("SecondaryState"));
    QVERIFY(!r.states.at(1).ifInitialState);
    QCOMPARE(r.states.at(1).xCoord, 1000.0);
    QCOMPARE(r.transitions.size(), 1);
    const TransitionRecord &t = r.transitions.first();
    QCOMPARE(t.label, QStringLiteral("DefaultTransition"));
    QCOMPARE(t.startItem, QStringLiteral("InitialState"));
    QCOMPARE(t.endItem, QStringLiteral("SecondaryState"));
    QCOMPARE(QPointF(t.xCoord, t.yCoord), QPointF(650, 650));
    QVERIFY(t.midPos.isEmpty());
    QCOMPARE(t.width, 150);
    QCOMPARE(t.height, 75);
    QVERIFY(r.links.isEmpty() && r.memories.isEmpty() && r.dataflows.isEmpty() && r.texts.isEmpty());
}

void TestProjectFile::defaultProjectRoundTrip()
{
    const QByteArray original = bytesOf(DefaultProject::document(QStringLiteral("My Project")));
    const ProjectRecordLists records = load(original);

    ProjectDocument again;
    QString error;
    QVERIFY2(groupRecords(records, GroupLayout::NewProject, &again, &error), qPrintable(error));
    QCOMPARE(bytesOf(again), original);

    // Saved layout: different bytes, same records.
    QVERIFY(groupRecords(records, GroupLayout::Saved, &again, &error));
    const QByteArray saved = bytesOf(again);
    QVERIFY(saved != original);
    QVERIFY(saved.contains("<LinkItems number=\"0\"/>"));
    QCOMPARE(recordDifference(load(saved), records), QString());
}

void TestProjectFile::randomProjectRoundTrip_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<bool>("randomCounts");
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("entryExit");
    for (quint32 seed = 1; seed <= 12; ++seed)
        QTest::addRow("varied %u", seed) << seed << true << 3 << false;
    QTest::addRow("large") << quint32(2024) << false << 3 << false;
    for (quint32 seed = 1; seed <= 3; ++seed)
        QTest::addRow("entry and exit actions %u", seed) << seed << true << 3 << true;
}

void TestProjectFile::randomProjectRoundTrip()
{
    QFETCH(quint32, seed);
    QFETCH(bool, randomCounts);
    QFETCH(int, scale);
    QFETCH(bool, entryExit);
    RandomProjectOptions options;
    options.entryExitActions = entryExit;
    options.hardwareModules = options.microcontrollers = options.softwareModules = scale;
    options.stateMachines = scale;
    options.statesPerMachine = 4 * scale;
    options.transitionsPerMachine = 6 * scale;
    options.randomCounts = randomCounts;
    const ProjectDocument document = randomProject(seed, options);
    QVERIFY(documentItemCount(document) > 20);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("random.qsmd"));
    ProjectFileWriter writer;
    QVERIFY2(writer.write(document, path), qPrintable(writer.errorString()));
    const QByteArray file = readFile(path);
    QCOMPARE(file, bytesOf(document));

    ProjectFileReader reader;
    QVERIFY2(reader.check(path), qPrintable(reader.errorString()));
    QVERIFY2(reader.load(path), qPrintable(reader.errorString()));
    const ProjectRecordLists records = reader.records();
    ProjectRecordLists expected = flattenDocument(document);
    expected.treeText.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QCOMPARE(recordDifference(records, expected), QString());

    ProjectDocument regrouped;
    QString error;
    QVERIFY2(groupRecords(records, GroupLayout::Saved, &regrouped, &error), qPrintable(error));
    QCOMPARE(bytesOf(regrouped), file);
    QCOMPARE(treeTextFromBlocks(regrouped), document.treeText);
}

// Items on two canvases with equal (level, id, parentId) - the first
// software module of the first microcontroller under two different hardware
// modules - go back to the canvas they were written in.
void TestProjectFile::coincidingIdentitiesKeepTheirCanvas()
{
    RandomProjectOptions options;
    options.hardwareModules = 2;
    options.microcontrollers = options.softwareModules = options.stateMachines = 1;
    const ProjectDocument document = randomProject(77, options);
    QCOMPARE(document.blocks.size(), 8);
    const ProcessRecord &a = document.blocks.at(2).process;
    const ProcessRecord &b = document.blocks.at(6).process;
    QCOMPARE(a.level, 4);
    QCOMPARE(QVector<int>({a.level, a.id, a.parentId}), QVector<int>({b.level, b.id, b.parentId}));

    ProjectRecordLists records = load(bytesOf(document));
    ProjectDocument regrouped;
    QString error;
    QVERIFY(groupRecords(records, GroupLayout::Saved, &regrouped, &error));
    QCOMPARE(regrouped.blocks.at(6).memories.size(), document.blocks.at(6).memories.size());
    QCOMPARE(regrouped.blocks.at(6).memories.first().label, document.blocks.at(6).memories.first().label);

    // Without the file position the identity numbers alone pick the first.
    for (MemoryRecord &m : records.memories)
        m.fileBlock = -1;
    QVERIFY(groupRecords(records, GroupLayout::Saved, &regrouped, &error));
    QVERIFY(regrouped.blocks.at(6).memories.isEmpty());
}

void TestProjectFile::groupingRefusesItemsWithoutCanvas()
{
    ProjectRecordLists records = load(bytesOf(DefaultProject::document(QStringLiteral("P"))));
    ProjectDocument document;
    QString error;
    records.states[1].grandParentId = 9;
    QVERIFY(!groupRecords(records, GroupLayout::Saved, &document, &error));
    QVERIFY2(error.contains(QLatin1String("StateItem 2")), qPrintable(error));

    // A memory item of the level-1 canvas is never stored.
    records = load(bytesOf(DefaultProject::document(QStringLiteral("P"))));
    MemoryRecord m;
    m.level = 2;
    m.parentId = m.grandParentId = 1;
    records.memories << m;
    QVERIFY(!groupRecords(records, GroupLayout::Saved, &document, &error));

    // A block two levels below its predecessor.
    records = load(bytesOf(DefaultProject::document(QStringLiteral("P"))));
    records.processes[1].level = 3;
    QVERIFY(!groupRecords(records, GroupLayout::Saved, &document, &error));
    QVERIFY2(error.contains(QLatin1String("level 3 after level 1")), qPrintable(error));
}

void TestProjectFile::textsAreNormalisedForXml()
{
    ProjectDocument document = DefaultProject::document(QStringLiteral("P"));
    CanvasBlock &machine = document.blocks[3];
    machine.states[0].action = QStringLiteral("a();\r\nb();\rc();\x01");
    machine.states[0].description = QStringLiteral("<&>\"' \t end ");
    machine.process.code = QStringLiteral("line1\r\nline2\x02\ttab");
    machine.process.description = QString::fromUcs4(U"emoji \U0001F600 ok") + QChar(0xD800);
    document.treeText.replace(QLatin1String("\r\n"), QLatin1String("\n"));

    const QByteArray bytes = bytesOf(document);
    QVERIFY(!bytes.isEmpty());
    QVERIFY(bytes.contains("<ProjectFiles>\r\nP\r\n    Hardware Module\r\n"));
    const ProjectRecordLists r = load(bytes);
    QCOMPARE(r.states.at(0).action, QStringLiteral("a();\nb();\nc();"));
    QCOMPARE(r.states.at(0).description, QStringLiteral("<&>\"' \t end "));
    QCOMPARE(r.processes.at(4).code, QStringLiteral("line1\r\nline2\ttab"));
    QCOMPARE(r.processes.at(4).description, QString::fromUcs4(U"emoji \U0001F600 ok"));
}

void TestProjectFile::dataflowEndsOnlyForKnownDirections()
{
    ProjectDocument document = DefaultProject::document(QStringLiteral("P"));
    document.layout = GroupLayout::Saved;
    CanvasBlock &software = document.blocks[2];
    MemoryRecord memory;
    memory.level = 5;
    memory.parentId = memory.grandParentId = 1;
    memory.label = QStringLiteral("m");
    software.memories << memory;
    for (int lineType : {1, 2, 0, 7}) {
        DataflowRecord d;
        d.level = 5;
        d.parentId = d.grandParentId = 1;
        d.lineType = lineType;
        d.label = QStringLiteral("flow%1").arg(lineType);
        if (lineType == 1 || lineType == 2) {
            d.startItem = lineType == 1 ? QStringLiteral("StateMachine_1") : QStringLiteral("m");
            d.endItem = lineType == 1 ? QStringLiteral("m") : QStringLiteral("StateMachine_1");
        }
        software.dataflows << d;
    }
    const QByteArray bytes = bytesOf(document);
    QCOMPARE(bytes.count("startItem=\""), 2);
    QVERIFY(bytes.contains("<DataflowItems number=\"4\">"));
    const ProjectRecordLists r = load(bytes);
    QCOMPARE(r.dataflows.size(), 4);
    QCOMPARE(r.dataflows.at(1).startItem, QStringLiteral("m"));
    QCOMPARE(r.dataflows.at(1).endItem, QStringLiteral("StateMachine_1"));
    QVERIFY(r.dataflows.at(2).startItem.isEmpty());

    // A known direction without its ends is refused.
    QByteArray broken = bytes;
    broken.replace(" endItem=\"m\"", "");
    ProjectFileReader reader;
    QVERIFY(!reader.checkData(broken));
    QVERIFY2(reader.errorString().contains(QLatin1String("Dataflow: attribute 'endItem' is missing")),
             qPrintable(reader.errorString()));
}

void TestProjectFile::unknownElementsAreIgnored()
{
    const QByteArray bytes = bytesOf(randomProject(5));
    const ProjectRecordLists records = load(bytes);
    QVERIFY(!records.texts.isEmpty());

    QByteArray edited = bytes;
    edited.replace("<GraphicsItemList>",
                   "<GraphicsItemList>\n<Comments count=\"1\"><Note text=\"x\"/>plain text</Comments>");
    // Unknown children after the last required one, and a wrapper around items.
    edited.replace("</action>\n                </TextItem>",
                   "</action>\n<extra><deeper/></extra></TextItem>");
    edited.replace("<TextItems ", "<Wrapper><TextItems ");
    edited.replace("</TextItems>", "</TextItems></Wrapper>");
    QVERIFY(edited.contains("<extra>"));
    QVERIFY(edited.contains("<Wrapper>"));
    ProjectFileReader reader;
    QVERIFY2(reader.loadData(edited), qPrintable(reader.errorString()));
    QCOMPARE(recordDifference(reader.records(), records), QString());
}

namespace {

LoadNotes notesOf(const QByteArray &bytes)
{
    ProjectFileReader reader;
    if (!reader.loadData(bytes))
        qWarning() << reader.errorString();
    return reader.records().readNotes;
}

// A default project whose first state has an entry and an exit action.
ProjectDocument withEntryAndExit()
{
    ProjectDocument document = DefaultProject::document(QStringLiteral("Doors"));
    StateRecord &state = document.blocks.last().states.first();
    state.entryAction = QStringLiteral("motor_on();\nt = 0;");
    state.exitAction = QStringLiteral("motor_off(); /* <&> */");
    return document;
}

} // namespace

// Every element and attribute the reader passes over is listed once per
// place and name, with its first line and how often it came; what the
// reader takes (zValue, codeStyle, the entry and exit actions) is not; the
// records are read as before. Listing stays bounded.
void TestProjectFile::unknownElementsAndAttributesAreListed()
{
    ProjectDocument document = randomProject(5);
    document.blocks.last().states.first().stacking = 7;
    document.blocks.last().states.first().entryAction = QStringLiteral("a = 1;");
    document.blocks.first().process.codeStyle = QStringLiteral("instance");
    const QByteArray bytes = bytesOf(document);
    QVERIFY(bytes.contains("<zValue>7</zValue>") && bytes.contains("codeStyle="));
    QCOMPARE(loadNoteTexts(notesOf(bytes)), QStringList());

    QByteArray edited = bytes;
    edited.replace("<GraphicsItemList>",
                   "<GraphicsItemList>\n<Comments count=\"1\"><Note text=\"x\"/><Note/></Comments>");
    edited.replace("</action>\n                </TextItem>", "</action>\n<extra><deeper/></extra></TextItem>");
    edited.replace("<Link level=", "<Link colour=\"red\" level=");
    edited.replace("</SceneData>", "</SceneData><Later/>");
    QVERIFY(edited.contains("<extra>") && edited.contains("colour=\"red\""));
    const int texts = bytes.count("</TextItem>");
    const int links = bytes.count("<Link ");
    QVERIFY(texts > 1 && links > 1);

    ProjectFileReader reader;
    QVERIFY2(reader.loadData(edited), qPrintable(reader.errorString()));
    QCOMPARE(recordDifference(reader.records(), load(bytes)), QString());
    const LoadNotes notes = reader.records().readNotes;
    QCOMPARE(countNotes(notes, LoadNote::Effect::Unknown), notes.size());
    const QStringList texts1 = loadNoteTexts(notes);
    QCOMPARE(texts1.size(), 4);
    const QString drops = QStringLiteral("this version of Kestro does not know it, and saving over the file drops it");
    const int commentsLine = edited.left(edited.indexOf("<Comments")).count('\n') + 1;
    QCOMPARE(texts1.at(0), QStringLiteral("Element 'Comments': in the item list, line %1; %2").arg(commentsLine).arg(drops));
    QVERIFY2(QRegularExpression(QStringLiteral("^Attribute 'colour': of Link, %1 times from line \\d+; ")
                                    .arg(links))
                 .match(texts1.at(1))
                 .hasMatch(),
             qPrintable(texts1.join('\n')));
    QVERIFY(texts1.at(2).startsWith(QStringLiteral("Element 'extra': in TextItem, %1 times from line ").arg(texts)));
    QVERIFY(texts1.at(3).startsWith(QStringLiteral("Element 'Later': after the item list, line ")));
    // Placement passes them on first, as the window and kestro-cli show them.
    const LoadNotes placed = RecordPlacement(reader.records()).notes();
    QVERIFY(placed.size() >= notes.size());
    QCOMPARE(loadNoteTexts(placed).mid(0, notes.size()), texts1);
    // The check pass keeps nothing.
    QVERIFY(reader.checkData(edited));
    QVERIFY(reader.records().readNotes.isEmpty());

    // Many different names: fifty notes and one counting the rest.
    QByteArray crowded = bytes;
    QByteArray junk;
    for (int i = 0; i < 80; ++i)
        junk += "<junk" + QByteArray::number(i) + "/>";
    crowded.replace("<GraphicsItemList>", "<GraphicsItemList>" + junk);
    const LoadNotes many = notesOf(crowded);
    QCOMPARE(many.size(), 51);
    QCOMPARE(many.last().text(), QStringLiteral("Unknown parts: 30 more elements or attributes this version "
                                                "of Kestro does not know; saving over the file drops them"));
}

// Files that use no entry or exit action are written byte for byte as
// before: the shipped example and the benchmark projects read and write
// back identically, with neither new element nor the marker.
void TestProjectFile::filesWithoutEntryAndExitActionsSaveAsBefore()
{
    QVector<QByteArray> files{readFile(QStringLiteral(KESTRO_SOURCE_DIR "/Examples/Example_1.qsmd"))};
    for (int machines : {10, 50})   // as bench_startup --write-projects writes them
        files << bytesOf(randomProject(quint32(machines), largeProjectOptions(machines)));
    for (const QByteArray &original : files) {
        QVERIFY(original.size() > 1000);
        const ProjectRecordLists records = load(original);
        QVERIFY(records.readNotes.isEmpty());
        for (const StateRecord &state : records.states)
            QVERIFY(state.entryAction.isEmpty() && state.exitAction.isEmpty());
        ProjectDocument again;
        QString error;
        QVERIFY2(groupRecords(records, GroupLayout::Saved, &again, &error), qPrintable(error));
        const QByteArray written = bytesOf(again);
        QVERIFY(!written.contains("entryAction") && !written.contains("exitAction"));
        QVERIFY(!written.contains(EntryExitMarker::label().toUtf8()));
        QVERIFY2(written == original, "a file without entry and exit actions changed on the way through");
    }
}

// The two optional elements come after the transitions and before the
// stacking value, only where not empty; they read back and write again the
// same; the record comparison sees them.
void TestProjectFile::entryAndExitActionsRoundTrip()
{
    ProjectDocument document = withEntryAndExit();
    StateRecord &second = document.blocks.last().states[1];
    second.exitAction = QStringLiteral("leave();");
    second.stacking = 3;
    const QByteArray bytes = bytesOf(document);
    const int first = bytes.indexOf("<label>InitialState</label>");
    const int transitions = bytes.indexOf("</transitions>", first);
    const int entry = bytes.indexOf("<entryAction>motor_on();\nt = 0;</entryAction>", first);
    const int exit = bytes.indexOf("<exitAction>motor_off(); /* &lt;&amp;&gt; */</exitAction>", first);
    const int end = bytes.indexOf("</StateItem>", first);
    QVERIFY2(first > 0 && transitions < entry && entry < exit && exit < end, bytes.mid(first, end - first).constData());
    // The second state has only an exit action, before its stacking value.
    const int secondStart = bytes.indexOf("<label>SecondaryState</label>");
    const int secondEnd = bytes.indexOf("</StateItem>", secondStart);
    const QByteArray secondText = bytes.mid(secondStart, secondEnd - secondStart);
    QVERIFY(!secondText.contains("entryAction"));
    QVERIFY(secondText.indexOf("<exitAction>leave();</exitAction>") < secondText.indexOf("<zValue>3</zValue>"));

    const ProjectRecordLists records = load(bytes);
    QCOMPARE(records.states.size(), 2);
    QCOMPARE(records.states.at(0).entryAction, QStringLiteral("motor_on();\nt = 0;"));
    QCOMPARE(records.states.at(0).exitAction, QStringLiteral("motor_off(); /* <&> */"));
    QCOMPARE(records.states.at(1).entryAction, QString());
    QCOMPARE(records.states.at(1).exitAction, QStringLiteral("leave();"));
    QCOMPARE(records.states.at(1).stacking, 3.0);
    QVERIFY(records.readNotes.isEmpty());
    ProjectDocument again;
    QString error;
    QVERIFY2(groupRecords(records, GroupLayout::NewProject, &again, &error), qPrintable(error));
    QCOMPARE(bytesOf(again), bytes);

    // The order of the optional elements does not matter to the reader.
    QByteArray swapped = bytes;
    swapped.replace("<entryAction>motor_on();\nt = 0;</entryAction>", "");
    swapped.replace("</exitAction>", "</exitAction><entryAction>late();</entryAction>");
    QCOMPARE(load(swapped).states.at(0).entryAction, QStringLiteral("late();"));

    // An edit of either field is an edit of what is saved, named by field.
    StateRecord before = records.states.at(0);
    StateRecord after = before;
    QVERIFY(RecordEquality::sameStoredFields(before, after));
    after.exitAction += QLatin1Char(' ');
    QVERIFY(!RecordEquality::sameStoredFields(before, after));
    QCOMPARE(RecordEquality::changedFields(before, after), QStringList{QStringLiteral("exitAction")});
    after = before;
    after.entryAction.clear();
    QCOMPARE(RecordEquality::changedFields(before, after), QStringList{QStringLiteral("entryAction")});
}

// A file with entry or exit actions carries the marker once, in the first
// state group that needs it. The placement rule refuses it with a note
// that says what happened (an older release, which reads the marker as an
// ordinary state, shows that note); this reader neither keeps it nor
// reports it.
void TestProjectFile::markerTellsAnOlderReleaseAndNotThisOne()
{
    ProjectDocument document = withEntryAndExit();
    // A second machine with entry actions too still gets no second marker.
    CanvasBlock machine = document.blocks.last();
    machine.process.id = 2;
    machine.process.nos = 2;
    machine.process.label = QStringLiteral("StateMachine_2");
    for (StateRecord &state : machine.states)
        state.parentId = 2;
    for (TransitionRecord &transition : machine.transitions)
        transition.parentId = 2;
    document.blocks << machine;
    document.treeText = treeTextFromBlocks(document);
    const QByteArray bytes = bytesOf(document);
    const QByteArray label = EntryExitMarker::label().toUtf8();
    QCOMPARE(bytes.count(label), 1);
    QCOMPARE(bytes.count("<StateItems number=\"3\">"), 1);   // two states and the marker
    QCOMPARE(bytes.count("<StateItems number=\"2\">"), 1);
    QVERIFY(bytes.indexOf(label) < bytes.indexOf("label=\"StateMachine_2\""));

    // This reader: four states, no note, no item for the marker.
    const ProjectRecordLists records = load(bytes);
    QCOMPARE(records.states.size(), 4);
    for (const StateRecord &state : records.states)
        QVERIFY(!EntryExitMarker::isMarker(state));
    QCOMPARE(loadNoteTexts(RecordPlacement(records).notes()), QStringList());

    // What a reader that takes the marker for a state gets: the placement
    // rule refuses it, and its note tells the user why.
    ProjectRecordLists older = records;
    StateRecord marker = EntryExitMarker::record();
    marker.fileBlock = records.states.first().fileBlock;
    older.states.insert(2, marker);
    for (StateRecord &state : older.states)
        state.entryAction = state.exitAction = QString();
    const RecordPlacement placement(older);
    QCOMPARE(placement.stateCanvas(2), int(RecordPlacement::None));
    QCOMPARE(loadNoteTexts(placement.notes()),
             QStringList{QStringLiteral("State '%1': level 0 is not one of 6 to 10; not kept")
                             .arg(EntryExitMarker::label())});
    QCOMPARE(placement.notes().first().effect, LoadNote::Effect::NotKept);

    // No entry or exit action left: no marker.
    ProjectDocument plain = withEntryAndExit();
    plain.blocks.last().states.first().entryAction.clear();
    QVERIFY(bytesOf(plain).contains(label));
    plain.blocks.last().states.first().exitAction.clear();
    QVERIFY(!bytesOf(plain).contains(label));
}

// A field's text may reach the parser in several pieces (around comments
// and CDATA sections) or as one very long piece; either way the record
// gets all of it.
void TestProjectFile::textsInSeveralPiecesAreReadWhole()
{
    ProjectDocument document = DefaultProject::document(QStringLiteral("Pieces"));
    const QString longAction = QStringLiteral("x = 1; /* \u00e9\U0001F600 */\n").repeated(20000);
    document.blocks.last().states.first().action = longAction;
    QByteArray bytes = bytesOf(document);
    bytes.replace("<label>SecondaryState</label>",
                  "<label>Second<!-- a note --><![CDATA[ary<]]>&amp;State</label>");
    bytes.replace("<endItem>SecondaryState</endItem>", "<endItem>Secondary<![CDATA[<&]]>State</endItem>");
    const ProjectRecordLists records = load(bytes);
    QCOMPARE(records.states.size(), 2);
    QCOMPARE(records.states.at(0).action, longAction);
    QCOMPARE(records.states.at(1).label, QStringLiteral("Secondary<&State"));
    QCOMPARE(records.transitions.at(0).endItem, QStringLiteral("Secondary<&State"));
}

void TestProjectFile::savedFileIsReplacedWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.qsmd"));
    ProjectFileWriter writer;
    QVERIFY(writer.write(randomProject(3), path));
    const ProjectDocument smaller = DefaultProject::document(QStringLiteral("P"));
    QVERIFY(writer.write(smaller, path));
    QCOMPARE(readFile(path), bytesOf(smaller));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("p.qsmd")});
}

void TestProjectFile::failedSaveKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.qsmd"));
    ProjectFileWriter writer;
    QVERIFY(writer.write(DefaultProject::document(QStringLiteral("P")), path));
    const QByteArray before = readFile(path);

    // A document whose blocks jump from level 2 to level 4 is refused whole.
    ProjectDocument broken = randomProject(9);
    broken.blocks[1].process.level = 4;
    QVERIFY(!writer.write(broken, path));
    QVERIFY2(writer.errorString().contains(QLatin1String("level 4 after level 2")),
             qPrintable(writer.errorString()));
    QCOMPARE(readFile(path), before);

    broken = randomProject(9);
    broken.root.level = 2;
    broken.root.id = 3;
    QVERIFY(!writer.write(broken, path));
    QVERIFY(writer.errorString().contains(QLatin1String("neither level 1 nor id 1")));
    QCOMPARE(readFile(path), before);

    // The target cannot be created: a missing directory, or a directory.
    QVERIFY(!writer.write(randomProject(9), dir.filePath(QStringLiteral("missing/p.qsmd"))));
    QVERIFY(writer.errorString().contains(QLatin1String("missing/p.qsmd")));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    QVERIFY(!writer.write(randomProject(9), dir.filePath(QStringLiteral("sub"))));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("p.qsmd")});
}

void TestProjectFile::valueEncodings()
{
    using namespace ValueCodec;
    QCOMPARE(formatNumber(300), QStringLiteral("300"));
    QCOMPARE(formatNumber(123.456789), QStringLiteral("123.457"));
    QCOMPARE(formatNumber(-0.5), QStringLiteral("-0.5"));
    QCOMPARE(formatNumber(1e6), QStringLiteral("1e+06"));
    QCOMPARE(formatNumber(1234567), QStringLiteral("1.23457e+06"));
    QCOMPARE(formatNumber(0.0001), QStringLiteral("0.0001"));
    QCOMPARE(formatNumber(qQNaN()), QStringLiteral("0"));
    QCOMPARE(formatNumber(qInf()), QStringLiteral("0"));

    const PolygonPoints rect = {QPointF(0, 0), QPointF(280, 0), QPointF(280, 150),
                                QPointF(0, 150), QPointF(0, 0)};
    QCOMPARE(formatPolygon(rect), QStringLiteral("0,0,280,0,280,150,0,150,0,0"));
    QCOMPARE(formatPolygon({QPointF(1.5, -2.25)}), QStringLiteral("1.5,-2.25"));
    QCOMPARE(formatPolygon({}), QString());
    PolygonPoints points;
    QVERIFY(parsePolygon(QStringLiteral("0,0,280,0,280,150,0,150,0,0"), &points));
    QCOMPARE(points, rect);
    QVERIFY(parsePolygon(QString(), &points));
    QVERIFY(points.isEmpty());
    for (const char *bad : {"1", "1,2,3", "1,,2,3", "1,2,", "a,b", "nan,1", "1,inf", "1;2"})
        QVERIFY2(!parsePolygon(QLatin1String(bad), &points), bad);

    QPointF p;
    QVERIFY(parsePoint(QStringLiteral("650.5,-3"), &p));
    QCOMPARE(p, QPointF(650.5, -3));
    QVERIFY(!parsePoint(QStringLiteral("1,2,3,4"), &p));
    QCOMPARE(formatPoint(QPointF(1.0 / 3, 2)), QStringLiteral("0.333333,2"));

    int i = 0;
    QVERIFY(parseInt(QStringLiteral("-12"), &i) && i == -12);
    for (const char *bad : {"", "1.5", "x", "99999999999"})
        QVERIFY2(!parseInt(QLatin1String(bad), &i), bad);
    bool flag = false;
    QVERIFY(parseFlag(QStringLiteral("1"), &flag) && flag);
    QVERIFY(parseFlag(QStringLiteral("0"), &flag) && !flag);
    QVERIFY(parseFlag(QStringLiteral("true"), &flag) && flag);
    QVERIFY(!parseFlag(QStringLiteral("yes"), &flag));

    QCOMPARE(splitLabels(QString()), QStringList());
    QCOMPARE(splitLabels(QStringLiteral("a,b")), (QStringList{"a", "b"}));
    QCOMPARE(joinLabels({"a", "b"}), QStringLiteral("a,b"));
}

QTEST_MAIN(TestProjectFile)
// A project's simulation settings are written only when it has some, read
// back as written, and refused when malformed; older files stay byte for
// byte what they were.
void TestProjectFile::simulationSettingsAreOptional()
{
    ProjectDocument document = randomProject(3);
    const QByteArray plain = bytesOf(document);
    QVERIFY(!plain.contains("SimulationSettings"));
    ProjectDocument again;
    QString error;
    QVERIFY(groupRecords(load(plain), GroupLayout::Saved, &again, &error));
    QVERIFY(again.simulation.isEmpty());
    QCOMPARE(bytesOf(again), plain);

    document.simulation.includePath = QStringList{ "hal/inc", "../vendor & co" };
    document.simulation.prelude = "#define BOARD <1>\r\nint fake(void) { return 2; }";
    const QByteArray withSettings = bytesOf(document);
    QVERIFY(withSettings.contains("</SceneData>\n    <SimulationSettings>\n        <includeFolder>hal/inc</includeFolder>"));
    const ProjectRecordLists records = load(withSettings);
    QCOMPARE(records.simulation.includePath, document.simulation.includePath);
    QCOMPARE(records.simulation.prelude, QStringLiteral("#define BOARD <1>\nint fake(void) { return 2; }"));
    QCOMPARE(recordDifference(records, load(plain)), QString());   // the items are untouched
    QVERIFY(groupRecords(records, GroupLayout::Saved, &again, &error));
    QCOMPARE(bytesOf(again), withSettings);

    const QByteArray refused[] = {
        "<SimulationSettings><includeFolder/></SimulationSettings>",
        "<SimulationSettings><prelude>a</prelude><prelude>b</prelude></SimulationSettings>",
        "<SimulationSettings><prelude>a</prelude><includeFolder>x</includeFolder></SimulationSettings>",
        "<SimulationSettings><other/></SimulationSettings>",
        "<SimulationSettings><prelude><b/></prelude></SimulationSettings>",
        "<SimulationSettings/><SimulationSettings/>",
        "<SimulationSettings>" + QByteArray("<includeFolder>x</includeFolder>").repeated(65) + "</SimulationSettings>",
    };
    for (const QByteArray &settings : refused) {
        QByteArray edited = plain;
        edited.replace("</SceneData>", "</SceneData>" + settings);
        ProjectFileReader reader;
        QVERIFY2(!reader.checkData(edited), settings.constData());
        QVERIFY(!reader.loadData(edited));
    }
}

#include "tst_projectfile.moc"
