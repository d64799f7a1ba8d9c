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

    // For the builder: a new line starts, owned by the machine until set.
    void startLine() { m_owners.append(ItemRef::machine()); }
    void setOwnerOfLastLine(const ItemRef &item);

private:
    QVector<ItemRef> m_owners;
};
