#include "DefaultProject.h"

#include "ProjectFileWriter.h"

namespace DefaultProject {

namespace {

PolygonPoints rectangle(double width, double height)
{
    return {QPointF(0, 0), QPointF(width, 0), QPointF(width, height), QPointF(0, height),
            QPointF(0, 0)};
}

ProcessRecord process(int level, const QString &label, const QString &colour, int outline)
{
    ProcessRecord r;
    r.level = level;
    r.nos = 1;
    r.id = 1;
    r.label = label;
    r.parentId = 1;
    r.grandParentId = 1;
    r.xCoord = 300;
    r.yCoord = 300;
    r.width = 300;
    r.height = 250;
    r.shape = 1;
    r.backgroundColour = colour;
    r.polygon = outline == 500 ? rectangle(500, 500) : rectangle(300, 250);
    return r;
}

StateRecord state(const QString &label, bool initial, double x)
{
    StateRecord r;
    r.level = 6;
    r.parentId = 1;
    r.grandParentId = 1;
    r.label = label;
    r.ifInitialState = initial;
    r.xCoord = x;
    r.yCoord = 400;
    r.width = 280;
    r.height = 150;
    r.backgroundColour = QStringLiteral("#e5e7e9");
    r.polygon = rectangle(280, 150);
    r.numberOfTI = 1;
    r.transitions = QStringList{QStringLiteral("DefaultTransition")};
    return r;
}

TransitionRecord transition()
{
    TransitionRecord r;
    r.level = 6;
    r.parentId = 1;
    r.grandParentId = 1;
    r.label = QStringLiteral("DefaultTransition");
    r.backgroundColour = QStringLiteral("#e5e7e9");
    r.xCoord = 650;
    r.yCoord = 650;
    r.width = 150;
    r.height = 75;
    r.polygon = rectangle(150, 75);
    r.startItem = QStringLiteral("InitialState");
    r.endItem = QStringLiteral("SecondaryState");
    return r;
}

} // namespace

QString treeText(const QString &projectName)
{
    const QString crlf = QStringLiteral("\r\n");
    return crlf + projectName + crlf
        + QStringLiteral("    Hardware Module") + crlf
        + QStringLiteral("        Microcontroller") + crlf
        + QStringLiteral("            Software Module") + crlf
        + QStringLiteral("                StateMachine_1") + crlf;
}

ProjectDocument document(const QString &projectName)
{
    const QString node = QStringLiteral("#FEC309");
    ProjectDocument doc;
    doc.layout = GroupLayout::NewProject;
    doc.treeText = treeText(projectName);
    doc.root = process(1, projectName, node, 300);

    CanvasBlock hardware;
    hardware.process = process(2, QStringLiteral("Hardware Module"), node, 300);
    CanvasBlock controller;
    controller.process = process(3, QStringLiteral("Microcontroller"), node, 500);
    CanvasBlock software;
    software.process = process(4, QStringLiteral("Software Module"), node, 300);
    CanvasBlock machine;
    machine.process = process(5, QStringLiteral("StateMachine_1"), QStringLiteral("#FC0127"), 300);
    machine.states = {state(QStringLiteral("InitialState"), true, 200),
                      state(QStringLiteral("SecondaryState"), false, 1000)};
    machine.transitions = {transition()};
    doc.blocks = {hardware, controller, software, machine};
    return doc;
}

bool write(const QString &path, const QString &projectName, QString *error)
{
    return write(path, document(projectName), error);
}

bool write(const QString &path, const ProjectDocument &document, QString *error)
{
    ProjectFileWriter writer;
    if (writer.write(document, path))
        return true;
    if (error)
        *error = writer.errorString();
    return false;
}

} // namespace DefaultProject
