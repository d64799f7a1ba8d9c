// A state's entry and exit actions on the canvas: drawn in the body as
// "entry / ..." and "exit / ..." lines only when not empty (a state without
// them draws exactly as before), counted by the automatic sizes, and
// carried by the item's record, an undo step and copy and paste.

#include "AddStateCommand.h"
#include "AutoSize.h"
#include "Canvas.h"
#include "CanvasCopy.h"
#include "ClipRecords.h"
#include "DiagramFont.h"
#include "ItemChangeCommand.h"
#include "ItemLayout.h"
#include "PasteItemsCommand.h"
#include "ProjectDocument.h"
#include "RecordFit.h"
#include "StateItem.h"
#include "SubMachineLevels.h"
#include "VisibleText.h"

#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QUndoStack>
#include <QtTest>

namespace {

// A state painted as states were painted before entry and exit actions
// existed: the body is the action alone. The drawing of a state without
// them is compared with this one.
class ActionOnlyState : public StateItem
{
public:
    using StateItem::StateItem;

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        const QFont font = itemPaintFont(diagramFont());
        painter->setFont(font);
        const QFontMetrics metrics(font);
        const StateTextLayout layout =
            stateTextLayout(width(), height(), metrics.averageCharWidth(), metrics.height());
        painter->setPen(isInitialState() ? initialPen() : borderPen());
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setBrush(QBrush(shownColour(), Qt::SolidPattern));
        painter->drawRoundedRect(boundingRect(), xRadius(), yRadius(), Qt::AbsoluteSize);
        painter->drawLine(0, layout.separatorY, width(), layout.separatorY);
        painter->drawText(layout.labelRect, Qt::AlignCenter | Qt::TextSingleLine, label());
        drawVisibleText(painter, QRectF(layout.actionRect), action(), textOption());
    }
};

// The item alone in a scene with the diagrams' font, drawn with its shadow.
QImage drawn(StateItem *state)
{
    QGraphicsScene scene;
    scene.setFont(DiagramFont::font());
    scene.addItem(state);
    const QRectF area(-40, -40, state->width() + 80, state->height() + 80);
    QImage image(area.size().toSize(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    scene.render(&painter, QRectF(QPointF(0, 0), area.size()), area);
    painter.end();
    scene.removeItem(state);
    return image;
}

StateRecord stateRecord(const QString &label, const QString &action)
{
    StateRecord r;
    r.level = 6;
    r.parentId = r.grandParentId = 1;
    r.label = label;
    r.action = action;
    r.width = 280;
    r.height = 150;
    r.backgroundColour = QStringLiteral("#e5e7e9");
    return r;
}

int darkPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qGray(image.pixel(x, y)) < 100;
    return count;
}

Canvas *newMachine()
{
    auto *canvas = new Canvas(nullptr);
    canvas->setLevel(5);
    canvas->setId(1);
    canvas->setParentId(1);
    canvas->setGrandParentId(1);
    canvas->setName(QStringLiteral("machine"));
    return canvas;
}

} // namespace

class TestStateActions : public QObject
{
    Q_OBJECT

private slots:
    void stateWithoutThemDrawsAsBefore();
    void bodyShowsThemAndSizesCountThem();
    void recordUndoAndPasteCarryThem();
    void subMachineMarkerOnlyOnHolders();
};

// Pixel for pixel the drawing of before, for states of every sort: plain,
// initial, multi-line, empty, sized to their text, and an action long
// enough to be drawn line by line. A state whose entry action was set and
// cleared again draws as before too; one that has it does not.
void TestStateActions::stateWithoutThemDrawsAsBefore()
{
    QVector<StateRecord> records{stateRecord(QStringLiteral("Idle"), QStringLiteral("x = 1;")),
                                 stateRecord(QStringLiteral("Empty"), QString()),
                                 stateRecord(QStringLiteral("Running"), QStringLiteral("a++;\n  b--;\n\tc = a + b;")),
                                 stateRecord(QStringLiteral("A rather long label for a state box"), QStringLiteral("go();"))};
    records[2].ifInitialState = true;
    records[1].backgroundColour = QStringLiteral("#88aaff");
    QString lines;
    for (int i = 0; i < 120; ++i)
        lines += QStringLiteral("step_%1();\n").arg(i);
    records << stateRecord(QStringLiteral("Long"), lines);
    records.last().height = 400;

    for (const StateRecord &record : qAsConst(records)) {
        const QByteArray name = record.label.toUtf8();
        for (bool fitted : {false, true}) {
            StateItem state(nullptr, 0, 0);
            ActionOnlyState before(nullptr, 0, 0);
            state.applyRecord(record);
            before.applyRecord(record);
            if (fitted) {
                // The size the texts ask for is the size they asked for before.
                state.fitToText();
                before.setSize(stateAutoSize(record.label, record.action, state.diagramMetrics()).width(),
                               stateAutoSize(record.label, record.action, state.diagramMetrics()).height());
                QCOMPARE(QSize(state.width(), state.height()), QSize(before.width(), before.height()));
            }
            const QImage reference = drawn(&before);
            QVERIFY2(drawn(&state) == reference, name.constData());

            state.setEntryAction(QStringLiteral("enter();"));
            QVERIFY2(drawn(&state) != reference, name.constData());
            state.setEntryAction(QString());
            state.setExitAction(QString());
            QVERIFY2(drawn(&state) == reference, name.constData());
        }
    }
}

