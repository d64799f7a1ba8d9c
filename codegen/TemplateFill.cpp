#include "TemplateFill.h"

namespace {

// A placeholder is "%" and one or two digits without a leading zero (1..99).
// Returns its number, or 0 when none starts at pos; *length gets its size.
int placeholderAt(const QString &text, int pos, int *length)
{
    if (text.at(pos) != QLatin1Char('%') || pos + 1 >= text.size())
        return 0;
    const QChar first = text.at(pos + 1);
    if (first < QLatin1Char('1') || first > QLatin1Char('9'))
        return 0;
    int number = first.unicode() - '0';
    *length = 2;
    if (pos + 2 < text.size() && text.at(pos + 2).isDigit() && text.at(pos + 2).unicode() < 128) {
        number = number * 10 + (text.at(pos + 2).unicode() - '0');
        *length = 3;
    }
    return number;
}

int lowestPlaceholder(const QString &text)
{
    int lowest = 0;
    for (int i = 0; i < text.size(); ++i) {
        int length = 0;
        const int number = placeholderAt(text, i, &length);
        if (number > 0 && (lowest == 0 || number < lowest))
            lowest = number;
        if (number > 0)
            i += length - 1;
    }
    return lowest;
}

QString replacePlaceholder(const QString &text, int number, const QString &value)
{
    QString result;
    result.reserve(text.size() + value.size());
    for (int i = 0; i < text.size(); ++i) {
        int length = 0;
        const int found = placeholderAt(text, i, &length);
        if (found == number) {
            result += value;
            i += length - 1;
        } else if (found > 0) {
            result += text.midRef(i, length);
            i += length - 1;
        } else {
            result += text.at(i);
        }
    }
    return result;
}

// The size of `text` once every placeholder `number` is replaced by `value`.
qint64 sizeAfterReplacing(const QString &text, int number, const QString &value)
{
    qint64 size = text.size();
    for (int i = 0; i < text.size(); ++i) {
        int length = 0;
        const int found = placeholderAt(text, i, &length);
        if (found == number)
            size += value.size() - length;
        if (found > 0)
            i += length - 1;
    }
    return size;
}

} // namespace

namespace TemplateFill {

QString fill(const QString &text, const QStringList &values, qint64 limit)
{
    QString result = text;
    for (const QString &value : values) {
        const int number = lowestPlaceholder(result);
        if (number == 0)
            break;
        // Values put into the text take part in the later steps, so the text
        // can grow many times over: its size is known before it is built.
        if (sizeAfterReplacing(result, number, value) > limit)
            return QString();
        result = replacePlaceholder(result, number, value);
    }
    if (result.size() > limit)
        return QString();
    return result;
}

} // namespace TemplateFill
