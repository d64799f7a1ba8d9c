#include "DiagramFont.h"
#include "FloatingLinkItem.h"
#include "FloatingMemoryItem.h"
#include "LinkItem.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "ProcessProperties.h"
#include "PropertyDialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGraphicsScene>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QtTest>

#include <functional>

namespace {

QPolygonF points(std::initializer_list<QPointF> list)
{
    return QPolygonF(QVector<QPointF>(list));
}

// Answers the next modal dialog: lets the test edit it, then presses OK or
// Cancel as a user would.
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

LabelMetrics appMetrics()
{
    return labelMetrics(DiagramFont::font());
}

} // namespace

class TestProcessItems : public QObject
{
    Q_OBJECT

    // The item dialogs, as the window keeps them.
    PropertyDialogs m_dialogs;
private slots:
    void labelBoxSizesFollowTheLabel();
    void floatingLinkPentagons();
    void floatingLinkItemTakesItsLabelSize();
    void memoryWidthRule();
    void memoryTextRectangles();
    void processLabelRectangle();

    void newProcessItemIsCentredOnTheClickPoint();
    void processRecordRoundTrip();
    void processWithoutColourWritesAmber();
    void processDialogIsCreatedOnFirstUseAndCancelKeepsTheItem();
    void processDialogAcceptCopiesBack();
    void markingChangesOnlyThePenStyle();

    void newMemoryItemIsCentredAndSilver();
    void longDatatypeWidensMemoryAndAnnouncesIt();
    void memoryRecordRoundTrip();
    void floatingMemoryFollowsItsTexts();
};

void TestProcessItems::labelBoxSizesFollowTheLabel()
{
    LabelMetrics m;
    m.averageCharWidth = 7;
    m.lineHeight = 16;
    QCOMPARE(labelBoxSize(QString(), m), QSize(100, 21));
    // "abc": 3*7 + 56 = 77 for the text, + 42 margins.
    QCOMPARE(labelBoxSize("abc", m), QSize(119, 23));
    QCOMPARE(labelBoxTextRect("abc", m), QRect(21, 3, 77, 16));

    // Fractional metrics are truncated only at the end.
    m.averageCharWidth = 6.5;
    m.lineHeight = 15.2;
    QCOMPARE(labelBoxSize("link_1", m), QSize(130, 21));
    QCOMPARE(labelBoxTextRect("link_1", m), QRect(19, 3, 91, 15));
}

void TestProcessItems::floatingLinkPentagons()
{
    QCOMPARE(floatingLinkPentagon(FloatingLinkItem::Outgoing, 119, 23),
             points({{0, 11}, {10, 0}, {119, 0}, {119, 23}, {10, 23}}));
    QCOMPARE(floatingLinkPentagon(FloatingLinkItem::Incoming, 119, 23),
             points({{119, 11}, {109, 0}, {0, 0}, {0, 23}, {109, 23}}));
    // The empty-label tag is 100 x 21; its point sits at 21 / 2 = 10.
    QCOMPARE(floatingLinkPentagon(FloatingLinkItem::Outgoing, 100, 21),
             points({{0, 10}, {10, 0}, {100, 0}, {100, 21}, {10, 21}}));
    QVERIFY(floatingLinkPentagon(2, 100, 21).isEmpty());

    QCOMPARE(floatingLinkColour(FloatingLinkItem::Outgoing), QColor(255, 0, 0));
    QCOMPARE(floatingLinkColour(FloatingLinkItem::Incoming), QColor(0, 255, 0));
    QVERIFY(!floatingLinkColour(-1).isValid());
}

void TestProcessItems::floatingLinkItemTakesItsLabelSize()
{
    FloatingLinkItem empty(10, 40, FloatingLinkItem::Incoming, QString());
    QCOMPARE(empty.type(), 40);
    QCOMPARE(empty.pos(), QPointF(10, 40));
    QCOMPARE(empty.boundingRect(), QRectF(0, 0, 100, 21));
    QCOMPARE(empty.colour(), QColor(0, 255, 0));
    QCOMPARE(empty.polygon(), floatingLinkPentagon(FloatingLinkItem::Incoming, 100, 21));

    FloatingLinkItem tag(10, 80, FloatingLinkItem::Outgoing, "speed_request");
    const QSize expected = labelBoxSize("speed_request", appMetrics());
    QCOMPARE(QSize(tag.width(), tag.height()), expected);
    QCOMPARE(tag.boundingRect(), QRectF(QPointF(0, 0), QSizeF(expected)));
    QCOMPARE(tag.polygon(), floatingLinkPentagon(1, expected.width(), expected.height()));
    QCOMPARE(tag.colour(), QColor(255, 0, 0));
    QVERIFY(tag.flags() & QGraphicsItem::ItemIsMovable);
    QVERIFY(tag.flags() & QGraphicsItem::ItemIsSelectable);
}

