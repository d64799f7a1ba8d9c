#include "WindowProjectFixture.h"

#include "Canvas.h"
#include "DefaultProject.h"
#include "MainWindow.h"
#include "Project.h"
#include "ProjectActions.h"
#include "ProjectFileWriter.h"
#include "TreeModel.h"

#include <QAction>
#include <QFile>
#include <QTest>
#include <QTreeView>

namespace {

PolygonPoints rectangle(int w, int h)
{
    return {QPointF(0, 0), QPointF(w, 0), QPointF(w, h), QPointF(0, h), QPointF(0, 0)};
}

ProcessRecord process(int level, int id, int nos, int parentId, int grandParentId,
                      const QString &label, double x)
{
    ProcessRecord r;
    r.level = level;
    r.id = id;
    r.nos = nos;
    r.parentId = parentId;
    r.grandParentId = grandParentId;
    r.label = label;
    r.xCoord = x;
    r.yCoord = 300;
    r.width = 300;
    r.height = 250;
    r.shape = 1;
    r.backgroundColour = QStringLiteral("#fec309");
    r.polygon = rectangle(300, 250);
    return r;
}

StateRecord initialState(const QString &label)
{
    StateRecord r;
    r.level = 6;
    r.parentId = 1;
    r.grandParentId = 1;
    r.label = label;
    r.ifInitialState = true;
    r.xCoord = 200;
    r.yCoord = 400;
    r.width = 280;
    r.height = 150;
    r.backgroundColour = QStringLiteral("#e5e7e9");
    r.polygon = rectangle(280, 150);
    return r;
}

// A controller block with its software module and state machine.
QVector<CanvasBlock> controller(int id, const QString &name)
{
    CanvasBlock cpu;
    cpu.process = process(3, id, 2, 1, 1, name, 300 + 600 * (id - 1));
    CanvasBlock software;
    software.process = process(4, 1, 1, id, 1, QStringLiteral("SW"), 300);
    CanvasBlock machine;
    machine.process = process(5, 1, 1, 1, id, QStringLiteral("SM"), 300);
    QString stateName = name;
    machine.states = {initialState(stateName.replace(QLatin1Char(' '), QLatin1Char('_'))
                                   + QStringLiteral("_Idle"))};
    return {cpu, software, machine};
}

} // namespace

ProjectDocument WindowProjectFixture::nestedDocument(const QString &first, const QString &second)
{
    ProjectDocument doc;
    doc.layout = GroupLayout::Saved;
    doc.root = savedRootProcess(QStringLiteral("Proj"));
    CanvasBlock hardware;
    hardware.process = process(2, 1, 1, 1, 1, QStringLiteral("HW"), 300);
    if (first != second) {
        LinkRecord link;
        link.level = 3;
        link.parentId = 1;
        link.grandParentId = 1;
        link.xCoord = 700;
        link.yCoord = 200;
        link.label = QStringLiteral("bus");
        link.datatype = QStringLiteral("uint8_t");
        link.startItem = first;
        link.endItem = second;
        link.backgroundColour = QStringLiteral("#aabbcc");
        link.polygon = rectangle(100, 50);
        hardware.links = {link};

        MemoryRecord memory;
        memory.level = 3;
        memory.parentId = 1;
        memory.grandParentId = 1;
        memory.xCoord = 700;
        memory.yCoord = 700;
        memory.label = QStringLiteral("shared");
        memory.datatype = QStringLiteral("int");
        memory.backgroundColour = QStringLiteral("#336699");
        memory.polygon = rectangle(100, 50);
        hardware.memories = {memory};

        DataflowRecord flow;
        flow.level = 3;
        flow.parentId = 1;
        flow.grandParentId = 1;
        flow.lineType = 1;
        flow.xCoord = 500;
        flow.yCoord = 650;
        flow.label = QStringLiteral("flow");
        flow.datatype = QStringLiteral("int");
        flow.startItem = first;
        flow.endItem = QStringLiteral("shared");
        flow.backgroundColour = QStringLiteral("#112233");
        flow.polygon = rectangle(100, 50);
        hardware.dataflows = {flow};
    }
    doc.blocks << hardware << controller(1, first) << controller(2, second);
    doc.treeText = treeTextFromBlocks(doc);
    return doc;
}

