// Item geometry that must not hide or lose content: a size the user did not
// touch survives OK however large an automatic size made it, typed sizes
// keep items big enough to be seen and clicked, and connector lines end on
// the outline the user sees — after a label box grows, on the stored
// outlines of the shipped example, and on the Microcontroller item of a
// new project.

#include "ItemKind.h"
#include "ItemKinds.h"
#include "AutoSize.h"
#include "Canvas.h"
#include "DataflowItem.h"
#include "DataflowLine.h"
#include "DefaultProject.h"
#include "LinkItem.h"
#include "LinkLine.h"
#include "MemoryItem.h"
#include "OpenProject.h"
#include "ProcessItem.h"
#include "ProcessProperties.h"
#include "PropertyDialogs.h"
#include "SceneMouse.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "StateProperties.h"
#include "TextItem.h"
#include "TextProperties.h"
#include "TransitionItem.h"
#include "TransitionProperties.h"
#include "ViewDriver.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QGraphicsScene>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

namespace {

// Whether point lies on the border of item's box (its bounding rectangle
// in scene coordinates).
bool onOutline(const QPointF &point, const QGraphicsItem *item)
{
    const QRectF box = item->mapRectToScene(item->boundingRect());
    const qreal e = 0.01;
    const bool withinX = point.x() > box.left() - e && point.x() < box.right() + e;
    const bool withinY = point.y() > box.top() - e && point.y() < box.bottom() + e;
    const bool onVertical = qAbs(point.x() - box.left()) < e || qAbs(point.x() - box.right()) < e;
    const bool onHorizontal = qAbs(point.y() - box.top()) < e || qAbs(point.y() - box.bottom()) < e;
    return (onVertical && withinY) || (onHorizontal && withinX);
}

// "" when the line is drawn and ends on the outline of the item it points
// into, else what is wrong.
template <class Line> QString lineProblem(const Line *line)
{
    if (!line)
        return QStringLiteral("no line");
    if (!line->hasGeometry())
        return QStringLiteral("line not drawn");
    if (!onOutline(line->line().p1(), line->endGraphic()))
        return QStringLiteral("line ends at (%1, %2), off its item's outline")
            .arg(line->line().p1().x())
            .arg(line->line().p1().y());
    return QString();
}

void openDialog(StateItem *item) { PropertyDialogs().editState(item, false); }
void openDialog(TextItem *item) { PropertyDialogs().editText(item); }

// Opens a state or text dialog on the item, presses OK and returns the
// item's size afterwards.
template <class Item> QSize sizeAfterOk(Item *item, const std::function<void(QWidget *)> &edit = {})
{
    ViewDriver::whileModal([item] { openDialog(item); },
                           [&edit](QWidget *dialog) {
                               if (edit)
                                   edit(dialog);
                               ViewDriver::ok(dialog);
                           });
    return QSize(item->width(), item->height());
}

QSpinBox *spin(QWidget *dialog, const char *name)
{
    return dialog->findChild<QSpinBox *>(QLatin1String(name));
}

} // namespace

