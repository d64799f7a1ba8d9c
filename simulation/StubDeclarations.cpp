#include "StubDeclarations.h"

namespace {

bool identifierStart(QChar c)
{
    return c == QLatin1Char('_') || (c.unicode() < 128 && c.isLetter());
}

bool identifierPart(QChar c)
{
    return identifierStart(c) || (c.unicode() < 128 && c.isDigit());
}

bool isIdentifier(const QString &token)
{
    return !token.isEmpty() && identifierStart(token.at(0));
}

// The tokens of `text` without comments, string and character literals
// and preprocessor lines; one pass.
QStringList tokens(const QString &text)
{
    QStringList result;
    const int n = text.size();
    bool lineStart = true;
    int i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n')) {
            lineStart = true;
            ++i;
        } else if (c.isSpace()) {
            ++i;
        } else if (lineStart && c == QLatin1Char('#')) {
            // A directive to its end, continuation lines included.
            while (i < n && text.at(i) != QLatin1Char('\n'))
                i += text.at(i) == QLatin1Char('\\') && i + 1 < n ? 2 : 1;
        } else if (c == QLatin1Char('/') && i + 1 < n && text.at(i + 1) == QLatin1Char('/')) {
            while (i < n && text.at(i) != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && text.at(i + 1) == QLatin1Char('*')) {
            const int end = text.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
            lineStart = false;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            ++i;
            while (i < n && text.at(i) != c && text.at(i) != QLatin1Char('\n'))
                i += text.at(i) == QLatin1Char('\\') ? 2 : 1;
            ++i;
            result << QStringLiteral("0");
            lineStart = false;
        } else if (identifierPart(c)) {
            const int start = i;
            while (i < n && identifierPart(text.at(i)))
                ++i;
            result << text.mid(start, i - start);
            lineStart = false;
        } else if (text.midRef(i, 3) == QLatin1String("...")) {
            result << QStringLiteral("...");
            i += 3;
            lineStart = false;
        } else {
            result << QString(c);
            ++i;
            lineStart = false;
        }
    }
    return result;
}

// Words that say nothing about a type's representation.
bool qualifier(const QString &word)
{
    static const QSet<QString> words{
        QStringLiteral("extern"),    QStringLiteral("static"),     QStringLiteral("inline"),
        QStringLiteral("__inline"),  QStringLiteral("__inline__"), QStringLiteral("register"),
        QStringLiteral("const"),     QStringLiteral("volatile"),   QStringLiteral("_Noreturn"),
        QStringLiteral("restrict"),  QStringLiteral("__restrict"), QStringLiteral("__extension__"),
    };
    return words.contains(word);
}

// A scalar type as the stub unit writes it and its kind ('i', 'u', 'f',
// 'b', 'c', 'v', 'p'); kind 0 when the words are no type understood.
struct Scalar
{
    char kind = 0;
    QString type;
};

