#include "CodeText.h"

CodeText::CodeText(qint64 *budget, bool keepText) : m_budget(budget), m_keepText(keepText)
{
    m_lines.startLine();
}

CodeText &CodeText::operator<<(const QString &piece)
{
    return add(piece, false);
}

CodeText &CodeText::user(const QString &piece)
{
    return add(piece, true);
}

CodeText &CodeText::add(const QString &piece, bool userText)
{
    if (m_overflowed)
        return *this;
    if (!fits(piece.size())) {
        m_overflowed = true;
        return *this;
    }
    *m_budget -= piece.size();
    scan(piece.constData(), piece.size(), userText);
    if (m_keepText)
        m_text += piece;
    return *this;
}

CodeText &CodeText::operator<<(QLatin1String piece)
{
    return *this << QString(piece);
}

void CodeText::scan(const QChar *begin, int size, bool userText)
{
    for (const QChar *c = begin, *end = begin + size; c != end; ++c) {
        const ushort u = c->unicode();
        if (u == '\n') {
            m_lines.startLine();
            m_lineStarted = false;
        } else if (u == ' ' || u == '\t') {
            continue;
        } else if (!m_lineStarted) {
            m_lines.setOwnerOfLastLine(m_owner);
            m_lines.setTemplateOfLastLine(!userText && (!m_userSeen || m_owner == ItemRef::machine()));
            m_lineStarted = true;
        } else if (userText) {
            m_lines.setTemplateOfLastLine(false);
        }
        if (userText)
            m_userSeen = true;
    }
}