// The body is the entry line(s), the action, the exit line(s); empty
// parts leave no blank line. The automatic sizes, of an item and of a
// record not drawn yet, count those lines.
void TestStateActions::bodyShowsThemAndSizesCountThem()
{
    const QString action = QStringLiteral("run();");
    QVERIFY(stateBodyText(QString(), action, QString()).isSharedWith(action));
    QCOMPARE(stateBodyText(QStringLiteral("on();"), action, QString()), QStringLiteral("entry / on();\nrun();"));
    QCOMPARE(stateBodyText(QString(), action, QStringLiteral("off();")), QStringLiteral("run();\nexit / off();"));
    QCOMPARE(stateBodyText(QStringLiteral("a();\nb();"), QString(), QStringLiteral("c();")),
             QStringLiteral("entry / a();\n    b();\nexit / c();"));

    StateItem state(nullptr, 0, 0);
    StateRecord record = stateRecord(QStringLiteral("Busy"), action);
    state.applyRecord(record);
    const QImage plain = drawn(&state);
    state.setEntryAction(QStringLiteral("motor_on();\ntimer = 0;"));
    state.setExitAction(QStringLiteral("motor_off();"));
    QCOMPARE(state.bodyText(), QStringLiteral("entry / motor_on();\n    timer = 0;\nrun();\nexit / motor_off();"));
    // More text in the body: more ink below the title band.
    const QImage both = drawn(&state);
    const QRect body(40, 40 + 40, 280, 110);
    QVERIFY(darkPixels(both.copy(body)) > darkPixels(plain.copy(body)) + 50);

    // Eight body lines need more height than the minimum; a long exit line more width.
    const TextMetrics metrics = state.diagramMetrics();
    state.setExitAction(QStringLiteral("motor_off(); /* and a comment long enough to widen the box further */"
                                       "\nb();\nc();\nd();\ne();"));
    const QSize wanted = stateAutoSize(QStringLiteral("Busy"), state.bodyText(), metrics);
    QCOMPARE(wanted.height(), stateAutoSize(QString(), QStringLiteral("1\n2\n3\n4\n5\n6\n7\n8"), metrics).height());
    QVERIFY(wanted.height() > 150);
    QVERIFY(wanted.width() > stateAutoSize(QStringLiteral("Busy"), action, metrics).width());
    state.fitToText();
    QCOMPARE(QSize(state.width(), state.height()), wanted);

    // A record not drawn yet grows as the item would.
    CanvasBlock block;
    record.entryAction = state.entryAction();
    record.exitAction = state.exitAction();
    block.states << record;
    growBoxesToTexts(block, metrics);
    QCOMPARE(QSize(block.states.first().width, block.states.first().height), wanted);
}

