#pragma once

// What every canvas of an open project is created with: the window's seven
// item context menus, the QObject that owns the canvases, the scene size
// and the four actions the window lends each canvas. The project builder
// and the process-item operations create canvases the same way.

#include <QSize>
#include <QString>

class Canvas;
class QAction;
class QMenu;
class QObject;

struct CanvasSetup
{
    // Seven menus in Canvas::MenuIndex order (copied by each canvas); null
    // gives items without menus.
    QMenu *const *menus = nullptr;
    // Parent (owner) of the new canvases; may be null.
    QObject *parent = nullptr;
    // Scene rectangle (0, 0, width, height).
    QSize size = QSize(2000, 1050);
    QAction *processAddedAction = nullptr;
    QAction *processPropertiesAction = nullptr;
    QAction *modifiedAction = nullptr;
    QAction *selectAction = nullptr;
};

// Identity of the tree node a canvas belongs to.
struct CanvasIdentity
{
    int level = 0;
    int id = 0;
    int nos = 0;
    int parentId = 0;
    int grandParentId = 0;
    QString name;
};

// A new, empty canvas with this identity and name, set up as `setup` says.
Canvas *createCanvas(const CanvasSetup &setup, const CanvasIdentity &identity);
