#include "CodeText.h"

CodeText::CodeText(qint64 *budget, bool keepText) : m_budget(budget), m_keepText(keepText)
{
    m_lines.startLine();
}

CodeText &CodeText::operator<<(const QString &piece)
{
    if (m_overflowed)
        return *this;
    if (!fits(piece.size())) {
        m_overflowed = true;
        return *this;
    }
    *m_budget -= piece.size();
    scan(piece.constData(), piece.size());
    if (m_keepText)
        m_text += piece;
    return *this;
}

CodeText &CodeText::operator<<(QLatin1String piece)
{
    return *this << QString(piece);
}

void CodeText::scan(const QChar *begin, int size)
{
    for (const QChar *c = begin, *end = begin + size; c != end; ++c) {
        const ushort u = c->unicode();
        if (u == '\n') {
            m_lines.startLine();
            m_lineStarted = false;
        } else if (!m_lineStarted && u != ' ' && u != '\t') {
            m_lines.setOwnerOfLastLine(m_owner);
            m_lineStarted = true;
        }
    }
}
