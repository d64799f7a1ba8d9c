#pragma once

// A free block of code on a state-machine diagram. Its type tells the code
// generator what the text is: 0 plain code, 1 include lines, 2 macro
// definitions. Drawn as a white rectangle headed by the type in blue.

#include "BoxItem.h"
#include "ItemTypes.h"
#include "ProjectRecords.h"

class TextItem : public BoxItem
{
    Q_OBJECT

public:
    // Lets qgraphicsitem_cast<TextItem *> tell this kind apart.
    enum { Type = ItemType::Text };
    static constexpr int DefaultWidth = 150;
    static constexpr int DefaultHeight = 75;

    TextItem(QMenu *contextMenu, qreal x, qreal y, QGraphicsItem *parent = nullptr);
    ~TextItem() override;

    int type() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    // Default size and type, centred on the creation point.
    void placeAt();

    int textType() const { return m_textType; }
    void setTextType(int textType);

    qreal x0() const { return m_x; }   // creation point
    qreal y0() const { return m_y; }

    // Kept and saved, never painted.
    QColor textColour() const { return m_textColour; }
    void setTextColour(const QColor &colour) { m_textColour = colour; }
    static QColor defaultBackgroundColour();

    // As the file stores it; a text item read from a file stays at the point
    // it was created at.
    void applyRecord(const TextRecord &record);
    TextRecord toRecord() const;
    ItemRecord record() const override { return toRecord(); }
    void restoreRecord(const ItemRecord &record) override;

protected:
    QColor fallbackColour() const override { return defaultBackgroundColour(); }
    QSize fittedSize(const TextMetrics &metrics) const override;

private:
    int m_textType = 0;
    qreal m_x = 0;
    qreal m_y = 0;
    QColor m_textColour;
};
