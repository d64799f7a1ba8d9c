#include "DiagramFont.h"
#include "ConnectorGeometry.h"
#include "DataflowItem.h"
#include "DataflowLine.h"
#include "LinkItem.h"
#include "LinkLine.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "PropertyDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGraphicsScene>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include <functional>

namespace {

// A process diagram built the way the canvas builds one: items in a scene,
// connections recorded on both ends, two lines per connection.
class Diagram
{
public:
    // Items measure in the scene's font, as on a canvas.
    Diagram() { scene.setFont(DiagramFont::font()); }

    ProcessItem *process(double x, double y, const QString &label = QString())
    {
        auto *item = new ProcessItem(nullptr, x + 150, y + 125, 1);
        item->placeAt();
        item->setLabel(label);
        scene.addItem(item);
        return item;
    }

    MemoryItem *memory(double x, double y, const QString &label = QString(),
                       const QString &datatype = QString())
    {
        auto *item = new MemoryItem(nullptr, x + 50, y + 32);
        scene.addItem(item);
        item->placeAt();
        item->setLabel(label);
        item->setDatatype(datatype);
        return item;
    }

    LinkItem *link(ProcessItem *from, ProcessItem *to)
    {
        auto *link = new LinkItem(nullptr, from, to);
        auto *startLine = new LinkLine(from, link);
        auto *endLine = new LinkLine(link, to);
        link->setStartLine(startLine);
        link->setEndLine(endLine);
        from->addLink(link);
        to->addLink(link);
        scene.addItem(link);
        scene.addItem(startLine);
        scene.addItem(endLine);
        return link;
    }

    DataflowItem *dataflow(QGraphicsItem *from, QGraphicsItem *to)
    {
        auto *dataflow = new DataflowItem(nullptr, from, to);
        auto *startLine = new DataflowLine(from, dataflow);
        auto *endLine = new DataflowLine(dataflow, to);
        dataflow->setStartLine(startLine);
        dataflow->setEndLine(endLine);
        if (dataflow->process())
            dataflow->process()->addDataflow(dataflow);
        if (dataflow->memory())
            dataflow->memory()->addDataflow(dataflow);
        scene.addItem(dataflow);
        scene.addItem(startLine);
        scene.addItem(endLine);
        return dataflow;
    }

    // Paints the whole diagram, as a view would.
    void render()
    {
        QImage image(1600, 1600, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        scene.render(&painter, QRectF(0, 0, 1600, 1600), QRectF(0, 0, 1600, 1600));
    }

    template <typename T> int count() const
    {
        int n = 0;
        for (QGraphicsItem *item : scene.items())
            n += dynamic_cast<T *>(item) ? 1 : 0;
        return n;
    }

    QGraphicsScene scene;
};

// True when painting the item leaves any mark.
bool paintsSomething(QGraphicsItem *item)
{
    QImage image(1600, 1600, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    item->paint(&painter, nullptr, nullptr);
    painter.end();
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(row[x]) != 0)
                return true;
        }
    }
    return false;
}

void answerNextDialog(const std::function<void(QDialog *)> &edit, bool accept)
{
    QTimer::singleShot(0, [edit, accept] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        edit(dialog);
        auto *buttons = dialog->findChild<QDialogButtonBox *>("buttonBox");
        buttons->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    });
}

void typeInto(QDialog *dialog, const char *name, const QString &text)
{
    dialog->findChild<QLineEdit *>(QString::fromLatin1(name))->setText(text);
}

bool fuzzyEqual(const QPointF &a, const QPointF &b)
{
    return qAbs(a.x() - b.x()) < 1e-6 && qAbs(a.y() - b.y()) < 1e-6;
}

QSize appLabelSize(const QString &label)
{
    return labelBoxSize(label, labelMetrics(DiagramFont::font()));
}

} // namespace

class TestLinkDataflow : public QObject
{
    Q_OBJECT

