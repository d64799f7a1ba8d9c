#include "DefaultProject.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"
#include "RandomProject.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray defaultBytes()
{
    QByteArray bytes;
    ProjectFileWriter().writeToBytes(DefaultProject::document(QStringLiteral("P")), &bytes);
    return bytes;
}

// A small project holding one item of every kind.
QByteArray everyKindBytes()
{
    RandomProjectOptions o;
    o.hardwareModules = o.microcontrollers = o.softwareModules = o.stateMachines = 1;
    o.statesPerMachine = 2;
    o.transitionsPerMachine = o.textsPerMachine = o.linksPerCanvas = 1;
    o.memoriesPerCanvas = o.dataflowsPerCanvas = 1;
    o.exoticText = false;
    QByteArray bytes;
    ProjectFileWriter().writeToBytes(randomProject(11, o), &bytes);
    return bytes;
}

// Both passes must refuse the data and keep no records.
void expectRejected(const QByteArray &data, const QString &errorPart = QString())
{
    ProjectFileReader reader;
    QVERIFY(!reader.checkData(data));
    QVERIFY(!reader.errorString().isEmpty());
    if (!errorPart.isEmpty())
        QVERIFY2(reader.errorString().contains(errorPart), qPrintable(reader.errorString()));
    QVERIFY(!reader.loadData(data));
    QVERIFY(reader.records().processes.isEmpty());
    QVERIFY(reader.records().treeText.isEmpty());
}

// Swaps the first <a>...</a> and the following <b>...</b> in `data`.
QByteArray swapChildren(QByteArray data, const QByteArray &a, const QByteArray &b)
{
    const int aStart = data.indexOf("<" + a + ">");
    const int aEnd = data.indexOf("</" + a + ">", aStart) + a.size() + 3;
    const int bStart = data.indexOf("<" + b + ">", aEnd);
    const int bEnd = data.indexOf("</" + b + ">", bStart) + b.size() + 3;
    const QByteArray first = data.mid(aStart, aEnd - aStart);
    const QByteArray second = data.mid(bStart, bEnd - bStart);
    data.replace(bStart, bEnd - bStart, first);
    data.replace(aStart, aEnd - aStart, second);
    return data;
}

} // namespace

// Files that are not what the writer writes are refused, never crash and
// never hang.
class TestProjectFileReject : public QObject
{
    Q_OBJECT

private slots:
    void acceptsWhatTheWriterWrites();
    void acceptsWhatXmlAllowsBeforeTheRoot();
    void encodingErrorAtItsPlace();
    void reorderedChildren_data();
    void reorderedChildren();
    void missingAttributes_data();
    void missingAttributes();
    void brokenHeader_data();
    void brokenHeader();
    void unreadableValues_data();
    void unreadableValues();
    void truncatedAtEveryOffset();
    void deeplyNested();
    void crowdedTags();
    void oversizedAndMissingFiles();
};

void TestProjectFileReject::acceptsWhatTheWriterWrites()
{
    ProjectFileReader reader;
    QVERIFY2(reader.checkData(everyKindBytes()), qPrintable(reader.errorString()));
    QVERIFY(reader.errorString().isEmpty());
    QVERIFY(reader.loadData(everyKindBytes()));
    const ProjectRecordLists &r = reader.records();
    QVERIFY(!r.links.isEmpty() && !r.memories.isEmpty() && !r.dataflows.isEmpty());
    QVERIFY(!r.states.isEmpty() && !r.transitions.isEmpty() && !r.texts.isEmpty());
}

void TestProjectFileReject::acceptsWhatXmlAllowsBeforeTheRoot()
{
    const QByteArray good = everyKindBytes();
    const QByteArray declaration = good.left(good.indexOf("?>") + 2);
    const QByteArray rest = good.mid(declaration.size());
    const QList<QByteArray> prologs = {
        "\n<!-- made by hand -->",
        "\n<?kestro-note checked?>\n<!-- a -->\n\n<!-- b -->",
        "\n   \t\n",
    };
    for (const QByteArray &prolog : prologs) {
        ProjectFileReader reader;
        const QByteArray data = declaration + prolog + rest;
        QVERIFY2(reader.loadData(data), qPrintable(prolog + ": " + reader.errorString()));
        QCOMPARE(reader.records().states.size(), 2);
    }
    // Without a declaration the comment may come first too.
    ProjectFileReader reader;
    QVERIFY2(reader.checkData("<!-- first -->" + rest), qPrintable(reader.errorString()));
    // A document type is still refused, before its entities are expanded.
    expectRejected(declaration + "\n<!-- c -->\n<!DOCTYPE QsmdProject [<!ENTITY a \"aaaa\">]>" + rest);
}

