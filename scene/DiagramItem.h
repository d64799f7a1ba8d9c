#pragma once

// The base of every item a canvas keeps and the project file stores: state,
// transition, text, process, link, memory and dataflow items. It holds what
// they all have (where the item sits in the project tree, its context menu,
// whether it is marked) and what the canvas asks of any of them without
// knowing its kind: its type, its marking, its record out and back in, and
// the font its texts are measured and drawn with.
//
// Ownership: the scene owns the item; the item never owns the context menu.

#include "AutoSize.h"
#include "ItemRecord.h"

#include <QFont>
#include <QGraphicsItem>
#include <QObject>

class QMenu;

// The font a diagram's items are measured and drawn with: the scene's font,
// or the application's for an item outside any scene.
QFont diagramItemFont(const QGraphicsItem *item);

class DiagramItem : public QObject, public QGraphicsItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    ~DiagramItem() override;

    // Where the item sits: one level below its canvas, the canvas's id and
    // parentId as parentId and grandParentId.
    int level() const { return m_level; }
    void setLevel(int level) { m_level = level; }
    int parentId() const { return m_parentId; }
    void setParentId(int id) { m_parentId = id; }
    int grandParentId() const { return m_grandParentId; }
    void setGrandParentId(int id) { m_grandParentId = id; }

    // The menu a right click shows (the window's menu of the item's kind).
    QMenu *contextMenu() const { return m_contextMenu; }

    // Dotted outline while marked (the item pressed last in select mode),
    // solid otherwise.
    void setMarked();
    void clearMarked();
    bool isMarked() const { return m_marked; }

    // The label the item is known by (in undo step texts, in label checks),
    // or an empty text for a kind without one.
    virtual QString label() const { return QString(); }

    // What the project file stores for the item.
    virtual ItemRecord record() const = 0;
    // Takes a record of the item's own kind back: texts, colour, size,
    // position and outline. The item's connections stay as they are. A
    // record of another kind changes nothing.
    virtual void restoreRecord(const ItemRecord &record) = 0;

    // The font the item's texts are measured and drawn with: its scene's,
    // or the application's while it is in no scene.
    QFont diagramFont() const;
    TextMetrics diagramMetrics() const;

protected:
    explicit DiagramItem(QMenu *contextMenu, QGraphicsItem *parent = nullptr);

    // Draws the outline in this style from now on.
    virtual void setOutlineStyle(Qt::PenStyle style) = 0;
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;

private:
    QMenu *m_contextMenu = nullptr;
    int m_level = 0;
    int m_parentId = 0;
    int m_grandParentId = 0;
    bool m_marked = false;
};
