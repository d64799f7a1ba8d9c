#pragma once

// Builds the text of one generated file piece by piece and keeps its line
// map: each line belongs to the item whose piece put the line's first
// character that is not a blank or a tab (fixed text such as "if " is added
// under the item it is written for). QtCore only.
//
// Pieces of the user's own text (a label, a condition, a code text) are
// added with user(); a line that holds only fixed text and comes before
// any text of its item (or belongs to no item) is marked as template text
// in the line map.
//
// All pieces of one machine share a size budget: a piece that would pass
// it is not added, and the text is marked overflowed, so that a machine
// whose texts multiply through placeholder filling cannot take the
// program's memory.

#include "ItemRef.h"
#include "LineMap.h"

#include <QString>

// Whether a code text holds anything but blanks.
inline bool hasCode(const QString &text)
{
    return !text.trimmed().isEmpty();
}

class CodeText
{
public:
    // `budget` is shared with the machine's other file; it counts characters.
    // Without keepText the pieces are counted and mapped to lines but the
    // text itself is not kept.
    explicit CodeText(qint64 *budget, bool keepText = true);

    // Pieces added from now on belong to `item`.
    void setOwner(const ItemRef &item)
    {
        m_owner = item;
        m_userSeen = false;
    }
    ItemRef owner() const { return m_owner; }

    CodeText &operator<<(const QString &piece);
    CodeText &operator<<(QLatin1String piece);
    // A piece of the user's text, under the current owner.
    CodeText &user(const QString &piece);

    // Whether `size` more characters fit in the budget.
    bool fits(qint64 size) const { return size <= *m_budget; }
    // Whether a piece was refused for the budget.
    bool overflowed() const { return m_overflowed; }
    void markOverflowed() { m_overflowed = true; }

    const QString &text() const { return m_text; }
    const LineMap &lines() const { return m_lines; }

private:
    CodeText &add(const QString &piece, bool userText);
    void scan(const QChar *begin, int size, bool userText);

    qint64 *m_budget;
    QString m_text;
    LineMap m_lines;
    ItemRef m_owner;
    bool m_lineStarted = false;   // the current line has its first character
    bool m_userSeen = false;      // the owner's own text has been added
    bool m_overflowed = false;
    bool m_keepText = true;
};

// Sets the owner of a CodeText for one scope and restores it afterwards.
class OwnerScope
{
public:
    OwnerScope(CodeText &text, const ItemRef &item) : m_text(text), m_previous(text.owner())
    {
        text.setOwner(item);
    }
    ~OwnerScope() { m_text.setOwner(m_previous); }
    OwnerScope(const OwnerScope &) = delete;
    OwnerScope &operator=(const OwnerScope &) = delete;

private:
    CodeText &m_text;
    ItemRef m_previous;
};