void TestProjectFileReject::encodingErrorAtItsPlace()
{
    const QByteArray good = everyKindBytes();
    // A byte that is no UTF-8 inside the first state's name, on some line
    // far past the first block the parser decodes.
    QByteArray padded = good;
    const int treeEnd = padded.indexOf("</ProjectFiles>");
    padded.insert(treeEnd, QByteArray(20000, ' ') + '\n');
    struct Case { const char *name; QByteArray bad; };
    const QList<Case> cases = {
        {"lone continuation byte", "\x80"},
        {"cut sequence", "\xE2\x82"},
        {"overlong slash", "\xC0\xAF"},
        {"surrogate", "\xED\xA0\x80"},
    };
    for (const Case &c : cases) {
        QByteArray data = padded;
        const int name = data.indexOf("<StateItem");
        QVERIFY(name > 0);
        const int at = data.indexOf('\n', name) + 1 + 3;   // three characters into the next line
        data.insert(at, c.bad);
        const int line = data.left(at).count('\n') + 1;
        ProjectFileReader reader;
        QVERIFY2(!reader.loadData(data), c.name);
        QVERIFY2(reader.errorLine() == line && reader.errorColumn() == 4,
                 qPrintable(QStringLiteral("%1: %2:%3, expected %4:4 (%5)")
                                .arg(QLatin1String(c.name)).arg(reader.errorLine())
                                .arg(reader.errorColumn()).arg(line).arg(reader.errorString())));
        QVERIFY(reader.errorDetail(QStringLiteral("p.qsmd"))
                    .startsWith(QStringLiteral("p.qsmd:%1:4: ").arg(line)));
    }
}

void TestProjectFileReject::reorderedChildren_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<QString>("error");
    QTest::newRow("state label/grandParentId") << QByteArray("grandParentId") << QByteArray("label")
                                               << "StateItem: expected element 'grandParentId', found 'label'";
    QTest::newRow("state action/description") << QByteArray("action") << QByteArray("description")
                                              << "StateItem: expected element 'action'";
    QTest::newRow("transition condition/backgroundColour")
        << QByteArray("condition") << QByteArray("backgroundColour") << "TransitionItem: expected";
    QTest::newRow("transition midPos/width") << QByteArray("midPos") << QByteArray("width")
                                             << "TransitionItem: expected element 'midPos'";
    QTest::newRow("text type/backgroundColour") << QByteArray("type") << QByteArray("backgroundColour")
                                                << "TextItem: expected element 'type'";
}

void TestProjectFileReject::reorderedChildren()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(QString, error);
    QByteArray data = everyKindBytes();
    // Start the search inside the item kind the row is about.
    const QByteArray kind = error.section(QLatin1Char(':'), 0, 0).toLatin1();
    const int itemStart = data.indexOf("<" + kind + ">");
    QVERIFY(itemStart > 0);
    const QByteArray head = data.left(itemStart);
    const QByteArray swapped = head + swapChildren(data.mid(itemStart), first, second);
    QVERIFY(swapped != data);
    QCOMPARE(swapped.size(), data.size());
    expectRejected(swapped, error);

    // A child without the white space before it is refused as well.
    QByteArray tight = data;
    const int child = tight.indexOf("<" + second + ">", itemStart);
    int blank = child;
    while (blank > 0 && QChar(tight.at(blank - 1)).isSpace())
        --blank;
    tight.remove(blank, child - blank);
    expectRejected(tight, QStringLiteral("expected white space before element '%1'")
                              .arg(QString::fromLatin1(second)));
}

void TestProjectFileReject::missingAttributes_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QByteArray>("attribute");
    QTest::newRow("process code") << QByteArray("<Process level=\"2\"") << QByteArray("code");
    QTest::newRow("process Nos") << QByteArray("<Process level=\"3\"") << QByteArray("Nos");
    QTest::newRow("root polygon") << QByteArray("<Process level=\"1\"") << QByteArray("polygon");
    QTest::newRow("link endItem") << QByteArray("<Link ") << QByteArray("endItem");
    QTest::newRow("memory datatype") << QByteArray("<Memory ") << QByteArray("datatype");
    QTest::newRow("dataflow lineType") << QByteArray("<Dataflow ") << QByteArray("lineType");
}