    // The item dialogs, as the window keeps them.
    PropertyDialogs m_dialogs;
private slots:
    void linkBoxSitsBetweenTheProcessCentres();
    void onlyTheBoxToProcessLineHasAnArrowHead();
    void linesFollowMovedItems();
    void labelWidensTheLinkBox();
    void overlappingProcessesHideLinkAndLines();
    void destroyedProcessLeavesNoDanglingPointers();
    void linkRecordRoundTrip();
    void linkDialogCancelAndAccept();

    void dataflowDirectionFollowsDrawingOrder();
    void dataflowBetweenWrongItemsIsInert();
    void emptyLabelDataflowIsDefaultSize();
    void renamingMemoryRenamesItsDataflows();
    void renamingDataflowLeavesMemory();
    void destroyedMemoryLeavesNoDanglingPointers();
    void dataflowRecordRoundTrip();
};

void TestLinkDataflow::linkBoxSitsBetweenTheProcessCentres()
{
    Diagram d;
    ProcessItem *a = d.process(0, 0);
    ProcessItem *b = d.process(1000, 0);
    LinkItem *link = d.link(a, b);
    QCOMPARE(link->type(), 36);
    QCOMPARE(link->midPos(), QPointF(650, 125));
    QCOMPARE(link->pos(), QPointF(600, 115));
    QCOMPARE(link->boundingRect(), QRectF(0, 0, 100, 21));
    QCOMPARE(link->polygon(),
             QPolygonF(QVector<QPointF>{{0, 0}, {100, 0}, {100, 21}, {0, 21}, {0, 0}}));
    QVERIFY(!link->backgroundColour().isValid());
    QCOMPARE(link->startItem(), a);
    QCOMPARE(link->endItem(), b);
    QCOMPARE(a->links(), QList<LinkItem *>{link});
    QCOMPARE(b->links(), QList<LinkItem *>{link});
    QVERIFY(!link->isHidden());
}

void TestLinkDataflow::onlyTheBoxToProcessLineHasAnArrowHead()
{
    Diagram d;
    ProcessItem *a = d.process(0, 0);
    ProcessItem *b = d.process(1000, 0);
    LinkItem *link = d.link(a, b);

    LinkLine *start = link->startLine();
    QCOMPARE(start->lineType(), 1);
    QCOMPARE(start->startGraphic(), static_cast<QGraphicsItem *>(a));
    QCOMPARE(start->endGraphic(), static_cast<QGraphicsItem *>(link));
    QVERIFY(!start->hasArrowHead());
    // From the box's left edge back to the start process's centre.
    QCOMPARE(start->line(), QLineF(QPointF(600, 125), QPointF(150, 125)));

    LinkLine *end = link->endLine();
    QCOMPARE(end->lineType(), 2);
    QCOMPARE(end->process(), b);
    QCOMPARE(end->link(), link);
    QVERIFY(end->hasArrowHead());
    QCOMPARE(end->line(), QLineF(QPointF(1000, 125), QPointF(650, 125)));
    // The tip is on the end process's outline, the sides reach back to the box.
    const QPolygonF head = end->arrowHead();
    QCOMPARE(head.size(), 3);
    QCOMPARE(head.at(0), QPointF(1000, 125));
    QVERIFY(fuzzyEqual(head.at(1), QPointF(1000 - 10 * std::sqrt(3.0), 115)));
    QVERIFY(fuzzyEqual(head.at(2), QPointF(1000 - 10 * std::sqrt(3.0), 135)));
    QVERIFY(end->shape().contains(QPointF(990, 127)));
    QVERIFY(!start->shape().contains(QPointF(590, 127)));

    QVERIFY(paintsSomething(start));
    QVERIFY(paintsSomething(end));
}