class TestItemGeometry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void untouchedSizesSurviveOk()
    {
        QGraphicsScene scene;
        const QString longLine(200, QLatin1Char('W'));
        QStringList lines;
        for (int i = 0; i < 60; ++i)
            lines << QStringLiteral("step(%1);").arg(i);

        auto *state = new StateItem(nullptr, 0, 0);
        scene.addItem(state);
        state->setLabel(longLine);
        state->setAction(lines.join(QLatin1Char('\n')));
        state->fitToText();
        const QSize stateSize(state->width(), state->height());
        QVERIFY(stateSize.width() > 850 && stateSize.height() > 500);
        QCOMPARE(sizeAfterOk(state), stateSize);

        auto *text = new TextItem(nullptr, 0, 0);
        scene.addItem(text);
        text->placeAt();
        text->setAction(longLine + QLatin1Char('\n') + lines.join(QLatin1Char('\n')));
        text->fitToText();
        const QSize textSize(text->width(), text->height());
        QVERIFY(textSize.width() > 850 && textSize.height() > 500);
        QCOMPARE(sizeAfterOk(text), textSize);

        // A typed size is taken per box (within the caps of the boxes): the
        // height left alone stays.
        int cap = 0;
        QCOMPARE(sizeAfterOk(state, [&cap](QWidget *d) {
                     cap = spin(d, "spinBox")->maximum();
                     spin(d, "spinBox")->setValue(700);
                 }),
                 QSize(700, stateSize.height()));
        QCOMPARE(cap, 850);
        // "Auto" and OK give the automatic size (in the dialog's font),
        // beyond the caps of the boxes.
        const QSize automatic = sizeAfterOk(state, [](QWidget *d) {
            d->findChild<QPushButton *>(QStringLiteral("pushButton_3"))->click();
        });
        QVERIFY(automatic.width() > 850 && automatic.height() > 500);
    }

    void typedSizesKeepItemsClickable()
    {
        StateProperties state;
        TransitionProperties transition;
        TextProperties text;
        ProcessProperties process;
        for (QDialog *dialog : {static_cast<QDialog *>(&state), static_cast<QDialog *>(&transition),
                                static_cast<QDialog *>(&text), static_cast<QDialog *>(&process)}) {
            for (const char *name : {"spinBox", "spinBox_2"}) {
                QSpinBox *box = spin(dialog, name);
                box->setValue(0);
                QVERIFY2(box->value() >= 20, qPrintable(dialog->windowTitle()));
            }
        }

        // A state made as small as the dialog allows is still found by a click.
        QGraphicsScene scene;
        auto *item = new StateItem(nullptr, 100, 100);
        scene.addItem(item);
        const QSize size = sizeAfterOk(item, [](QWidget *d) {
            spin(d, "spinBox")->setValue(0);
            spin(d, "spinBox_2")->setValue(0);
        });
        QCOMPARE(size, QSize(60, 40));
        QCOMPARE(scene.itemAt(QPointF(130, 120), QTransform()), item);
    }

    void labelBoxLinesMeetTheGrownBox()
    {
        QGraphicsScene scene;
        auto *a = new ProcessItem(nullptr, 150, 125, 1);
        auto *b = new ProcessItem(nullptr, 1150, 125, 1);
        auto *memory = new MemoryItem(nullptr, 650, 700);
        for (QGraphicsItem *item : {static_cast<QGraphicsItem *>(a), static_cast<QGraphicsItem *>(b),
                                    static_cast<QGraphicsItem *>(memory)})
            scene.addItem(item);
        a->placeAt();
        b->placeAt();
        memory->placeAt();
        auto *link = new LinkItem(nullptr, a, b);
        scene.addItem(link);
        link->setStartLine(new LinkLine(a, link));
        link->setEndLine(new LinkLine(link, b));
        scene.addItem(link->startLine());
        scene.addItem(link->endLine());
        auto *flow = new DataflowItem(nullptr, a, memory);
        scene.addItem(flow);
        flow->setStartLine(new DataflowLine(a, flow));
        flow->setEndLine(new DataflowLine(flow, memory));
        scene.addItem(flow->startLine());
        scene.addItem(flow->endLine());

        link->setLabel(QStringLiteral("motor_speed_request_from_the_controller"));
        flow->setLabel(QStringLiteral("a_much_longer_variable_name_than_before"));
        QVERIFY(link->width() > 100 && flow->width() > 100);
        for (const LinkLine *line : {link->startLine(), link->endLine()})
            QVERIFY2(lineProblem(line).isEmpty(), qPrintable(lineProblem(line)));
        for (const DataflowLine *line : {flow->startLine(), flow->endLine()})
            QVERIFY2(lineProblem(line).isEmpty(), qPrintable(lineProblem(line)));
    }

    void exampleLinesReachTheirItems()
    {
        QFile file(QStringLiteral(KESTRO_SOURCE_DIR "/Examples/Example_1.qsmd"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        OpenProject project;
        QVERIFY2(project.open(file.readAll()), qPrintable(project.error()));
        int checked = 0;
        for (const Canvas *canvas : project.canvases()) {
            for (const LinkItem *link : canvas->links()) {
                for (const LinkLine *line : {link->startLine(), link->endLine()}) {
                    QVERIFY2(lineProblem(line).isEmpty(),
                             qPrintable(link->label() + QStringLiteral(": ") + lineProblem(line)));
                    ++checked;
                }
            }
            for (const DataflowItem *flow : canvas->dataflows()) {
                for (const DataflowLine *line : {flow->startLine(), flow->endLine()}) {
                    QVERIFY2(lineProblem(line).isEmpty(),
                             qPrintable(flow->label() + QStringLiteral(": ") + lineProblem(line)));
                    ++checked;
                }
            }
        }
        QVERIFY(checked > 10);
    }

    void newProjectLinesEndOnTheMicrocontrollerBox()
    {
        OpenProject project;
        QVERIFY(project.open(DefaultProject::document(QStringLiteral("Demo"))));
        Canvas *hardware = project.canvasNamed(QStringLiteral("Hardware Module"));
        ProcessItem *controller = hardware->processItems().value(0);
        QVERIFY(controller);
        QCOMPARE(QSize(controller->width(), controller->height()), QSize(300, 250));
        // Memory items to the right, below and diagonally off the item,
        // each read by the controller.
        const QPointF centre = controller->sceneBoundingRect().center();
        for (const QPointF &at : {QPointF(1000, 425), QPointF(450, 900), QPointF(900, 850)}) {
            hardware->setMode(ItemKinds::of(ItemType::Memory));
            SceneMouse::click(hardware, at);
            hardware->setMode(ItemKinds::of(ItemType::Dataflow));
            SceneMouse::drag(hardware, at, centre);
            const DataflowItem *flow = hardware->dataflows().value(hardware->dataflows().size() - 1);
            QVERIFY(flow && flow->lineType() == 2);
            QVERIFY2(lineProblem(flow->endLine()).isEmpty(), qPrintable(lineProblem(flow->endLine())));
        }
    }
};

QTEST_MAIN(TestItemGeometry)
#include "tst_itemgeometry.moc"
