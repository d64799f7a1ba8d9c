#include "Canvas.h"
#include "DataflowItem.h"
#include "DemoWindow.h"
#include "FloatingLinkItem.h"
#include "FloatingMemoryItem.h"
#include "ItemLayout.h"
#include "LinkItem.h"
#include "MainWindow.h"
#include "OpenProject.h"
#include "ProcessItem.h"
#include "Project.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TransitionItem.h"
#include "TransitionLine.h"
#include "ViewDriver.h"

#include <QAction>
#include <QFile>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QtTest>

// What a new user sees first: every label whole inside its box, floating
// tags side by side, the loop of a self transition, repeated connections
// apart.
namespace {

// "<what>: <text> needs N px, has M" for a text wider than its room.
void checkFits(QStringList *problems, const QString &what, const QString &text, qreal needed, qreal room)
{
    if (needed > room)
        *problems << QStringLiteral("%1: \"%2\" needs %3 px, has %4").arg(what, text).arg(needed).arg(room);
}

void checkLines(QStringList *problems, const QString &what, const QString &text, const QFontMetricsF &fm, qreal room)
{
    for (const QString &line : text.split(QLatin1Char('\n')))
        checkFits(problems, what, line, fm.horizontalAdvance(line), room);
}

// Measures every text of the canvas's boxes and tags in the font it is
// drawn with, against the room its layout gives it.
QStringList clippedTexts(const Canvas *canvas)
{
    QStringList problems;
    for (const StateItem *state : canvas->states()) {
        const QFont font = itemPaintFont(state->diagramFont());
        const QFontMetrics fm(font);
        const StateTextLayout layout = stateTextLayout(state->width(), state->height(), fm.averageCharWidth(), fm.height());
        checkFits(&problems, QStringLiteral("state"), state->label(), fm.horizontalAdvance(state->label()),
                  layout.labelRect.width());
        checkLines(&problems, QStringLiteral("state action"), state->action(), QFontMetricsF(font), layout.actionRect.width());
    }
    for (const TransitionItem *t : canvas->transitions()) {
        const QFont font = itemPaintFont(t->diagramFont());
        const QFontMetrics fm(font);
        const TransitionTextLayout layout = transitionTextLayout(t->width(), t->height(), fm.averageCharWidth(), fm.height());
        checkFits(&problems, QStringLiteral("transition"), t->label(), fm.horizontalAdvance(t->label()),
                  layout.labelRect.width());
        checkLines(&problems, QStringLiteral("condition"), t->condition(), QFontMetricsF(font), layout.conditionRect.width());
        checkLines(&problems, QStringLiteral("transition action"), t->action(), QFontMetricsF(font), layout.actionRect.width());
    }
    for (const TextItem *text : canvas->textItems()) {
        const QFontMetricsF fm(itemPaintFont(text->diagramFont()));
        const TextItemLayout layout = textItemLayout(text->width(), text->height(), fm.averageCharWidth(), fm.height());
        checkLines(&problems, QStringLiteral("text"), textTypeHeader(text->textType()) + QLatin1Char('\n') + text->action(),
                   fm, layout.bodyRect.width());
    }
    for (const FloatingLinkItem *tag : canvas->floatingLinks()) {
        const QFontMetricsF fm(canvas->font());
        checkFits(&problems, QStringLiteral("link tag"), tag->label(), fm.horizontalAdvance(tag->label()),
                  floatingLinkTextRect(tag->width(), labelMetrics(canvas->font())).width());
    }
    for (const FloatingMemoryItem *tag : canvas->floatingMemories()) {
        const QFontMetricsF fm(canvas->font());
        const QRectF rect = tag->boundingRect();
        for (const QString &text : {tag->label(), tag->datatype()})
            checkFits(&problems, QStringLiteral("memory tag"), text, fm.horizontalAdvance(text),
                      rect.width() - 6 * fm.averageCharWidth());
    }
    return problems;
}

// Pairs of floating tags of the canvas that overlap.
QStringList overlappingTags(const Canvas *canvas)
{
    QList<const QGraphicsItem *> tags;
    for (const FloatingLinkItem *tag : canvas->floatingLinks())
        tags << tag;
    for (const FloatingMemoryItem *tag : canvas->floatingMemories())
        tags << tag;
    QStringList problems;
    for (int i = 0; i < tags.size(); ++i) {
        for (int j = i + 1; j < tags.size(); ++j) {
            if (tags.at(i)->sceneBoundingRect().intersects(tags.at(j)->sceneBoundingRect()))
                problems << QStringLiteral("tags %1 and %2 overlap").arg(i).arg(j);
        }
    }
    return problems;
}

// With KESTRO_SHOTS set to a folder, the window as it looks is saved
// there, to be looked at.
void shoot(QWidget *window, const QString &name)
{
    const QString folder = qEnvironmentVariable("KESTRO_SHOTS");
    if (!folder.isEmpty())
        window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// The same for a diagram without a window: the canvas's items drawn whole.
void shoot(Canvas *canvas, const QString &name)
{
    const QString folder = qEnvironmentVariable("KESTRO_SHOTS");
    if (folder.isEmpty())
        return;
    const QRectF area = canvas->itemsBoundingRect().adjusted(-20, -20, 20, 20);
    QImage image(area.size().toSize(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    canvas->render(&painter, QRectF(), area);
    painter.end();
    image.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

qreal distanceOfMidpoints(const QLineF &a, const QLineF &b)
{
    return QLineF(a.center(), b.center()).length();
}

} // namespace

class TestFirstImpression : public QObject
{
    Q_OBJECT

    DemoWindow m_demo;

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { m_demo.close(); }

    void newProjectShowsEveryLabelWhole()
    {
        QVERIFY(m_demo.show(DemoWindow::machinePath()));
        // File > New, as a user makes a project.
        const QString path = m_demo.filePath(QStringLiteral("Fresh.qsmd"));
        m_demo.prompter().saveAnswers << path;
        m_demo.driver()->action("actionNew")->trigger();
        Project *project = m_demo.window()->project();
        QCOMPARE(project->filePath(), path);
        int boxes = 0;
        for (Canvas *canvas : project->canvases()) {
            QStringList problems = clippedTexts(canvas);
            QVERIFY2(problems.isEmpty(), qPrintable(canvas->name() + QStringLiteral(": ") + problems.join("; ")));
            boxes += canvas->states().size() + canvas->transitions().size();
        }
        QCOMPARE(boxes, 3);
        shoot(m_demo.window(), QStringLiteral("new-project"));
    }

    void exampleDiagramsShowEveryLabelWholeAndTagsApart()
    {
        QFile file(QStringLiteral(KESTRO_SOURCE_DIR "/Examples/Example_1.qsmd"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        OpenProject project;
        QVERIFY2(project.open(bytes), qPrintable(project.error()));
        const QByteArray opened = project.save();
        int tags = 0;
        for (Canvas *canvas : project.canvases()) {
            if (canvas->level() > 1)
                QVERIFY(project.structure().rebuildFloatingEnds(canvas));
            tags += canvas->floatingLinks().size() + canvas->floatingMemories().size();
            shoot(canvas, QStringLiteral("example-%1").arg(project.canvases().indexOf(canvas)));
            const QStringList problems = clippedTexts(canvas) + overlappingTags(canvas);
            QVERIFY2(problems.isEmpty(), qPrintable(canvas->name() + QStringLiteral(": ") + problems.join("; ")));
        }
        QVERIFY(tags >= 4);
        // Showing the diagrams changed nothing that is stored.
        QCOMPARE(project.save(), opened);
    }

    void selfTransitionLoopsAndFollowsItsState()
    {
        Canvas *machine = m_demo.show(DemoWindow::machinePath());
        QVERIFY(machine);
        StateItem *state = machine->states().at(1);
        m_demo.driver()->click(ViewDriver::centreOf(state));
        m_demo.driver()->action("actionSelf_transition")->trigger();
        QCOMPARE(state->selfTransitions().size(), 1);
        TransitionItem *loop = state->selfTransitions().first();
        // Placed as before: to the right of the state, level with its middle.
        const QPointF boxFromState = loop->pos() - state->pos();
        QCOMPARE(loop->pos(), QPointF(state->pos().x() + state->width() / 2 + state->width() + 150 - 75,
                                      state->pos().y() + state->height() / 2 - 37));

        // The two lines run apart, on either side of the centre line.
        QLineF out = loop->startLine()->line();
        QLineF back = loop->endLine()->line();
        QVERIFY(out.length() > 0 && back.length() > 0);
        QVERIFY2(distanceOfMidpoints(out, back) >= 15.9, qPrintable(QString::number(distanceOfMidpoints(out, back))));

        // Dragging the state takes the box along; the loop stays open.
        m_demo.driver()->drag(ViewDriver::centreOf(state), ViewDriver::centreOf(state) + QPointF(-120, 90));
        QCOMPARE(loop->pos() - state->pos(), boxFromState);
        QVERIFY(distanceOfMidpoints(loop->startLine()->line(), loop->endLine()->line()) >= 15.9);
        shoot(m_demo.window(), QStringLiteral("self-transition"));

        // State and box selected together move once, by the same drag.
        m_demo.driver()->click(ViewDriver::centreOf(loop), Qt::ControlModifier);
        QVERIFY(state->isSelected() && loop->isSelected());
        m_demo.driver()->drag(ViewDriver::centreOf(state), ViewDriver::centreOf(state) + QPointF(60, 40));
        QCOMPARE(loop->pos() - state->pos(), boxFromState);

        // The box alone can still be moved away from its state.
        m_demo.driver()->click(QPointF(50, 950));
        m_demo.driver()->drag(ViewDriver::centreOf(loop), ViewDriver::centreOf(loop) + QPointF(0, 100));
        QCOMPARE(loop->pos() - state->pos(), boxFromState + QPointF(0, 100));
    }

    void repeatedConnectionsCanBeSeenAndClicked()
    {
        Canvas *controller = m_demo.show(DemoWindow::controllerPath());
        QVERIFY(controller);
        m_demo.driver()->insertAt("actionProcessRect", QPointF(1200, 300));
        m_demo.driver()->insertAt("actionMemory", QPointF(800, 800));
        const QList<ProcessItem *> processes = controller->processItems();
        QCOMPARE(processes.size(), 2);
        const QPointF a = ViewDriver::centreOf(processes.at(0));
        const QPointF b = ViewDriver::centreOf(processes.at(1));
        const QPointF memory = QPointF(800, 800);
        for (int i = 0; i < 3; ++i)
            m_demo.driver()->connect("actionLink", i == 1 ? b : a, i == 1 ? a : b);
        for (int i = 0; i < 2; ++i)
            m_demo.driver()->connect("actionDataflow", a, memory);
        QCOMPARE(controller->links().size(), 3);
        QCOMPARE(controller->dataflows().size(), 2);

        // Every box stands apart from the others, and a click on it picks it.
        QList<QGraphicsItem *> boxes;
        for (LinkItem *link : controller->links())
            boxes << link;
        for (DataflowItem *flow : controller->dataflows())
            boxes << flow;
        for (int i = 0; i < boxes.size(); ++i) {
            for (int j = i + 1; j < boxes.size(); ++j)
                QVERIFY2(!boxes.at(i)->sceneBoundingRect().intersects(boxes.at(j)->sceneBoundingRect()),
                         qPrintable(QStringLiteral("boxes %1 and %2 overlap").arg(i).arg(j)));
        }
        shoot(m_demo.window(), QStringLiteral("repeated-connections"));
        for (QGraphicsItem *box : boxes) {
            m_demo.driver()->click(ViewDriver::centreOf(box));
            QCOMPARE(controller->selectedItems(), QList<QGraphicsItem *>{box});
        }
        // The first connection of each pair keeps the middle.
        const QPointF middle = (a + b) / 2;
        QVERIFY(QLineF(controller->links().first()->pos(), middle - QPointF(50, 10)).length() < 1);
    }
};

QTEST_MAIN(TestFirstImpression)
#include "tst_firstimpression.moc"