ProjectDocument WindowProjectFixture::documentWithCode()
{
    ProjectDocument doc = nestedDocument();
    CanvasBlock &machine = doc.blocks[6];
    StateRecord &state = machine.states[0];
    state.initialCondition = QStringLiteral("(power_ok)");
    TransitionRecord close;
    close.level = 6;
    close.parentId = 1;
    close.grandParentId = 1;
    close.label = QStringLiteral("Close");
    close.condition = QStringLiteral("(door == OPEN)");
    close.action = QStringLiteral("motor_stop();\nlamp_on();");
    close.startItem = state.label;
    close.endItem = state.label;
    close.xCoord = 600;
    close.yCoord = 450;
    close.width = 150;
    close.height = 75;
    close.polygon = rectangle(150, 75);
    machine.transitions = {close};
    TextRecord text;
    text.level = 6;
    text.parentId = 1;
    text.grandParentId = 1;
    text.xCoord = 1000;
    text.yCoord = 500;
    text.width = 150;
    text.height = 75;
    text.polygon = rectangle(150, 75);
    text.action = QStringLiteral("#include <stdint.h>\n#define LAMP 3");
    machine.texts = {text};
    return doc;
}

bool WindowProjectFixture::writeDocument(const ProjectDocument &document, const QString &path)
{
    ProjectFileWriter writer;
    return writer.write(document, path);
}

bool WindowProjectFixture::openDocument(MainWindow &window, const ProjectDocument &document,
                                        const QString &path)
{
    if (!writeDocument(document, path))
        return false;
    window.project()->markSaved();
    return window.projectActions()->openFile(path);
}

Canvas *WindowProjectFixture::showDefaultProject(MainWindow &window, const QString &path,
                                                 const QStringList &names)
{
    window.resize(1500, 1000);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)
        || !openDocument(window, DefaultProject::document(QStringLiteral("Demo")), path))
        return nullptr;
    doubleClickNode(window, nodeIndex(window, names));
    return window.project()->shownCanvas();
}

QByteArray WindowProjectFixture::fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QAction *WindowProjectFixture::action(MainWindow &window, const char *name)
{
    return window.findChild<QAction *>(QLatin1String(name));
}

QModelIndex WindowProjectFixture::nodeIndex(MainWindow &window, const QStringList &names)
{
    TreeModel *model = window.project()->treeModel();
    QModelIndex index = model->index(0, 0);
    for (const QString &name : names) {
        QModelIndex found;
        for (int row = 0; row < model->rowCount(index) && !found.isValid(); ++row) {
            const QModelIndex child = model->index(row, 0, index);
            if (child.data().toString() == name)
                found = child;
        }
        index = found;
        if (!index.isValid())
            break;
    }
    return index;
}

Canvas *WindowProjectFixture::canvasNamed(MainWindow &window, const QString &name, int level)
{
    for (Canvas *canvas : window.project()->canvases()) {
        if (canvas->name() == name && canvas->level() == level)
            return canvas;
    }
    return nullptr;
}

void WindowProjectFixture::doubleClickNode(MainWindow &window, const QModelIndex &index)
{
    auto *tree = window.findChild<QTreeView *>(QStringLiteral("treeView"));
    tree->scrollTo(index);
    const QPoint point = tree->visualRect(index).center();
    QWidget *viewport = tree->viewport();
    // An item view accepts a double-click only on the index pressed before.
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, point);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, point);
    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, point);
}

void WindowProjectFixture::trigger(MainWindow &window, const char *name)
{
    QAction *a = action(window, name);
    QVERIFY2(a && a->isEnabled(), name);
    a->trigger();
}

QSettings WindowProjectFixture::store()
{
    return QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro"));
}