void TestLinkDataflow::linesFollowMovedItems()
{
    Diagram d;
    ProcessItem *a = d.process(0, 0);
    ProcessItem *b = d.process(1000, 0);
    LinkItem *link = d.link(a, b);

    // b's centre goes to (1150, 625); the line from the box centre enters
    // b through its top edge at (1025, 500).
    b->setPos(1000, 500);
    QVERIFY(fuzzyEqual(link->endLine()->line().p1(), QPointF(1025, 500)));
    QCOMPARE(link->endLine()->line().p2(), QPointF(650, 125));
    QCOMPARE(link->endLine()->arrowHead().at(0), link->endLine()->line().p1());

    // Box centre now (650, 425): the line from a's centre rises 0.6 per unit
    // and enters the box through its top edge.
    link->setPos(600, 415);
    QVERIFY(fuzzyEqual(link->startLine()->line().p1(), QPointF(150 + 290 / 0.6, 415)));
    QCOMPARE(link->startLine()->line().p2(), QPointF(150, 125));
    QCOMPARE(link->endLine()->line().p2(), QPointF(650, 425));
    // The midpoint is where the box was made; moving it changes nothing there.
    QCOMPARE(link->midPos(), QPointF(650, 125));
}

void TestLinkDataflow::labelWidensTheLinkBox()
{
    Diagram d;
    ProcessItem *a = d.process(0, 0);
    ProcessItem *b = d.process(1000, 0);
    LinkItem *link = d.link(a, b);

    link->setLabel("motor_speed_request");
    const QSize size = appLabelSize("motor_speed_request");
    QVERIFY(size.width() > 100);
    QCOMPARE(QSize(link->width(), link->height()), size);
    QCOMPARE(link->boundingRect(), QRectF(QPointF(0, 0), QSizeF(size)));
    QCOMPARE(link->polygon().at(2), QPointF(size.width(), size.height()));
    // The box keeps its top-left corner; the lines meet its new outline.
    QCOMPARE(link->pos(), QPointF(600, 115));
    QCOMPARE(link->endLine()->line().p2(), itemCentre(link->pos(), size.width(), size.height()));

    link->setLabel(QString());
    QCOMPARE(link->boundingRect(), QRectF(0, 0, 100, 21));
}

void TestLinkDataflow::overlappingProcessesHideLinkAndLines()
{
    Diagram d;
    ProcessItem *a = d.process(0, 0);
    ProcessItem *b = d.process(1000, 0);
    LinkItem *link = d.link(a, b);
    QVERIFY(paintsSomething(link));

    b->setPos(100, 0);
    QVERIFY(link->isHidden());
    QVERIFY(!paintsSomething(link));
    QVERIFY(!paintsSomething(link->startLine()));
    QVERIFY(!paintsSomething(link->endLine()));

    b->setPos(1000, 0);
    QVERIFY(paintsSomething(link));
    QVERIFY(paintsSomething(link->endLine()));
}

void TestLinkDataflow::destroyedProcessLeavesNoDanglingPointers()
{
    Diagram d;
    ProcessItem *a = d.process(0, 0, "A");
    ProcessItem *b = d.process(1000, 0, "B");
    LinkItem *link = d.link(a, b);
    LinkLine *endLine = link->endLine();

    delete b;
    QVERIFY(!link->endItem());
    QCOMPARE(link->startItem(), a);
    QVERIFY(!endLine->process());
    QVERIFY(link->isHidden());
    QCOMPARE(link->toRecord().startItem, QString("A"));
    QVERIFY(link->toRecord().endItem.isEmpty());
    d.render();

    // A line destroyed on its own is cleared from its box.
    delete link->startLine();
    QVERIFY(!link->startLine());
    // A destroyed box leaves its process item's list and its lines.
    delete link;
    QVERIFY(a->links().isEmpty());
    QVERIFY(!endLine->link());
    d.render();
}