void TestProjectFileReject::missingAttributes()
{
    QFETCH(QByteArray, element);
    QFETCH(QByteArray, attribute);
    QByteArray data = everyKindBytes();
    const int start = data.indexOf(element);
    QVERIFY(start > 0);
    const int at = data.indexOf(" " + attribute + "=\"", start);
    const int end = data.indexOf('"', at + attribute.size() + 3);
    QVERIFY(at > start && end > at && at < data.indexOf('>', start));
    data.remove(at, end + 1 - at);
    expectRejected(data, QStringLiteral("attribute '%1' is missing").arg(QString::fromLatin1(attribute)));
}

void TestProjectFileReject::brokenHeader_data()
{
    const QByteArray good = defaultBytes();
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not xml") << QByteArray("This is not a project.\n");
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    QTest::newRow("wrong root") << QByteArray(good).replace("QsmdProject", "Project");
    QTest::newRow("second child first") << QByteArray(good).replace("<ProjectFiles>", "<SceneData/><ProjectFiles>");
    QTest::newRow("no whitespace after tree")
        << QByteArray(good).replace("</ProjectFiles>\n    <SceneData", "</ProjectFiles><SceneData");
    QTest::newRow("comment after tree")
        << QByteArray(good).replace("</ProjectFiles>\n", "</ProjectFiles><!-- x -->");
    QTest::newRow("no SceneData") << QByteArray(good).replace("SceneData", "Scenes");
    QTest::newRow("no GraphicsItemList") << QByteArray(good).replace("GraphicsItemList", "Items");
    QTest::newRow("doctype") << QByteArray(good).replace("<QsmdProject>",
        "<!DOCTYPE QsmdProject [<!ENTITY a \"aaaa\">]><QsmdProject>");
    QTest::newRow("tree with element") << QByteArray(good).replace("\r\nP\r\n", "\r\nP<b/>\r\n");
    QTest::newRow("two roots") << good + "<QsmdProject/>";
    QTest::newRow("text after end") << good + "trailing";
    QTest::newRow("ill-formed item list")
        << QByteArray(good).replace("</StateItems>", "</StateItem>");
    QTest::newRow("undeclared entity") << QByteArray(good).replace("InitialState<", "&bogus;<");
}

void TestProjectFileReject::brokenHeader()
{
    QFETCH(QByteArray, data);
    expectRejected(data);
}

void TestProjectFileReject::unreadableValues_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::newRow("process level") << QByteArray("level=\"2\"") << QByteArray("level=\"two\"");
    QTest::newRow("process width fraction") << QByteArray("width=\"300\"") << QByteArray("width=\"300.5\"");
    QTest::newRow("process xCoord nan") << QByteArray("xCoord=\"300\"") << QByteArray("xCoord=\"nan\"");
    QTest::newRow("odd polygon") << QByteArray("polygon=\"0,0,300,0") << QByteArray("polygon=\"0,300,0");
    QTest::newRow("state xCoord") << QByteArray("<xCoord>200</xCoord>") << QByteArray("<xCoord>2OO</xCoord>");
    QTest::newRow("state flag") << QByteArray("<ifInitialState>1<") << QByteArray("<ifInitialState>yes<");
    QTest::newRow("numberOfTI") << QByteArray("<numberOfTI>1<") << QByteArray("<numberOfTI><");
    QTest::newRow("midPos") << QByteArray("<midPos></midPos>") << QByteArray("<midPos>12</midPos>");
    QTest::newRow("height overflow") << QByteArray("<height>75<") << QByteArray("<height>99999999999<");
}

void TestProjectFileReject::unreadableValues()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QByteArray data = defaultBytes();
    const int at = data.indexOf(from);
    QVERIFY(at > 0);
    data.replace(at, from.size(), to);
    expectRejected(data, QStringLiteral("is not readable"));
}