Scalar scalar(const QStringList &declared)
{
    QStringList words;
    int pointers = 0;
    for (const QString &word : declared) {
        if (word == QLatin1String("*"))
            ++pointers;
        else if (!qualifier(word))
            words << word;
    }
    if (pointers > 0)
        return Scalar{ 'p', QStringLiteral("void *") };
    if (words.size() == 2 && words.first() == QLatin1String("enum"))
        return Scalar{ 'i', QStringLiteral("int") };
    static const QSet<QString> unsignedTypedefs{
        QStringLiteral("uint8_t"),        QStringLiteral("uint16_t"),       QStringLiteral("uint32_t"),
        QStringLiteral("uint64_t"),       QStringLiteral("uint_least8_t"),  QStringLiteral("uint_least16_t"),
        QStringLiteral("uint_least32_t"), QStringLiteral("uint_least64_t"), QStringLiteral("uint_fast8_t"),
        QStringLiteral("uint_fast16_t"),  QStringLiteral("uint_fast32_t"),  QStringLiteral("uint_fast64_t"),
        QStringLiteral("uintptr_t"),      QStringLiteral("uintmax_t"),      QStringLiteral("size_t"),
    };
    static const QSet<QString> signedTypedefs{
        QStringLiteral("int8_t"),        QStringLiteral("int16_t"),       QStringLiteral("int32_t"),
        QStringLiteral("int64_t"),       QStringLiteral("int_least8_t"),  QStringLiteral("int_least16_t"),
        QStringLiteral("int_least32_t"), QStringLiteral("int_least64_t"), QStringLiteral("int_fast8_t"),
        QStringLiteral("int_fast16_t"),  QStringLiteral("int_fast32_t"),  QStringLiteral("int_fast64_t"),
        QStringLiteral("intptr_t"),      QStringLiteral("intmax_t"),      QStringLiteral("ptrdiff_t"),
    };
    if (words.size() == 1) {
        const QString &word = words.first();
        if (unsignedTypedefs.contains(word))
            return Scalar{ 'u', word };
        if (signedTypedefs.contains(word))
            return Scalar{ 'i', word };
        if (word == QLatin1String("void"))
            return Scalar{ 'v', word };
        if (word == QLatin1String("bool") || word == QLatin1String("_Bool"))
            return Scalar{ 'b', QStringLiteral("_Bool") };
        if (word == QLatin1String("char"))
            return Scalar{ 'c', word };
    }
    // The basic types: each word at most once, "long" at most twice.
    static const QStringList basic{ QStringLiteral("signed"), QStringLiteral("unsigned"), QStringLiteral("short"),
                                    QStringLiteral("long"),   QStringLiteral("int"),      QStringLiteral("char"),
                                    QStringLiteral("float"),  QStringLiteral("double") };
    int count[8] = {};
    for (const QString &word : qAsConst(words)) {
        const int k = basic.indexOf(word);
        if (k < 0)
            return Scalar();
        ++count[k];
    }
    const int isSigned = count[0], isUnsigned = count[1], isShort = count[2], longs = count[3], isInt = count[4],
              isChar = count[5], isFloat = count[6], isDouble = count[7];
    if (words.isEmpty() || isSigned > 1 || isUnsigned > 1 || isShort > 1 || longs > 2 || isInt > 1 || isChar > 1
        || isFloat > 1 || isDouble > 1 || (isSigned && isUnsigned))
        return Scalar();
    if (isFloat || isDouble) {
        if (isSigned || isUnsigned || isShort || isInt || isChar || (isFloat && (isDouble || longs))
            || (isDouble && longs > 1))
            return Scalar();
        return Scalar{ 'f', isFloat ? QStringLiteral("float") : longs ? QStringLiteral("long double") : QStringLiteral("double") };
    }
    if (isChar && (isShort || longs || isInt))
        return Scalar();
    if (isShort && longs)
        return Scalar();
    QString base = isChar ? QStringLiteral("char") : isShort ? QStringLiteral("short")
        : longs == 2 ? QStringLiteral("long long") : longs == 1 ? QStringLiteral("long") : QStringLiteral("int");
    if (isUnsigned)
        return Scalar{ 'u', QStringLiteral("unsigned ") + base };
    return Scalar{ 'i', isSigned && isChar ? QStringLiteral("signed char") : base };
}

// A parameter's type: its tokens with the name (the last identifier after
// a type) taken off; arrays and functions are passed as pointers.
Scalar parameter(const QStringList &declared)
{
    if (declared.contains(QStringLiteral("(")) || declared.contains(QStringLiteral("[")))
        return Scalar{ 'p', QStringLiteral("void *") };
    Scalar whole = scalar(declared);
    if (whole.kind != 0 || declared.size() < 2 || !isIdentifier(declared.last()))
        return whole;
    return scalar(declared.mid(0, declared.size() - 1));
}

} // namespace

StubDeclarations::StubDeclarations(const QStringList &texts)
{
    for (const QString &text : texts) {
        const QStringList all = tokens(text);
        QStringList statement;
        int braces = 0;
        for (const QString &token : all) {
            if (token == QLatin1String("{")) {
                // A function's body ends its definition; a struct's or an
                // initialiser's is passed over and the statement goes on.
                if (braces++ == 0 && !statement.isEmpty() && statement.last() == QLatin1String(")"))
                    statement.clear();
            } else if (token == QLatin1String("}")) {
                braces = qMax(0, braces - 1);
            } else if (braces == 0 && token == QLatin1String(";")) {
                readStatement(statement);
                statement.clear();
            } else if (braces == 0) {
                statement << token;
            }
        }
    }
}

void StubDeclarations::readStatement(const QStringList &tokens)
{
    if (tokens.isEmpty() || tokens.first() == QLatin1String("typedef"))
        return;
    // The type words, then the declared name.
    int i = 0;
    while (i < tokens.size() && (isIdentifier(tokens.at(i)) || tokens.at(i) == QLatin1String("*")))
        ++i;
    if (i < 2 || !isIdentifier(tokens.at(i - 1)))
        return;
    const QString name = tokens.at(i - 1);
    const QString after = i < tokens.size() ? tokens.at(i) : QStringLiteral(";");
    if (after != QLatin1String("(")) {
        if (after == QLatin1String(";") || after == QLatin1String("=") || after == QLatin1String("[")
            || after == QLatin1String(","))
            readObjects(tokens, i - 1);
        return;
    }
    if (m_functions.contains(name))
        return;
    Declaration declaration;
    declaration.returnWords = tokens.mid(0, i - 1);
    QStringList current;
    int depth = 0;
    for (int k = i + 1; k < tokens.size(); ++k) {
        const QString &token = tokens.at(k);
        if (token == QLatin1String("(")) {
            ++depth;
        } else if (token == QLatin1String(")")) {
            if (depth-- == 0) {
                if (!current.isEmpty())
                    declaration.parameters << current;
                declaration.empty = declaration.parameters.isEmpty();
                m_functions.insert(name, declaration);
                return;
            }
        } else if (token == QLatin1String(",") && depth == 0) {
            declaration.parameters << current;
            current.clear();
            continue;
        }
        current << token;
    }
}

