#include "CanvasSetup.h"

#include "Canvas.h"

Canvas *createCanvas(const CanvasSetup &setup, const CanvasIdentity &identity)
{
    auto *canvas = new Canvas(setup.menus, setup.parent);
    canvas->setLevel(identity.level);
    canvas->setId(identity.id);
    canvas->setNos(identity.nos);
    canvas->setParentId(identity.parentId);
    canvas->setGrandParentId(identity.grandParentId);
    canvas->setName(identity.name);
    canvas->setSceneRect(0, 0, setup.size.width(), setup.size.height());
    if (setup.created)
        setup.created(canvas);
    return canvas;
}