void TestLinkDataflow::linkRecordRoundTrip()
{
    Diagram d;
    ProcessItem *a = d.process(0, 0, "Sensor");
    ProcessItem *b = d.process(1000, 0, "Motor");
    LinkItem *link = d.link(a, b);

    LinkRecord record;
    record.level = 4;
    record.parentId = 2;
    record.grandParentId = 1;
    record.xCoord = 400.5;
    record.yCoord = 77;
    record.label = "speed_cmd";
    record.description = "requested speed";
    record.datatype = "int16_t";
    record.backgroundColour = "#aabbcc";
    link->applyRecord(record);
    QCOMPARE(link->pos(), QPointF(400.5, 77));

    const LinkRecord out = link->toRecord();
    QCOMPARE(out.level, 4);
    QCOMPARE(out.parentId, 2);
    QCOMPARE(out.grandParentId, 1);
    QCOMPARE(out.xCoord, 400.5);
    QCOMPARE(out.yCoord, 77.0);
    QCOMPARE(out.label, record.label);
    QCOMPARE(out.description, record.description);
    QCOMPARE(out.datatype, record.datatype);
    QCOMPARE(out.startItem, QString("Sensor"));
    QCOMPARE(out.endItem, QString("Motor"));
    QCOMPARE(out.backgroundColour, QString("#aabbcc"));
    const QSize size = appLabelSize("speed_cmd");
    QCOMPARE(out.polygon, PolygonPoints({{0, 0}, {double(size.width()), 0},
                                         {double(size.width()), double(size.height())},
                                         {0, double(size.height())}, {0, 0}}));

    record.backgroundColour.clear();
    link->applyRecord(record);
    QCOMPARE(link->toRecord().backgroundColour, QString("#e5e7e9"));
}

void TestLinkDataflow::linkDialogCancelAndAccept()
{
    Diagram d;
    LinkItem *link = d.link(d.process(0, 0), d.process(1000, 0));
    QVERIFY(!m_dialogs.dialog(ItemType::Link));

    answerNextDialog([](QDialog *dialog) { typeInto(dialog, "lineEdit", "ignored"); }, false);
    QVERIFY(!m_dialogs.editLink(link));
    QVERIFY(link->label().isEmpty());
    QCOMPARE(link->width(), 100);

    answerNextDialog([](QDialog *dialog) {
        typeInto(dialog, "lineEdit", "torque");
        typeInto(dialog, "lineEdit_2", "float");
    }, true);
    QVERIFY(m_dialogs.editLink(link));
    QCOMPARE(link->label(), QString("torque"));
    QCOMPARE(link->datatype(), QString("float"));
    QCOMPARE(link->width(), appLabelSize("torque").width());
}

void TestLinkDataflow::dataflowDirectionFollowsDrawingOrder()
{
    Diagram d;
    ProcessItem *p = d.process(0, 0, "Control");
    MemoryItem *m = d.memory(1000, 93, "speed", "uint16_t");
    const QPointF memoryCentre = itemCentre(m->pos(), m->width(), 64);
    QCOMPARE(memoryCentre.y(), 125.0);

    // Process -> memory: the process writes the variable.
    DataflowItem *write = d.dataflow(p, m);
    QCOMPARE(write->type(), 39);
    QCOMPARE(write->lineType(), 1);
    QCOMPARE(write->process(), p);
    QCOMPARE(write->memory(), m);
    QCOMPARE(write->startGraphic(), static_cast<QGraphicsItem *>(p));
    QCOMPARE(write->endGraphic(), static_cast<QGraphicsItem *>(m));
    QCOMPARE(write->label(), QString("speed"));
    QCOMPARE(write->datatype(), QString("uint16_t"));
    QCOMPARE(write->backgroundColour(), QColor(249, 231, 159));
    QCOMPARE(write->midPos(), (QPointF(150, 125) + memoryCentre) / 2);
    QCOMPARE(write->pos(), boxTopLeft(write->midPos(), 100, 21));
    QCOMPARE(write->startLine()->lineType(), 11);
    QVERIFY(!write->startLine()->hasArrowHead());
    QCOMPARE(write->endLine()->lineType(), 22);
    QVERIFY(write->endLine()->hasArrowHead());
    QCOMPARE(write->endLine()->memory(), m);
    // The arrow tip sits on the memory item's left edge.
    const QPointF toMemory = write->endLine()->arrowHead().at(0);
    QCOMPARE(toMemory.x(), 1000.0);
    QVERIFY(toMemory.y() > 93 && toMemory.y() < 157);

    // Memory -> process: the process reads it.
    DataflowItem *read = d.dataflow(m, p);
    QCOMPARE(read->lineType(), 2);
    QCOMPARE(read->startGraphic(), static_cast<QGraphicsItem *>(m));
    QCOMPARE(read->startLine()->lineType(), 12);
    QVERIFY(!read->startLine()->hasArrowHead());
    QCOMPARE(read->endLine()->lineType(), 21);
    QVERIFY(read->endLine()->hasArrowHead());
    QCOMPARE(read->endLine()->process(), p);
    // The arrow tip sits on the process item's right edge.
    const QPointF toProcess = read->endLine()->arrowHead().at(0);
    QCOMPARE(toProcess.x(), 300.0);
    QVERIFY(toProcess.y() > 0 && toProcess.y() < 250);

    QCOMPARE(p->dataflows(), (QList<DataflowItem *>{write, read}));
    QCOMPARE(m->dataflows(), (QList<DataflowItem *>{write, read}));
    QVERIFY(paintsSomething(read->endLine()));
}

