#include "ValueCodec.h"

#include <cmath>

namespace ValueCodec {

QString formatNumber(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    return QString::number(value, 'g', 6);
}

bool parseInt(const QString &text, int *value)
{
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (ok && value)
        *value = v;
    return ok;
}

bool parseNumber(const QString &text, double *value)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    if (value)
        *value = v;
    return true;
}

bool parseFlag(const QString &text, bool *value)
{
    int number = 0;
    bool flag = false;
    if (parseInt(text, &number))
        flag = number != 0;
    else if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        flag = true;
    else if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        flag = false;
    else
        return false;
    if (value)
        *value = flag;
    return true;
}

QString formatPolygon(const PolygonPoints &points)
{
    QString text;
    text.reserve(points.size() * 10);
    for (int i = 0; i < points.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(',');
        text += formatNumber(points.at(i).x());
        text += QLatin1Char(',');
        text += formatNumber(points.at(i).y());
    }
    return text;
}

bool parsePolygon(const QString &text, PolygonPoints *points)
{
    PolygonPoints result;
    if (!text.isEmpty()) {
        const QVector<QStringRef> parts = text.splitRef(QLatin1Char(','));
        if (parts.size() % 2 != 0)
            return false;
        result.reserve(parts.size() / 2);
        for (int i = 0; i < parts.size(); i += 2) {
            double x = 0;
            double y = 0;
            if (!parseNumber(parts.at(i).toString(), &x)
                || !parseNumber(parts.at(i + 1).toString(), &y))
                return false;
            result.append(QPointF(x, y));
        }
    }
    if (points)
        *points = result;
    return true;
}

QString formatPoint(const QPointF &point)
{
    return formatNumber(point.x()) + QLatin1Char(',') + formatNumber(point.y());
}

bool parsePoint(const QString &text, QPointF *point)
{
    PolygonPoints points;
    if (!parsePolygon(text, &points) || points.size() != 1)
        return false;
    if (point)
        *point = points.first();
    return true;
}

QString joinLabels(const QStringList &labels)
{
    return labels.join(QLatin1Char(','));
}

QStringList splitLabels(const QString &text)
{
    if (text.isEmpty())
        return {};
    return text.split(QLatin1Char(','));
}

static bool isXmlChar(uint c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF)
        || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

QString xmlSafe(const QString &text)
{
    // Fast path: nearly every text is clean.
    bool clean = true;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u < 0x20 ? (u != 0x9 && u != 0xA && u != 0xD) : (u >= 0xD800 && (c.isSurrogate() || u >= 0xFFFE))) {
            clean = false;
            break;
        }
    }
    if (clean)
        return text;

    QString result;
    result.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const uint code = QChar::surrogateToUcs4(c, text.at(i + 1));
            if (isXmlChar(code)) {
                result += c;
                result += text.at(i + 1);
            }
            ++i;
            continue;
        }
        if (!c.isSurrogate() && isXmlChar(c.unicode()))
            result += c;
    }
    return result;
}

} // namespace ValueCodec
