#pragma once

// The label box of a link between two process items. A link is three
// items: this box and two LinkLine connectors (start process -> box and
// box -> end process, the second with the arrow head).
//
// Ownership: the scene owns the box and its lines; the box owns its
// property dialog once opened. The box points at its two process items and
// its two lines without owning them. removeLines() destroys the lines.
// Every pointer is cleared on the other end when an item is destroyed: a
// dying process item clears itself from its links (and their lines), a
// dying line clears itself from its box, and a dying box removes itself
// from its process items' lists and from its lines.

#include "ItemTypes.h"
#include "ProjectRecords.h"

#include <QColor>
#include <QFont>
#include <QGraphicsItem>
#include <QObject>
#include <QPen>
#include <QPolygonF>
#include <QRect>
#include <QSize>
#include <QString>

#include <memory>

class LinkLine;
class LinkProperties;
class ProcessItem;
class QMenu;

// Floating-point metrics of the font a diagram item draws its texts with.
struct LabelMetrics
{
    double averageCharWidth = 0;   // A
    double lineHeight = 0;         // H
};

// The font label boxes are measured and drawn with: the scene's font, or
// the application font for an item outside any scene.
QFont diagramItemFont(const QGraphicsItem *item);
LabelMetrics labelMetrics(const QFont &font);

// Size of a label box (link, dataflow, floating link tag): 100 x 21 for an
// empty label, else width trunc(len*A + 8A + 6A), height trunc(H + A).
QSize labelBoxSize(const QString &label, const LabelMetrics &m);
// Where the label is drawn inside its box: x trunc(3A), y trunc(A/2),
// width trunc(len*A + 8A), height trunc(H).
QRect labelBoxTextRect(const QString &label, const LabelMetrics &m);
// Middle point of two boxed items' centres (integer halves of their sizes).
QPointF midPointOfCentres(const QPointF &firstPos, int firstWidth, int firstHeight,
                          const QPointF &secondPos, int secondWidth, int secondHeight);

class LinkItem : public QObject, public QGraphicsItem
{
    Q_OBJECT
    friend class LinkLine;
    friend class ProcessItem;
public:
    enum { Type = ItemType::Link };
    static constexpr int DefaultWidth = 100;
    static constexpr int DefaultHeight = 21;

    // Centres the box between the two process items' centres. The creator
    // builds the two lines, hands them over with setStartLine/setEndLine and
    // adds the box to both process items' link lists.
    LinkItem(QMenu *contextMenu, ProcessItem *startItem, ProcessItem *endItem);
    ~LinkItem() override;

    int type() const override { return Type; }
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

    // True while the box is not drawn: it has lost an end, or its two
    // process items overlap. Its lines are not drawn either then.
    bool isHidden() const;

    void setMarked();
    void clearMarked();
    // Destroys both lines (they leave the scene); the pointers become null.
    void removeLines();
    // Takes the link out of both process items' lists, destroys its lines
    // and forgets both process items. The box itself stays where it is.
    void detach();
    void rebuildPolygon();
    // Recomputes the box size from the label and the current font; called
    // whenever the label or the scene changes.
    void updateSize();
    // The polygon read from the record is replaced by the outline of the
    // size the label gives in the current font.
    void applyRecord(const LinkRecord &record);
    LinkRecord toRecord() const;
    bool openProperties();

    int level() const { return m_level; }
    void setLevel(int level) { m_level = level; }
    int parentId() const { return m_parentId; }
    void setParentId(int parentId) { m_parentId = parentId; }
    int grandParentId() const { return m_grandParentId; }
    void setGrandParentId(int grandParentId) { m_grandParentId = grandParentId; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    const QString &label() const { return m_label; }
    void setLabel(const QString &label);
    const QString &description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    const QString &datatype() const { return m_datatype; }
    void setDatatype(const QString &datatype) { m_datatype = datatype; }
    QPointF midPos() const { return m_midPos; }
    QColor backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(const QColor &colour);
    ProcessItem *startItem() const { return m_startItem; }
    ProcessItem *endItem() const { return m_endItem; }
    const QPolygonF &polygon() const { return m_polygon; }
    QMenu *contextMenu() const { return m_contextMenu; }
    QPen pen() const { return m_pen; }
    LinkLine *startLine() const { return m_startLine; }
    void setStartLine(LinkLine *line) { m_startLine = line; }
    LinkLine *endLine() const { return m_endLine; }
    void setEndLine(LinkLine *line) { m_endLine = line; }
    LinkProperties *propertiesDialog() const { return m_propertiesDialog.get(); }

    static QColor defaultColour() { return QColor(229, 231, 233); }

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    // Called by a process item that is being destroyed.
    void processDestroyed(ProcessItem *process);
    // Called by a line that is being destroyed.
    void lineDestroyed(LinkLine *line);
    // Keeps both lines on the current positions and sizes.
    void updateLines();

    int m_level = 0;
    int m_parentId = 0;
    int m_grandParentId = 0;
    int m_width = DefaultWidth;
    int m_height = DefaultHeight;
    QString m_label;
    QString m_description;
    QString m_datatype;
    QPointF m_midPos;
    QColor m_backgroundColour;
    ProcessItem *m_startItem;
    ProcessItem *m_endItem;
    std::unique_ptr<LinkProperties> m_propertiesDialog;
    QPolygonF m_polygon;
    QMenu *m_contextMenu;
    QPen m_pen;
    LinkLine *m_startLine = nullptr;
    LinkLine *m_endLine = nullptr;
};