void TestProcessItems::memoryWidthRule()
{
    QCOMPARE(memoryItemWidth(QString(), QString(), 7), 100);
    // Long datatype: 30*7 + 56 = 266, + 42 margins.
    QCOMPARE(memoryItemWidth("x", QString(30, QLatin1Char('t')), 7), 308);
    // Long label: 10*7 + 56 = 126, + 42.
    QCOMPARE(memoryItemWidth("abcdefghij", "u8", 7), 168);
    // Only a datatype still counts the empty label's margins.
    QCOMPARE(memoryItemWidth(QString(), "u8", 7), 112);
    QCOMPARE(memoryItemWidth("ab", QString(), 6.5), 104);   // trunc(13 + 52 + 39)
}

void TestProcessItems::memoryTextRectangles()
{
    const QRect label = memoryLabelRect("speed", 7);
    QCOMPARE(label, QRect(21, 10, 91, 21));
    QCOMPARE(label.bottom(), 30);
    const QRect type = memoryDatatypeRect("uint16_t", 6.5);
    QCOMPARE(type, QRect(19, 30, 104, 21));
    QCOMPARE(type.bottom(), 50);
}

void TestProcessItems::processLabelRectangle()
{
    QCOMPARE(processLabelRect(300, 250, 7, 16), QRect(21, 125, 258, 16));
    QCOMPARE(processLabelRect(301, 251, 8, 17), QRect(24, 125, 253, 17));
}

void TestProcessItems::newProcessItemIsCentredOnTheClickPoint()
{
    ProcessItem item(nullptr, 500, 400, 1);
    item.placeAt();
    QCOMPARE(item.type(), 37);
    QCOMPARE(item.pos(), QPointF(350, 275));
    QCOMPARE(item.boundingRect(), QRectF(0, 0, 300, 250));
    QCOMPARE(item.polygon(), points({{0, 0}, {300, 0}, {300, 250}, {0, 250}, {0, 0}}));
    QCOMPARE(item.processShape(), 1);
    QCOMPARE(item.creationPoint(), QPointF(500, 400));
    QVERIFY(!item.backgroundColour().isValid());
    QVERIFY(item.flags() & QGraphicsItem::ItemIsMovable);
    QVERIFY(item.flags() & QGraphicsItem::ItemIsSelectable);
    QVERIFY(item.graphicsEffect());
    QCOMPARE(item.pen().width(), 2);
    QCOMPARE(item.pen().capStyle(), Qt::RoundCap);

    // An odd size is centred with integer halves.
    ProcessItem odd(nullptr, 11, 11, 2);
    odd.placeAt();
    QCOMPARE(odd.pos(), QPointF(-139, -114));
}

void TestProcessItems::processRecordRoundTrip()
{
    ProcessRecord record;
    record.level = 3;
    record.nos = 2;
    record.id = 2;
    record.label = "Sensor board";
    record.parentId = 1;
    record.grandParentId = 1;
    record.xCoord = 120.5;
    record.yCoord = 80;
    record.width = 420;
    record.height = 260;
    record.shape = 2;
    record.code = "meta";
    record.description = "reads the sensors";
    record.backgroundColour = "#fc0127";
    record.polygon = points({{0, 0}, {420, 0}, {420, 260}, {0, 260}, {0, 0}});

    ProcessItem item(nullptr, record.xCoord, record.yCoord, record.shape);
    item.applyRecord(record);
    QCOMPARE(item.pos(), QPointF(120.5, 80));
    QCOMPARE(item.boundingRect(), QRectF(0, 0, 420, 260));
    QCOMPARE(item.boundingRect(), QRectF(0, 0, 420, 260));

    const ProcessRecord out = item.toRecord();
    QCOMPARE(out.level, 3);
    QCOMPARE(out.nos, 2);
    QCOMPARE(out.id, 2);
    QCOMPARE(out.label, record.label);
    QCOMPARE(out.parentId, 1);
    QCOMPARE(out.grandParentId, 1);
    QCOMPARE(out.xCoord, 120.5);
    QCOMPARE(out.yCoord, 80.0);
    QCOMPARE(out.width, 420);
    QCOMPARE(out.height, 260);
    QCOMPARE(out.shape, 2);
    QCOMPARE(out.code, record.code);
    QCOMPARE(out.description, record.description);
    QCOMPARE(out.backgroundColour, QString("#fc0127"));
    QCOMPARE(out.polygon, record.polygon);
}

