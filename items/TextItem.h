#pragma once

// A free block of code on a state-machine diagram. Its type tells the code
// generator what the text is: 0 plain code, 1 include lines, 2 macro
// definitions. Drawn as a white rectangle headed by the type in blue.

#include <QColor>
#include <QGraphicsRectItem>
#include <QObject>
#include <QPolygonF>
#include <QString>
#include <QTextOption>

#include <memory>

#include "ItemTypes.h"
#include "ProjectRecords.h"

class QMenu;
class TextProperties;

class TextItem : public QObject, public QGraphicsRectItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)


public:
    // Lets qgraphicsitem_cast<TextItem *> tell this kind apart.
    enum { Type = ItemType::Text };
    static constexpr int DefaultWidth = 150;
    static constexpr int DefaultHeight = 75;

    TextItem(QMenu *contextMenu, qreal x, qreal y, QGraphicsItem *parent = nullptr);
    ~TextItem() override;

    int type() const override;
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    // Default size and type, centred on the creation point.
    void placeAt();

    int width() const { return m_width; }
    int height() const { return m_height; }
    void setWidth(int width);     // also rebuilds the outline
    void setHeight(int height);   // also rebuilds the outline
    int textType() const { return m_textType; }
    void setTextType(int textType);

    int level() const { return m_level; }
    void setLevel(int level) { m_level = level; }
    int parentId() const { return m_parentId; }
    void setParentId(int id) { m_parentId = id; }
    int grandParentId() const { return m_grandParentId; }
    void setGrandParentId(int id) { m_grandParentId = id; }

    qreal x0() const { return m_x; }   // creation point
    qreal y0() const { return m_y; }

    QString action() const { return m_action; }
    void setAction(const QString &action);
    // Kept and saved, never painted.
    QColor textColour() const { return m_textColour; }
    void setTextColour(const QColor &colour) { m_textColour = colour; }
    QColor backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(const QColor &colour);
    static QColor defaultBackgroundColour();

    QMenu *contextMenu() const { return m_contextMenu; }
    // The property dialog, or null while it has never been opened.
    TextProperties *propertiesDialog() const { return m_propertiesDialog.get(); }
    const QPolygonF &polygon() const { return m_polygon; }
    void rebuildPolygon();
    QTextOption textOption() const { return m_textOption; }

    void setMarked();
    void clearMarked();

    void applyRecord(const TextRecord &record);
    TextRecord toRecord() const;

    void fitToText();
    // Runs the property dialog; returns true when it was accepted.
    bool openProperties();

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;

private:
    void setOutlineStyle(Qt::PenStyle style);
    // Takes the new size with its rectangle and outline.
    void resizeBox(int width, int height);
    TextProperties *dialog();

    int m_width = DefaultWidth;
    int m_height = DefaultHeight;
    int m_textType = 0;
    int m_level = 0;
    int m_parentId = 0;
    int m_grandParentId = 0;
    qreal m_x = 0;
    qreal m_y = 0;
    QString m_action;
    QColor m_textColour;
    QMenu *m_contextMenu = nullptr;
    QColor m_backgroundColour;
    std::unique_ptr<TextProperties> m_propertiesDialog;
    QPolygonF m_polygon;
    QTextOption m_textOption;
};
