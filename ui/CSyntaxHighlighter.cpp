#include "CSyntaxHighlighter.h"

#include <QSet>
#include <QString>

namespace {

enum BlockState { Normal = 0, InBlockComment = 1 };

const QSet<QString> &keywords()
{
    static const QSet<QString> words{
        // C99 and C11 keywords.
        QStringLiteral("auto"), QStringLiteral("break"), QStringLiteral("case"),
        QStringLiteral("char"), QStringLiteral("const"), QStringLiteral("continue"),
        QStringLiteral("default"), QStringLiteral("do"), QStringLiteral("double"),
        QStringLiteral("else"), QStringLiteral("enum"), QStringLiteral("extern"),
        QStringLiteral("float"), QStringLiteral("for"), QStringLiteral("goto"),
        QStringLiteral("if"), QStringLiteral("inline"), QStringLiteral("int"),
        QStringLiteral("long"), QStringLiteral("register"), QStringLiteral("restrict"),
        QStringLiteral("return"), QStringLiteral("short"), QStringLiteral("signed"),
        QStringLiteral("sizeof"), QStringLiteral("static"), QStringLiteral("struct"),
        QStringLiteral("switch"), QStringLiteral("typedef"), QStringLiteral("union"),
        QStringLiteral("unsigned"), QStringLiteral("void"), QStringLiteral("volatile"),
        QStringLiteral("while"), QStringLiteral("_Bool"), QStringLiteral("_Complex"),
        QStringLiteral("_Imaginary"), QStringLiteral("_Alignas"), QStringLiteral("_Alignof"),
        QStringLiteral("_Atomic"), QStringLiteral("_Generic"), QStringLiteral("_Noreturn"),
        QStringLiteral("_Static_assert"), QStringLiteral("_Thread_local"),
        // Names from the standard headers that read as keywords in machine code.
        QStringLiteral("bool"), QStringLiteral("true"), QStringLiteral("false"),
        QStringLiteral("NULL")};
    return words;
}

bool isIdentifierStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isIdentifierPart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// End (exclusive) of the block comment whose body starts at from; -1 when
// it does not end on this line.
int blockCommentEnd(const QString &line, int from)
{
    const int close = line.indexOf(QLatin1String("*/"), from);
    return close < 0 ? -1 : close + 2;
}

// End (exclusive) of the literal opened by the quote at start; an
// unterminated literal runs to the end of the line.
int literalEnd(const QString &line, int start)
{
    const QChar quote = line.at(start);
    int i = start + 1;
    while (i < line.size()) {
        if (line.at(i) == QLatin1Char('\\'))
            i += 2;
        else if (line.at(i) == quote)
            return i + 1;
        else
            ++i;
    }
    return line.size();
}

// End (exclusive) of the number starting at start: digits, hexadecimal
// digits, a fraction, an exponent with its sign and suffixes.
int numberEnd(const QString &line, int start)
{
    int i = start;
    while (i < line.size()) {
        const QChar c = line.at(i);
        const bool exponentSign = (c == QLatin1Char('+') || c == QLatin1Char('-')) && i > start
                                  && QStringLiteral("eEpP").contains(line.at(i - 1))
                                  && !line.midRef(start, 2).startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
        if (c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('_') || exponentSign)
            ++i;
        else
            break;
    }
    return i;
}

bool startsNumber(const QString &line, int i)
{
    const QChar c = line.at(i);
    if (c.isDigit())
        return true;
    return c == QLatin1Char('.') && i + 1 < line.size() && line.at(i + 1).isDigit();
}

bool isPreprocessorLine(const QString &line)
{
    for (const QChar c : line) {
        if (c == QLatin1Char('#'))
            return true;
        if (!c.isSpace())
            return false;
    }
    return false;
}

} // namespace

QVector<CToken> cTokens(const QString &line, bool inComment, bool *endsInComment)
{
    QVector<CToken> tokens;
    int i = 0;
    if (inComment) {
        const int end = blockCommentEnd(line, 0);
        const int stop = end < 0 ? line.size() : end;
        tokens.append(CToken{0, stop, CToken::Comment});
        if (end < 0) {
            *endsInComment = true;
            return tokens;
        }
        i = end;
    }
    // A directive colours its whole line; comments inside it still show
    // as comments, drawn over it below.
    if (isPreprocessorLine(line.mid(i)))
        tokens.append(CToken{i, line.size() - i, CToken::Preprocessor});
    const bool directive = !tokens.isEmpty() && tokens.last().kind == CToken::Preprocessor;

    *endsInComment = false;
    while (i < line.size()) {
        const QChar c = line.at(i);
        if (line.midRef(i, 2) == QLatin1String("//")) {
            tokens.append(CToken{i, line.size() - i, CToken::Comment});
            break;
        }
        if (line.midRef(i, 2) == QLatin1String("/*")) {
            const int end = blockCommentEnd(line, i + 2);
            const int stop = end < 0 ? line.size() : end;
            tokens.append(CToken{i, stop - i, CToken::Comment});
            if (end < 0) {
                *endsInComment = true;
                break;
            }
            i = end;
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const int end = literalEnd(line, i);
            tokens.append(CToken{i, end - i, CToken::String});
            i = end;
            continue;
        }
        if (!directive && startsNumber(line, i)) {
            const int end = numberEnd(line, i);
            tokens.append(CToken{i, end - i, CToken::Number});
            i = end;
            continue;
        }
        if (isIdentifierStart(c)) {
            int end = i + 1;
            while (end < line.size() && isIdentifierPart(line.at(end)))
                ++end;
            if (!directive && keywords().contains(line.mid(i, end - i)))
                tokens.append(CToken{i, end - i, CToken::Keyword});
            i = end;
            continue;
        }
        ++i;
    }
    return tokens;
}

CSyntaxHighlighter::CSyntaxHighlighter(QTextDocument *document) : QSyntaxHighlighter(document)
{
}

QTextCharFormat CSyntaxHighlighter::format(CToken::Kind kind)
{
    QTextCharFormat f;
    switch (kind) {
    case CToken::Keyword:
        f.setForeground(QColor(0, 0, 160));
        f.setFontWeight(QFont::Bold);
        break;
    case CToken::Number:
        f.setForeground(QColor(150, 80, 0));
        break;
    case CToken::String:
        f.setForeground(QColor(0, 128, 0));
        break;
    case CToken::Comment:
        f.setForeground(QColor(110, 110, 110));
        f.setFontItalic(true);
        break;
    case CToken::Preprocessor:
        f.setForeground(QColor(128, 0, 128));
        break;
    }
    return f;
}

void CSyntaxHighlighter::highlightBlock(const QString &text)
{
    bool endsInComment = false;
    const QVector<CToken> tokens = cTokens(text, previousBlockState() == InBlockComment, &endsInComment);
    for (const CToken &token : tokens)
        setFormat(token.start, token.length, format(token.kind));
    setCurrentBlockState(endsInComment ? InBlockComment : Normal);
}