void StubDeclarations::readObjects(const QStringList &tokens, int first)
{
    // The type words every declarator shares: those before the first one's "*".
    int typeEnd = first;
    while (typeEnd > 0 && tokens.at(typeEnd - 1) == QLatin1String("*"))
        --typeEnd;
    const QStringList typeWords = tokens.mid(0, typeEnd);
    int k = typeEnd;
    while (k < tokens.size()) {
        bool pointer = false;
        while (k < tokens.size() && (tokens.at(k) == QLatin1String("*") || qualifier(tokens.at(k)))) {
            pointer = pointer || tokens.at(k) == QLatin1String("*");
            ++k;
        }
        if (k >= tokens.size() || !isIdentifier(tokens.at(k)))
            return;
        const QString name = tokens.at(k++);
        const QString next = k < tokens.size() ? tokens.at(k) : QStringLiteral(";");
        if (next != QLatin1String("(")) {   // "int a, f(void);" declares a function
            m_objects << name;
            if (!pointer && next != QLatin1String("["))
                addVariable(typeWords, name, next == QLatin1String("="));
        }
        // On to the next declarator, past an initialiser or the array's size.
        int depth = 0;
        for (; k < tokens.size(); ++k) {
            const QString &token = tokens.at(k);
            if (token == QLatin1String("(") || token == QLatin1String("["))
                ++depth;
            else if (token == QLatin1String(")") || token == QLatin1String("]"))
                --depth;
            else if (token == QLatin1String(",") && depth == 0)
                break;
        }
        ++k;
    }
}

void StubDeclarations::addVariable(const QStringList &typeWords, const QString &name, bool initialised)
{
    // A static one is the text's own; a const one cannot be set; an extern
    // one without an initialiser is defined elsewhere, if anywhere.
    if (typeWords.contains(QStringLiteral("static")) || typeWords.contains(QStringLiteral("const"))
        || (typeWords.contains(QStringLiteral("extern")) && !initialised))
        return;
    const char kind = scalar(typeWords).kind;
    if (kind == 0 || kind == 'v' || kind == 'p')
        return;
    if (m_variableNames.contains(name))
        return;
    m_variableNames << name;
    static const QSet<QString> storage{ QStringLiteral("extern"), QStringLiteral("register"), QStringLiteral("__extension__") };
    QStringList written;
    for (const QString &word : typeWords) {
        if (!storage.contains(word))
            written << word;
    }
    m_variables << Variable{ name, written.join(QLatin1Char(' ')) };
}

SimulationStub StubDeclarations::stub(const QString &name) const
{
    SimulationStub stub;
    stub.name = name;
    const auto found = m_functions.constFind(name);
    if (found == m_functions.constEnd())
        return stub;
    const Scalar returned = scalar(found->returnWords);
    if (returned.kind == 0)
        return stub;
    stub.returns = returned.kind;
    stub.returnType = returned.type;
    QByteArray parameters;
    QStringList types;
    QVector<QStringList> list = found->parameters;
    if (list.size() == 1 && list.first() == QStringList{ QStringLiteral("void") })
        list.clear();
    if (!list.isEmpty() && list.last() == QStringList{ QStringLiteral("...") }) {
        stub.variadic = true;
        list.removeLast();
        if (list.isEmpty())
            return stub;   // "(...)" is no C99 prototype
    }
    if (list.size() > MaxParameters)
        return stub;
    for (const QStringList &tokens : qAsConst(list)) {
        const Scalar p = parameter(tokens);
        if (p.kind == 0 || p.kind == 'v')
            return stub;   // typed return, arguments unknown: "T NAME()"
        parameters += p.kind == 'c' ? 'i' : p.kind == 'b' ? 'u' : p.kind;
        types << p.type;
    }
    // "()" says nothing of the parameters: only the calls are recorded.
    stub.prototyped = !found->empty;
    if (stub.prototyped) {
        stub.parameters = parameters;
        stub.parameterTypes = types;
    }
    return stub;
}
