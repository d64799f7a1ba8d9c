#pragma once

// The label box of a link between two process items. A link is three
// items: this box and two LinkLine connectors (start process -> box and
// box -> end process, the second with the arrow head).
//
// Ownership: the scene owns the box and its lines. The box points at its
// two process items and its two lines without owning them. removeLines()
// destroys the lines.
// Every pointer is cleared on the other end when an item is destroyed: a
// dying process item clears itself from its links (and their lines), a
// dying line clears itself from its box, and a dying box removes itself
// from its process items' lists and from its lines.

#include "ItemTypes.h"
#include "LabelBoxItem.h"
#include "ProjectRecords.h"


class LinkLine;
class ProcessItem;

class LinkItem : public LabelBoxItem
{
    Q_OBJECT
    friend class LinkLine;
    friend class ProcessItem;
public:
    enum { Type = ItemType::Link };

    // Centres the box between the two process items' centres. The creator
    // builds the two lines, hands them over with setStartLine/setEndLine and
    // adds the box to both process items' link lists.
    LinkItem(QMenu *contextMenu, ProcessItem *startItem, ProcessItem *endItem);
    ~LinkItem() override;

    int type() const override { return Type; }
    // Hidden also while its two process items overlap.
    bool isHidden() const override;

    // Destroys both lines (they leave the scene); the pointers become null.
    void removeLines();
    // Takes the link out of both process items' lists, destroys its lines
    // and forgets both process items. The box itself stays where it is.
    void detach();
    // The polygon read from the record is replaced by the outline of the
    // size the label gives in the current font.
    void applyRecord(const LinkRecord &record);
    LinkRecord toRecord() const;
    ItemRecord record() const override { return toRecord(); }
    void restoreRecord(const ItemRecord &record) override;

    ProcessItem *startItem() const { return m_startItem; }
    ProcessItem *endItem() const { return m_endItem; }
    LinkLine *startLine() const { return m_startLine; }
    void setStartLine(LinkLine *line) { m_startLine = line; }
    LinkLine *endLine() const { return m_endLine; }
    void setEndLine(LinkLine *line) { m_endLine = line; }

    static QColor defaultColour() { return QColor(229, 231, 233); }

protected:
    QColor paintColour() const override { return defaultColour(); }

private:
    // Called by a process item that is being destroyed.
    void processDestroyed(ProcessItem *process);
    // Called by a line that is being destroyed.
    void lineDestroyed(LinkLine *line);
    void updateLines() override;

    ProcessItem *m_startItem;
    ProcessItem *m_endItem;
    LinkLine *m_startLine = nullptr;
    LinkLine *m_endLine = nullptr;
};