void TestProjectFileReject::truncatedAtEveryOffset()
{
    const QByteArray data = everyKindBytes();
    // Only the line break after the root's end tag may go.
    const int complete = data.lastIndexOf("</QsmdProject>") + 14;
    QCOMPARE(data.size(), complete + 1);
    ProjectFileReader reader;
    for (int size = 0; size < complete; ++size) {
        const QByteArray cut = data.left(size);
        if (reader.checkData(cut) || reader.loadData(cut))
            QFAIL(qPrintable(QStringLiteral("accepted a file cut at %1 of %2").arg(size).arg(data.size())));
    }
    QVERIFY(reader.checkData(data.left(complete)));
}

void TestProjectFileReject::deeplyNested()
{
    QElapsedTimer timer;
    timer.start();
    for (const QByteArray &inner : {QByteArray("<a>"), QByteArray("<Process level=\"2\">"),
                                    QByteArray("<StateItems number=\"1\">")}) {
        QByteArray data = defaultBytes();
        const int depth = 200000;
        QByteArray nest = inner.repeated(depth);
        data.replace("<GraphicsItemList>", "<GraphicsItemList>" + nest);
        if (inner.startsWith("<Process"))
            expectRejected(data, QStringLiteral("Process: attribute 'Nos' is missing"));
        else
            expectRejected(data, QStringLiteral("nested too deeply"));
    }
    // Fifty levels of wrappers are still fine.
    QByteArray data = defaultBytes();
    data.replace("<GraphicsItemList>", "<GraphicsItemList>" + QByteArray("<w>").repeated(50));
    data.replace("</GraphicsItemList>", QByteArray("</w>").repeated(50) + "</GraphicsItemList>");
    ProjectFileReader reader;
    QVERIFY2(reader.loadData(data), qPrintable(reader.errorString()));
    QCOMPARE(reader.records().states.size(), 2);
    QVERIFY2(timer.elapsed() < 60000, "nesting must be refused early");
}

void TestProjectFileReject::crowdedTags()
{
    QByteArray attributes;
    for (int i = 0; i < 300000; ++i)
        attributes += " a" + QByteArray::number(i) + "=\"\"";
    QByteArray data = defaultBytes();
    data.replace("<GraphicsItemList>", "<GraphicsItemList><x" + attributes + "/>");
    QElapsedTimer timer;
    timer.start();
    expectRejected(data, QStringLiteral("more than 256 attributes"));
    QVERIFY2(timer.elapsed() < 10000, "crowded tags must be refused before parsing");

    // Extra attributes within the limit are ignored, and '=' inside quoted
    // values, comments and CDATA does not count.
    data = defaultBytes();
    QByteArray some;
    for (int i = 0; i < 200; ++i)
        some += " extra" + QByteArray::number(i) + "='=\"=='";
    data.replace("<Process level=\"2\"", "<Process" + some + " level=\"2\"");
    data.replace("<GraphicsItemList>", "<GraphicsItemList><!--" + QByteArray(5000, '=')
                     + "--><Note><![CDATA[" + QByteArray(5000, '=') + "]]></Note>");
    ProjectFileReader reader;
    QVERIFY2(reader.loadData(data), qPrintable(reader.errorString()));
    QCOMPARE(reader.records().processes.size(), 5);
}

void TestProjectFileReject::oversizedAndMissingFiles()
{
    QTemporaryDir dir;
    ProjectFileReader reader;
    QVERIFY(!reader.check(dir.filePath(QStringLiteral("absent.qsmd"))));
    QVERIFY(reader.errorString().contains(QLatin1String("absent.qsmd")));
    QVERIFY(!reader.load(dir.path()));

    // A sparse file just over the limit is refused before it is read.
    const QString big = dir.filePath(QStringLiteral("big.qsmd"));
    QFile file(big);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(defaultBytes()) > 0);
    QVERIFY(file.resize(ProjectFileReader::MaxFileSize + 1));
    file.close();
    QVERIFY(!reader.check(big));
    QVERIFY2(reader.errorString().contains(QLatin1String("larger than 512 MiB")),
             qPrintable(reader.errorString()));
    QVERIFY(!reader.readTreeText(big));

    QCOMPARE(ProjectFileReader::corruptMessage(),
             QStringLiteral("Design file is corrupt and cannot be opened. \nOpening Project Aborted."));
}

QTEST_MAIN(TestProjectFileReject)
#include "tst_projectfile_reject.moc"
