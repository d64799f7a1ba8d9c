#pragma once

// What every canvas of an open project is created with: the item context
// menus, the QObject that owns the canvases, the scene size and whoever
// must hear of each new canvas. The project builder and the process-item
// operations create canvases the same way.

#include <QSize>
#include <QString>

#include <functional>

class Canvas;
class QMenu;
class QObject;

struct CanvasSetup
{
    // One menu per kind in the order of the kinds' menu indexes (copied by
    // each canvas); null gives items without menus.
    QMenu *const *menus = nullptr;
    // Parent (owner) of the new canvases; may be null.
    QObject *parent = nullptr;
    // Scene rectangle (0, 0, width, height).
    QSize size = QSize(2000, 1050);
    // Called with every canvas made (the project listens to its canvases).
    std::function<void(Canvas *)> created;
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
