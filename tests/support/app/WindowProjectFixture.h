#pragma once

// Helpers for tests that drive project commands through the main window:
// a small nested sample project written with the project file writer, and
// lookups of actions, tree indexes and canvases by name.

#include "ProjectDocument.h"

#include <QByteArray>
#include <QModelIndex>
#include <QSettings>
#include <QString>
#include <QStringList>

class Canvas;
class MainWindow;
class QAction;

namespace WindowProjectFixture {

// "Proj" / "HW" / two controllers (level 3, ids 1 and 2), each with a
// software module "SW" and a state machine "SM" holding one initial state
// named "<controller>_Idle" (blanks replaced by "_"). With different
// controller names the hardware diagram joins them with the link "bus" and
// has the memory item "shared" with a dataflow "flow" from the first
// controller into it.
ProjectDocument nestedDocument(const QString &first = QStringLiteral("CPU A"),
                               const QString &second = QStringLiteral("CPU B"));
// The nested document whose second machine ("CPU B" / "SW" / "SM") also
// holds the transition "Close" (condition "(door == OPEN)", action
// "motor_stop();" and "lamp_on();" on two lines) from and to its state, an
// initial condition "(power_ok)" and a text item "#define LAMP 3" at
// (1000, 500).
ProjectDocument documentWithCode();
bool writeDocument(const ProjectDocument &document, const QString &path);
// Writes the document to path and opens it in the window as Open does
// (no question asked); true when it is the open project then.
bool openDocument(MainWindow &window, const ProjectDocument &document, const QString &path);
// Shows the window at 1500 x 1000, opens the default project "Demo" from
// path and double-clicks the node reached through names; returns the
// canvas shown then, or null.
Canvas *showDefaultProject(MainWindow &window, const QString &path, const QStringList &names);

QByteArray fileBytes(const QString &path);

QAction *action(MainWindow &window, const char *name);
// Triggers the window's action `name`, failing the test when it is
// missing or disabled.
void trigger(MainWindow &window, const char *name);

// The program's settings, which the suites clear before each test.
QSettings store();

// The index of the node reached from the level-1 node through `names`
// (each the name of a child), or invalid.
QModelIndex nodeIndex(MainWindow &window, const QStringList &names);

// The first canvas of the window's list named `name` at `level`, or null.
Canvas *canvasNamed(MainWindow &window, const QString &name, int level);

// Double-clicks the node in the project browser with real mouse events.
void doubleClickNode(MainWindow &window, const QModelIndex &index);

} // namespace WindowProjectFixture
