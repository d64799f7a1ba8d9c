#include "MemberRewrite.h"

namespace {

bool identifierStart(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_';
}

bool identifierPart(QChar c)
{
    return identifierStart(c) || (c.unicode() >= '0' && c.unicode() <= '9');
}

// One pass over a C text, token by token.
class Scanner
{
public:
    Scanner(const QString &text, const QSet<QString> &members, const QString &prefix, bool rewriting)
        : m_text(text), m_members(members), m_prefix(prefix), m_rewriting(rewriting)
    {
        if (rewriting)
            m_out.reserve(text.size() + text.size() / 8);
    }

    void run()
    {
        while (m_at < m_text.size())
            step();
    }

    QString m_out;
    QStringList m_unsound;
    QStringList m_named;
    QStringList m_numbers;

private:
    void copy(int end)
    {
        if (m_rewriting)
            m_out += m_text.midRef(m_at, end - m_at);
        m_at = end;
    }

    // The end of a literal opened by the quote at m_at (a line break ends
    // an unclosed one).
    int literalEnd() const
    {
        const QChar quote = m_text.at(m_at);
        int i = m_at + 1;
        while (i < m_text.size() && m_text.at(i) != quote && m_text.at(i) != QLatin1Char('\n'))
            i += m_text.at(i) == QLatin1Char('\\') ? 2 : 1;
        return qMin(i + 1, int(m_text.size()));
    }

    void step()
    {
        const QChar c = m_text.at(m_at);
        const QChar next = m_at + 1 < m_text.size() ? m_text.at(m_at + 1) : QChar();
        if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            const int end = m_text.indexOf(QLatin1String("*/"), m_at + 2);
            copy(end < 0 ? m_text.size() : end + 2);
        } else if (c == QLatin1Char('/') && next == QLatin1Char('/')) {
            const int end = m_text.indexOf(QLatin1Char('\n'), m_at);
            copy(end < 0 ? m_text.size() : end);
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            copy(literalEnd());
            m_last = QLatin1Char('"');
        } else if (identifierStart(c)) {
            identifier();
        } else if (c.isDigit() || (c == QLatin1Char('.') && next.isDigit())) {
            int end = m_at + 1;
            while (end < m_text.size() && (identifierPart(m_text.at(end)) || m_text.at(end) == QLatin1Char('.')
                                           || (m_text.at(end - 1).toLower() == QLatin1Char('e')
                                               && (m_text.at(end) == QLatin1Char('+') || m_text.at(end) == QLatin1Char('-'))
                                               && !m_text.midRef(m_at, 2).startsWith(QLatin1String("0x"), Qt::CaseInsensitive))))
                ++end;
            if (m_directive.isEmpty())
                m_numbers << m_text.mid(m_at, end - m_at);
            copy(end);
            m_last = QLatin1Char('0');
        } else {
            punctuation(c, next);
        }
    }

    void punctuation(QChar c, QChar next)
    {
        if (c == QLatin1Char('\n')) {
            m_lineStart = true;
            m_directive.clear();
            m_directiveWord = 0;
            m_inParameters = false;
            m_parameters.clear();
        } else if (c == QLatin1Char('#') && m_lineStart) {
            m_directive = QStringLiteral("#");
        } else if (!c.isSpace()) {
            m_lineStart = false;
            if (m_inParameters && c == QLatin1Char(')'))
                m_inParameters = false;
            m_last = c == QLatin1Char('-') && next == QLatin1Char('>') ? QLatin1Char('>') : c;
            if (c == QLatin1Char('-') && next == QLatin1Char('>')) {
                copy(m_at + 2);
                return;
            }
        }
        copy(m_at + 1);
    }

    void identifier()
    {
        int end = m_at + 1;
        while (end < m_text.size() && identifierPart(m_text.at(end)))
            ++end;
        const QString name = m_text.mid(m_at, end - m_at);
        const bool member = m_members.contains(name) && m_last != QLatin1Char('.') && m_last != QLatin1Char('>');
        m_lineStart = false;
        if (!m_directive.isEmpty() && directiveWord(name, end)) {
            if (member && !m_unsound.contains(name))
                m_unsound << name;
            if (m_inParameters)
                m_parameters << name;
            copy(end);
        } else if (m_parameters.contains(name)) {
            copy(end);   // a macro's parameter in its body
        } else if (m_directive == QLatin1String("#include")) {
            copy(end);
        } else if (member) {
            if (!m_named.contains(name))
                m_named << name;
            if (m_rewriting)
                m_out += m_prefix + name;
            m_at = end;
        } else {
            copy(end);
        }
        m_last = QLatin1Char('a');
    }

    // Whether `name` is a word of the directive that no rewriting may
    // touch: the directive itself, the name it defines or tests, a macro
    // parameter.
    bool directiveWord(const QString &name, int end)
    {
        ++m_directiveWord;
        if (m_directiveWord == 1) {
            m_directive = QLatin1Char('#') + name;
            return true;
        }
        const bool naming = m_directive == QLatin1String("#define") || m_directive == QLatin1String("#undef")
                            || m_directive == QLatin1String("#ifdef") || m_directive == QLatin1String("#ifndef");
        if (naming && m_directiveWord == 2) {
            m_inParameters = m_directive == QLatin1String("#define") && end < m_text.size()
                             && m_text.at(end) == QLatin1Char('(');
            return true;
        }
        return m_inParameters;
    }

    const QString &m_text;
    const QSet<QString> &m_members;
    const QString &m_prefix;
    const bool m_rewriting;
    int m_at = 0;
    QChar m_last;                 // the last significant token's kind: '.', '>' for "->", 'a', '0', ...
    bool m_lineStart = true;
    QString m_directive;          // "#", then "#define" etc. on a directive line
    int m_directiveWord = 0;
    bool m_inParameters = false;
    QStringList m_parameters;     // of the function-like macro being defined
};

} // namespace

namespace MemberRewrite {

Result rewrite(const QString &text, const QSet<QString> &members, const QString &prefix)
{
    if (members.isEmpty())
        return Result{ text, {} };
    Scanner scanner(text, members, prefix, true);
    scanner.run();
    return Result{ scanner.m_out, scanner.m_unsound };
}

QStringList named(const QString &text, const QSet<QString> &members)
{
    if (members.isEmpty())
        return {};
    Scanner scanner(text, members, QString(), false);
    scanner.run();
    QStringList all = scanner.m_named;
    for (const QString &name : scanner.m_unsound) {
        if (!all.contains(name))
            all << name;
    }
    return all;
}

QStringList numbers(const QString &text)
{
    // The scanner keeps references: its arguments outlive it.
    const QSet<QString> none;
    const QString noPrefix;
    Scanner scanner(text, none, noPrefix, false);
    scanner.run();
    return scanner.m_numbers;
}

} // namespace MemberRewrite
