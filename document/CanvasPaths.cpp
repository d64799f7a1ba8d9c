#include "CanvasPaths.h"

#include "Canvas.h"
#include "ProcessItem.h"

#include <QVariant>

namespace {

const char PathProperty[] = "kestroNodePath";

// Identity of a node: level, id, parentId, grandParentId.
struct Identity
{
    int level;
    int id;
    int parentId;
    int grandParentId;
    bool operator==(const Identity &o) const
    {
        return level == o.level && id == o.id && parentId == o.parentId
            && grandParentId == o.grandParentId;
    }
};

uint qHash(const Identity &key, uint seed = 0)
{
    return ::qHash(QVector<int>{key.level, key.id, key.parentId, key.grandParentId}, seed);
}

// Canvases without a path, by identity, each list in canvas-list order.
class Unclaimed
{
public:
    void add(Canvas *canvas)
    {
        m_byIdentity[Identity{canvas->level(), canvas->id(), canvas->parentId(),
                              canvas->grandParentId()}]
            .append(canvas);
    }

    Canvas *claim(const ProcessItem *item)
    {
        auto it = m_byIdentity.find(
            Identity{item->level(), item->id(), item->parentId(), item->grandParentId()});
        if (it == m_byIdentity.end() || it->isEmpty())
            return nullptr;
        return it->takeFirst();
    }

    bool isEmpty() const
    {
        for (const QList<Canvas *> &list : m_byIdentity) {
            if (!list.isEmpty())
                return false;
        }
        return true;
    }

private:
    QHash<Identity, QList<Canvas *>> m_byIdentity;
};

void claimBelow(Canvas *canvas, QHash<NodePath, Canvas *> *byPath, Unclaimed *unclaimed)
{
    const NodePath base = CanvasPaths::canvasPath(canvas);
    // Level-5 canvases open nothing; the bound also keeps a malformed
    // project from recursing without end.
    if (base.size() >= 4)
        return;
    for (ProcessItem *item : canvas->processItems()) {
        const NodePath path = base + NodePath{item->id()};
        Canvas *child = byPath->value(path);
        if (!child) {
            child = unclaimed->claim(item);
            if (!child)
                continue;
            CanvasPaths::setCanvasPath(child, path);
            byPath->insert(path, child);
        }
        claimBelow(child, byPath, unclaimed);
    }
}

} // namespace

namespace CanvasPaths {

NodePath canvasPath(const Canvas *canvas, bool *known)
{
    const QVariant value = canvas ? canvas->property(PathProperty) : QVariant();
    if (known)
        *known = value.isValid();
    return value.value<NodePath>();
}

void setCanvasPath(Canvas *canvas, const NodePath &path)
{
    canvas->setProperty(PathProperty, QVariant::fromValue(path));
}

void clearCanvasPath(Canvas *canvas)
{
    canvas->setProperty(PathProperty, QVariant());
}

NodePath childPath(const Canvas *canvas, int itemId)
{
    return canvasPath(canvas) + NodePath{itemId};
}

QHash<NodePath, Canvas *> index(const QList<Canvas *> &canvases)
{
    QHash<NodePath, Canvas *> byPath;
    byPath.reserve(canvases.size());
    for (Canvas *canvas : canvases) {
        bool known = false;
        const NodePath path = canvasPath(canvas, &known);
        if (known && !byPath.contains(path))
            byPath.insert(path, canvas);
    }
    return byPath;
}

void assignMissingPaths(const QList<Canvas *> &canvases)
{
    QHash<NodePath, Canvas *> byPath = index(canvases);
    Unclaimed unclaimed;
    for (Canvas *canvas : canvases) {
        bool known = false;
        canvasPath(canvas, &known);
        if (known)
            continue;
        if (canvas->level() == 1 && !byPath.contains(NodePath())) {
            setCanvasPath(canvas, NodePath());
            byPath.insert(NodePath(), canvas);
        } else {
            unclaimed.add(canvas);
        }
    }
    if (unclaimed.isEmpty())
        return;
    if (Canvas *top = byPath.value(NodePath()))
        claimBelow(top, &byPath, &unclaimed);
}

} // namespace CanvasPaths