void TestLinkDataflow::dataflowBetweenWrongItemsIsInert()
{
    Diagram d;
    ProcessItem *p = d.process(0, 0);
    ProcessItem *q = d.process(1000, 0);
    DataflowItem *wrong = d.dataflow(p, q);
    QCOMPARE(wrong->lineType(), 0);
    QVERIFY(!wrong->process());
    QVERIFY(!wrong->memory());
    QVERIFY(!wrong->startGraphic());
    // Lines refuse ends that are not the box's own.
    QCOMPARE(wrong->startLine()->lineType(), 0);
    QVERIFY(!wrong->startLine()->process());
    LinkItem otherLink(nullptr, q, q);
    QCOMPARE(LinkLine(p, &otherLink).lineType(), 0);
    QVERIFY(!paintsSomething(wrong));
    QVERIFY(!paintsSomething(wrong->startLine()));
    QVERIFY(p->dataflows().isEmpty());
    d.render();

    DataflowRecord record = wrong->toRecord();
    QVERIFY(record.startItem.isEmpty());
    QVERIFY(record.endItem.isEmpty());
}

void TestLinkDataflow::emptyLabelDataflowIsDefaultSize()
{
    Diagram d;
    DataflowItem *flow = d.dataflow(d.process(0, 0), d.memory(1000, 93));
    QVERIFY(flow->label().isEmpty());
    QCOMPARE(flow->boundingRect(), QRectF(0, 0, 100, 21));
    QCOMPARE(flow->polygon(),
             QPolygonF(QVector<QPointF>{{0, 0}, {100, 0}, {100, 21}, {0, 21}, {0, 0}}));
    QVERIFY(paintsSomething(flow));
}

void TestLinkDataflow::renamingMemoryRenamesItsDataflows()
{
    Diagram d;
    MemoryItem *m = d.memory(600, 600, "speed", "uint16_t");
    DataflowItem *write = d.dataflow(d.process(0, 0), m);
    DataflowItem *read = d.dataflow(m, d.process(1000, 0));

    answerNextDialog([](QDialog *dialog) { typeInto(dialog, "lineEdit", "ignored"); }, false);
    QVERIFY(!m_dialogs.editMemory(m));
    QCOMPARE(write->label(), QString("speed"));

    answerNextDialog([](QDialog *dialog) {
        typeInto(dialog, "lineEdit", "rpm");
        typeInto(dialog, "lineEdit_2", "uint32_t");
    }, true);
    QVERIFY(m_dialogs.editMemory(m));
    QCOMPARE(m->label(), QString("rpm"));
    for (DataflowItem *flow : {write, read}) {
        QCOMPARE(flow->label(), QString("rpm"));
        QCOMPARE(flow->datatype(), QString("uint32_t"));
        QCOMPARE(flow->width(), appLabelSize("rpm").width());
    }
    QCOMPARE(m->width(), memoryItemWidth("rpm", "uint32_t",
                                         labelMetrics(DiagramFont::font()).averageCharWidth));
}

