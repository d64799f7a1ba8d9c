#pragma once

// Which item of a state machine produced each line of a generated file, so
// that a message about a line (a compiler diagnostic, a simulator's
// position) can name the state, transition, text or memory item behind it.
// Lines are numbered from 1 as compilers count them; lines of fixed text
// belong to the machine itself. QtCore only.

#include "ItemRef.h"

#include <QVector>

class LineMap
{
public:
    int lineCount() const { return m_owners.size(); }
    // The item behind `line` (1-based); the machine for lines out of range.
    ItemRef ownerOf(int line) const;
    // The first line the item produced, or 0 when it produced none.
    int firstLineOf(const ItemRef &item) const;

    // Whether `line` holds only the generator's fixed text and no text of
    // its item before it: a complaint about it is about the template, not
    // about the item (out of range: false).
    bool isTemplate(int line) const;

    // For the builder: a new line starts, owned by the machine until set.
    void startLine()
    {
        m_owners.append(ItemRef::machine());
        m_template.append(true);
    }
    void setOwnerOfLastLine(const ItemRef &item);
    void setTemplateOfLastLine(bool fixedOnly);

private:
    QVector<ItemRef> m_owners;
    QVector<bool> m_template;
};
