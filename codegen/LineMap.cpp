#include "LineMap.h"

ItemRef LineMap::ownerOf(int line) const
{
    if (line < 1 || line > m_owners.size())
        return ItemRef::machine();
    return m_owners.at(line - 1);
}

int LineMap::firstLineOf(const ItemRef &item) const
{
    const int at = m_owners.indexOf(item);
    return at < 0 ? 0 : at + 1;
}

void LineMap::setOwnerOfLastLine(const ItemRef &item)
{
    if (m_owners.isEmpty())
        startLine();
    m_owners.last() = item;
}

bool LineMap::isTemplate(int line) const
{
    return line >= 1 && line <= m_template.size() && m_template.at(line - 1);
}

void LineMap::setTemplateOfLastLine(bool fixedOnly)
{
    if (m_template.isEmpty())
        startLine();
    m_template.last() = fixedOnly;
}