// The item's record holds both fields; a dialog's change of one is one
// undo step named by the state, undone and redone whole; copy and paste
// through the clipboard's XML brings both along, and undo takes the
// pasted state away.
void TestStateActions::recordUndoAndPasteCarryThem()
{
    QScopedPointer<Canvas> canvas(newMachine());
    auto *add = new AddStateCommand(canvas.data(), 100, 100);
    canvas->pushCommand(add);
    StateItem *state = add->state();
    state->setLabel(QStringLiteral("Open"));
    StateRecord record = state->toRecord();
    QVERIFY(record.entryAction.isEmpty() && record.exitAction.isEmpty());

    const ItemRecord before = state->record();
    state->setEntryAction(QStringLiteral("lamp(1);"));
    state->setExitAction(QStringLiteral("lamp(0);"));
    record = state->toRecord();
    QCOMPARE(record.entryAction, QStringLiteral("lamp(1);"));
    QCOMPARE(record.exitAction, QStringLiteral("lamp(0);"));
    auto *change = new ItemChangeCommand(canvas.data(), {ItemChange{state, before, state->record()}});
    QVERIFY(change->changesAnything());
    QCOMPARE(change->text(), QStringLiteral("Change State 'Open'"));
    canvas->pushCommand(change);
    canvas->undoStack()->undo();
    QCOMPARE(state->entryAction(), QString());
    QCOMPARE(state->exitAction(), QString());
    canvas->undoStack()->redo();
    QCOMPARE(state->entryAction(), QStringLiteral("lamp(1);"));
    QCOMPARE(state->exitAction(), QStringLiteral("lamp(0);"));

    // A change of nothing but the entry action is still a change.
    const ItemRecord withBoth = state->record();
    state->setEntryAction(QStringLiteral("lamp(2);"));
    QVERIFY(ItemChangeCommand(canvas.data(), {ItemChange{state, withBoth, state->record()}}).changesAnything());
    state->restoreRecord(withBoth);

    canvas->clearSelection();
    state->setSelected(true);
    const QByteArray xml = ClipRecords::toXml(CanvasCopy::selectedRecords(*canvas));
    QVERIFY(!xml.isEmpty());
    ProjectRecordLists clip;
    QString error;
    QVERIFY2(ClipRecords::fromXml(xml, &clip, &error), qPrintable(error));
    QCOMPARE(clip.states.size(), 1);   // the marker the writer adds is not a state
    auto *paste = new PasteItemsCommand(canvas.data(), clip, QPointF(50, 50));
    canvas->pushCommand(paste);
    QCOMPARE(canvas->states().size(), 2);
    const auto *pasted = qgraphicsitem_cast<StateItem *>(paste->items().first());
    QVERIFY(pasted && pasted != state);
    QCOMPARE(pasted->entryAction(), QStringLiteral("lamp(1);"));
    QCOMPARE(pasted->exitAction(), QStringLiteral("lamp(0);"));
    canvas->undoStack()->undo();
    QCOMPARE(canvas->states().size(), 1);
}

// A state draws the sub-machine marker only while it holds one: a state
// without it (or that lost it) draws pixel for pixel as before; the marker
// is ink in the lower right corner, inside the box, and a resuming
// sub-machine adds its history sign. The record carries the mode; a
// state too small for the marker draws none.
void TestStateActions::subMachineMarkerOnlyOnHolders()
{
    StateRecord record = stateRecord(QStringLiteral("Running"), QStringLiteral("go();"));
    StateItem state(nullptr, 0, 0);
    ActionOnlyState before(nullptr, 0, 0);
    state.applyRecord(record);
    before.applyRecord(record);
    const QImage reference = drawn(&before);
    QVERIFY(drawn(&state) == reference);

    // The corner the marker takes, in the picture (the item stands at 40, 40).
    const SubMachineMarker marker = subMachineMarker(280, 150, false);
    QVERIFY(!marker.isEmpty());
    const QRectF box(0, 0, 280, 150);
    QVERIFY(box.contains(marker.upperBox) && box.contains(marker.lowerBox));
    const QRect corner = marker.upperBox.united(marker.lowerBox).toAlignedRect().adjusted(38, 38, 42, 42);

    state.setSubMachine(QLatin1String(SubMachineStart));
    QCOMPARE(state.toRecord().subMachine, QLatin1String(SubMachineStart));
    const QImage start = drawn(&state);
    QVERIFY(darkPixels(start.copy(corner)) > darkPixels(reference.copy(corner)) + 20);
    // Outside the corner nothing changed.
    QImage masked = start;
    QImage maskedReference = reference;
    QPainter cover(&masked);
    cover.fillRect(corner, Qt::white);
    cover.end();
    QPainter coverReference(&maskedReference);
    coverReference.fillRect(corner, Qt::white);
    coverReference.end();
    QVERIFY(masked == maskedReference);

    state.setSubMachine(QLatin1String(SubMachineResume));
    QVERIFY(!subMachineMarker(280, 150, true).historyCircle.isEmpty());
    QVERIFY(subMachineMarker(280, 150, false).historyCircle.isEmpty());
    QVERIFY(drawn(&state) != start);

    StateItem copy(nullptr, 0, 0);
    copy.applyRecord(state.toRecord());
    QCOMPARE(copy.subMachine(), QLatin1String(SubMachineResume));
    QVERIFY(copy.holdsSubMachine());

    state.setSubMachine(QString());
    QVERIFY(drawn(&state) == reference);
    QVERIFY(subMachineMarker(60, 40, false).isEmpty());
}

QTEST_MAIN(TestStateActions)
#include "tst_stateactions.moc"