void TestProcessItems::processWithoutColourWritesAmber()
{
    ProcessItem item(nullptr, 0, 0, 1);
    ProcessRecord record;
    record.width = 300;
    record.height = 250;
    item.applyRecord(record);   // empty colour text: none chosen
    QVERIFY(!item.backgroundColour().isValid());
    QCOMPARE(item.toRecord().backgroundColour, QString("#fec309"));

    // Painting fills with the default and changes nothing on the item.
    QImage image(320, 270, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    item.paint(&painter, nullptr, nullptr);
    painter.end();
    QVERIFY(!item.backgroundColour().isValid());
    QCOMPARE(item.shownColour(), QColor(254, 195, 9));
    QCOMPARE(item.toRecord().backgroundColour, QString("#fec309"));
    QCOMPARE(QColor(image.pixel(150, 60)), QColor(254, 195, 9));
}

void TestProcessItems::processDialogIsCreatedOnFirstUseAndCancelKeepsTheItem()
{
    ProcessItem item(nullptr, 500, 400, 1);
    item.placeAt();
    item.setLabel("Motor");
    QVERIFY(!m_dialogs.dialog(ItemType::Process));

    answerNextDialog([](QDialog *dialog) {
        dialog->findChild<QLineEdit *>("lineEdit")->setText("Renamed");
    }, false);
    QVERIFY(!m_dialogs.editProcess(&item));
    QVERIFY(m_dialogs.dialog(ItemType::Process));
    QCOMPARE(item.label(), QString("Motor"));
    QCOMPARE(item.width(), 300);
    QCOMPARE(item.processShape(), 1);
}

void TestProcessItems::processDialogAcceptCopiesBack()
{
    ProcessItem item(nullptr, 500, 400, 1);
    item.placeAt();
    item.setLabel("Motor");
    item.setBackgroundColour(QColor(1, 2, 3));

    // The dialog opens showing the item's values.
    answerNextDialog([](QDialog *dialog) {
        QCOMPARE(dialog->findChild<QLineEdit *>("lineEdit")->text(), QString("Motor"));
        auto *properties = qobject_cast<ProcessProperties *>(dialog);
        QCOMPARE(properties->width(), 300);
        QCOMPARE(properties->shape(), 1);
        properties->setLabel("Drive");
        properties->setCode("m1");
        properties->setWidth(400);
        properties->setHeight(200);
        properties->setShape(2);
        properties->refresh();
    }, true);
    QVERIFY(m_dialogs.editProcess(&item));
    QCOMPARE(item.label(), QString("Drive"));
    QCOMPARE(item.code(), QString("m1"));
    QCOMPARE(item.processShape(), 2);
    QCOMPARE(item.boundingRect(), QRectF(0, 0, 400, 200));
    QCOMPARE(item.polygon(), points({{0, 0}, {400, 0}, {400, 200}, {0, 200}, {0, 0}}));
    QCOMPARE(item.backgroundColour(), QColor(1, 2, 3));
}

void TestProcessItems::markingChangesOnlyThePenStyle()
{
    ProcessItem process(nullptr, 0, 0, 1);
    process.setMarked();
    QCOMPARE(process.pen().style(), Qt::DotLine);
    QCOMPARE(process.pen().width(), 2);
    process.clearMarked();
    QCOMPARE(process.pen().style(), Qt::SolidLine);

    MemoryItem memory(nullptr, 0, 0);
    memory.setMarked();
    QCOMPARE(memory.pen().style(), Qt::DotLine);
    memory.clearMarked();
    QCOMPARE(memory.pen().style(), Qt::SolidLine);
}

void TestProcessItems::newMemoryItemIsCentredAndSilver()
{
    MemoryItem item(nullptr, 500, 400);
    item.placeAt();
    QCOMPARE(item.type(), 38);
    QCOMPARE(item.pos(), QPointF(450, 368));
    QCOMPARE(item.boundingRect(), QRectF(0, 0, 100, 64));
    QCOMPARE(item.polygon(), points({{0, 0}, {100, 0}, {100, 64}, {0, 64}, {0, 0}}));
    QCOMPARE(item.backgroundColour(), QColor(192, 192, 192));
    QCOMPARE(item.toRecord().backgroundColour, QString("#c0c0c0"));
}

void TestProcessItems::longDatatypeWidensMemoryAndAnnouncesIt()
{
    QGraphicsScene scene;
    scene.setFont(DiagramFont::font());   // as a canvas has
    auto *item = new MemoryItem(nullptr, 50, 32);
    scene.addItem(item);
    item->placeAt();
    QCOMPARE(item->pos(), QPointF(0, 0));
    // Let the scene take in the item at its first size.
    QCOMPARE(scene.items(QPointF(50, 32)).size(), 1);
    QCOMPARE(scene.sceneRect(), QRectF(0, 0, 100, 64));

    const QString datatype = "struct motor_configuration_t";
    item->setDatatype(datatype);
    const int expected = memoryItemWidth(QString(), datatype, appMetrics().averageCharWidth);
    QVERIFY(expected > 200);
    QCOMPARE(item->width(), expected);
    QCOMPARE(item->height(), 64);
    QCOMPARE(item->boundingRect(), QRectF(0, 0, expected, 64));
    QCOMPARE(item->polygon().at(2), QPointF(expected, 64));
    // The scene was told before the size changed: its rectangle grows and
    // the widened part is found at once.
    QCOMPARE(scene.sceneRect(), QRectF(0, 0, expected, 64));
    QCOMPARE(scene.items(QPointF(expected - 3, 32)).size(), 1);

    // Shrinking works the same way.
    item->setDatatype("int");
    QVERIFY(item->width() < expected);
    QVERIFY(scene.items(QPointF(expected - 3, 32)).isEmpty());
}

void TestProcessItems::memoryRecordRoundTrip()
{
    MemoryRecord record;
    record.level = 3;
    record.parentId = 1;
    record.grandParentId = 1;
    record.xCoord = 640;
    record.yCoord = 90.25;
    record.label = "speed";
    record.description = "measured speed";
    record.datatype = "uint16_t";
    record.backgroundColour = "#102030";
    record.polygon = points({{0, 0}, {100, 0}, {100, 64}, {0, 64}, {0, 0}});

    MemoryItem item(nullptr, record.xCoord, record.yCoord);
    item.applyRecord(record);
    QCOMPARE(item.pos(), QPointF(640, 90.25));
    const int width = memoryItemWidth("speed", "uint16_t", appMetrics().averageCharWidth);
    QCOMPARE(item.width(), width);

    const MemoryRecord out = item.toRecord();
    QCOMPARE(out.level, 3);
    QCOMPARE(out.parentId, 1);
    QCOMPARE(out.grandParentId, 1);
    QCOMPARE(out.xCoord, 640.0);
    QCOMPARE(out.yCoord, 90.25);
    QCOMPARE(out.label, QString("speed"));
    QCOMPARE(out.description, QString("measured speed"));
    QCOMPARE(out.datatype, QString("uint16_t"));
    QCOMPARE(out.backgroundColour, QString("#102030"));
    // The outline is the band's own size.
    QCOMPARE(out.polygon, points({{0, 0}, {double(width), 0}, {double(width), 64}, {0, 64}, {0, 0}}));

    // A colour that was never chosen is written as the colour it paints.
    record.backgroundColour.clear();
    item.applyRecord(record);
    QCOMPARE(item.toRecord().backgroundColour, QString("#e5e7e9"));
}

void TestProcessItems::floatingMemoryFollowsItsTexts()
{
    FloatingMemoryItem item(160, 30);
    QCOMPARE(item.type(), 41);
    QCOMPARE(item.pos(), QPointF(160, 30));
    QCOMPARE(item.boundingRect(), QRectF(0, 0, 100, 64));
    QCOMPARE(item.backgroundColour(), QColor(192, 192, 192));

    item.setLabel("speed");
    item.setDatatype("unsigned long long");
    const int width = memoryItemWidth("speed", "unsigned long long", appMetrics().averageCharWidth);
    QCOMPARE(item.width(), width);
    QCOMPARE(item.height(), 64);
    QCOMPARE(item.polygon().at(1), QPointF(width, 0));
}

QTEST_MAIN(TestProcessItems)
#include "tst_processitems.moc"