void TestLinkDataflow::renamingDataflowLeavesMemory()
{
    Diagram d;
    MemoryItem *m = d.memory(600, 600, "speed", "uint16_t");
    DataflowItem *write = d.dataflow(d.process(0, 0), m);
    DataflowItem *read = d.dataflow(m, d.process(1000, 0));

    answerNextDialog([](QDialog *dialog) {
        typeInto(dialog, "lineEdit", "local_speed");
        typeInto(dialog, "lineEdit_2", "int");
    }, true);
    QVERIFY(m_dialogs.editDataflow(write));
    QCOMPARE(write->label(), QString("local_speed"));
    QCOMPARE(write->datatype(), QString("int"));
    QCOMPARE(m->label(), QString("speed"));
    QCOMPARE(m->datatype(), QString("uint16_t"));
    QCOMPARE(read->label(), QString("speed"));
}

void TestLinkDataflow::destroyedMemoryLeavesNoDanglingPointers()
{
    Diagram d;
    ProcessItem *p = d.process(0, 0, "Control");
    MemoryItem *m = d.memory(1000, 93, "speed");
    DataflowItem *write = d.dataflow(p, m);
    DataflowLine *toMemory = write->endLine();

    delete m;
    QVERIFY(!write->memory());
    QVERIFY(!toMemory->memory());
    QVERIFY(!toMemory->endGraphic());
    QCOMPARE(write->process(), p);
    QCOMPARE(write->toRecord().startItem, QString("Control"));
    QVERIFY(write->toRecord().endItem.isEmpty());
    d.render();

    delete write;
    QVERIFY(p->dataflows().isEmpty());
    QVERIFY(!toMemory->dataflow());
    d.render();
}

void TestLinkDataflow::dataflowRecordRoundTrip()
{
    Diagram d;
    ProcessItem *p = d.process(0, 0, "Control");
    MemoryItem *m = d.memory(1000, 93, "speed", "uint16_t");

    DataflowRecord record;
    record.level = 3;
    record.parentId = 1;
    record.grandParentId = 1;
    record.lineType = 1;
    record.xCoord = 512;
    record.yCoord = 64.5;
    record.label = "speed";
    record.description = "written every cycle";
    record.datatype = "uint16_t";
    record.backgroundColour = "#123456";

    DataflowItem *write = d.dataflow(p, m);
    write->applyRecord(record);
    DataflowRecord out = write->toRecord();
    QCOMPARE(out.level, 3);
    QCOMPARE(out.parentId, 1);
    QCOMPARE(out.grandParentId, 1);
    QCOMPARE(out.lineType, 1);
    QCOMPARE(out.xCoord, 512.0);
    QCOMPARE(out.yCoord, 64.5);
    QCOMPARE(out.label, QString("speed"));
    QCOMPARE(out.description, record.description);
    QCOMPARE(out.datatype, QString("uint16_t"));
    QCOMPARE(out.startItem, QString("Control"));
    QCOMPARE(out.endItem, QString("speed"));
    QCOMPARE(out.backgroundColour, QString("#123456"));
    QCOMPARE(out.polygon.size(), 5);
    QCOMPARE(out.polygon.at(2), QPointF(write->width(), write->height()));

    // The direction comes from the ends: a stored value that contradicts
    // them does not swap the labels on the next save.
    DataflowItem *read = d.dataflow(m, p);
    read->applyRecord(record);   // says lineType 1
    out = read->toRecord();
    QCOMPARE(out.lineType, 2);
    QCOMPARE(out.startItem, QString("speed"));
    QCOMPARE(out.endItem, QString("Control"));
}

QTEST_MAIN(TestLinkDataflow)
#include "tst_linkdataflow.moc"
