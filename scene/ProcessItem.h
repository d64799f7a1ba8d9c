#pragma once

// A block of the project hierarchy on a process diagram. Every process item
// stands for one child node of the tree and carries that node's identity.
//
// Ownership: the scene owns the item; the item owns its shadow effect. It
// never owns the links and dataflows in its lists: those are owned by the
// scene (or, while an undo step holds them out of it, kept alive by their
// canvas). Connections are recorded on both ends; when the item is
// destroyed it tells every attached link and dataflow to forget it, so no
// connection is left pointing at a dead process item.

#include "DiagramItem.h"
#include "ItemTypes.h"
#include "ProjectRecords.h"

#include <QColor>
#include <QList>
#include <QPen>
#include <QPolygonF>
#include <QRect>
#include <QString>

class DataflowItem;
class LinkItem;

// Rectangle of the centred one-line label of a process item of the given
// size, with A = average character width and lineHeight of the font (both
// integer metrics).
QRect processLabelRect(int width, int height, int averageCharWidth, int lineHeight);

class ProcessItem : public DiagramItem
{
    Q_OBJECT
public:
    enum { Type = ItemType::Process };
    static constexpr int DefaultWidth = 300;
    static constexpr int DefaultHeight = 250;
    static constexpr int RoundedRectangleShape = 1;
    static constexpr int CornerRadius = 27;

    // x, y: the creation point (placeAt centres the item on it); shape 1
    // draws a rounded rectangle, anything else an ellipse.
    ProcessItem(QMenu *contextMenu, double x, double y, int shape);
    ~ProcessItem() override;

    int type() const override { return Type; }
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

    // Size 300 x 250 centred on the creation point.
    void placeAt();

    const QList<LinkItem *> &links() const { return m_links; }
    const QList<DataflowItem *> &dataflows() const { return m_dataflows; }
    // Append / remove the first occurrence; removing an absent item is a no-op.
    void addLink(LinkItem *link);
    void removeLink(LinkItem *link);
    void addDataflow(DataflowItem *dataflow);
    void removeDataflow(DataflowItem *dataflow);

    void rebuildPolygon();

    void applyRecord(const ProcessRecord &record);
    ProcessRecord toRecord() const;
    ItemRecord record() const override { return toRecord(); }
    void restoreRecord(const ItemRecord &record) override;

    int nos() const { return m_nos; }
    void setNos(int nos) { m_nos = nos; }
    int id() const { return m_id; }
    void setId(int id) { m_id = id; }
    QString label() const override { return m_label; }
    void setLabel(const QString &label);
    const QString &code() const { return m_code; }
    void setCode(const QString &code) { m_code = code; }
    const QString &description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    // The module style chosen for the state machine this item stands for
    // ("classic", "instance"; empty: the project's default).
    const QString &codeStyle() const { return m_codeStyle; }
    void setCodeStyle(const QString &style) { m_codeStyle = style; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // A new size; an outline read from a file stays unless the size changed.
    void resize(int width, int height);
    // The outline pen: black, 2 wide, dotted while marked.
    QPen pen() const { return m_pen; }
    // Invalid until a colour is chosen; painted (and from then on kept) as
    // the default amber.
    QColor backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(const QColor &colour);
    // The colour the item is filled with.
    QColor shownColour() const { return m_backgroundColour.isValid() ? m_backgroundColour : defaultColour(); }
    // 1 rounded rectangle, otherwise ellipse. Not called shape(): that name
    // is the item's outline path used for collisions.
    int processShape() const { return m_shape; }
    void setProcessShape(int shape);
    // The outline stored in the project file, kept as read until the size
    // changes.
    const QPolygonF &polygon() const { return m_polygon; }
    // The outline the user sees, the closed rectangle of the item's size:
    // link and dataflow lines end on it.
    const QPolygonF &outline() const { return m_outline; }
    // The point the item was created at (QGraphicsItem::x()/y() stay the
    // position getters).
    QPointF creationPoint() const { return QPointF(m_x, m_y); }

    static QColor defaultColour() { return QColor(254, 195, 9); }

protected:
    QPainterPath shape() const override;
    void setOutlineStyle(Qt::PenStyle style) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    void setSize(int width, int height);
    void connectionsMoved();

    QList<LinkItem *> m_links;
    QList<DataflowItem *> m_dataflows;
    int m_nos = 0;
    int m_id = 0;
    QString m_label;
    QString m_code;
    int m_width = DefaultWidth;
    int m_height = DefaultHeight;
    QString m_description;
    QString m_codeStyle;
    QColor m_backgroundColour;
    int m_shape;
    QPen m_pen;
    QPolygonF m_polygon;
    QPolygonF m_outline;
    double m_x;
    double m_y;
};
