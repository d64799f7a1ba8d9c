#include "SimulationLink.h"

#include <QRegularExpression>
#include <QSet>

namespace {

const QRegularExpression &undefinedPattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        "undefined (?:symbol '([A-Za-z_][A-Za-z0-9_]*)'|reference to [`'\"]([A-Za-z_][A-Za-z0-9_]*)['\"]"
        "|symbol: ([A-Za-z_][A-Za-z0-9_]*)\\s*$)"));
    return pattern;
}

} // namespace

QStringList SimulationLink::undefinedSymbols(const QString &output)
{
    QStringList symbols;
    QSet<QString> seen;
    const QStringList lines = output.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QRegularExpressionMatch m = undefinedPattern().match(line);
        if (!m.hasMatch())
            continue;
        const QString name = !m.captured(1).isEmpty() ? m.captured(1) : !m.captured(2).isEmpty() ? m.captured(2) : m.captured(3);
        if (seen.contains(name))
            continue;
        seen << name;
        symbols << name;
        if (symbols.size() >= MaxSymbols)
            break;
    }
    return symbols;
}

bool SimulationLink::isLinkMessage(const CompileCheck::Diagnostic &diagnostic)
{
    static const QRegularExpression linker(
        QStringLiteral("^(?:collect2|ld|[^:]*/ld|ld\\.[a-z]+|[^:]*/ld\\.[a-z]+|clang[^:]*): (?:error: )?"
                       "(?:ld returned|linker command failed)"));
    return undefinedPattern().match(diagnostic.text).hasMatch() || linker.match(diagnostic.text).hasMatch();
}

bool SimulationLink::isReserved(const QString &name)
{
    return name.startsWith(QLatin1String("kestro_sim_")) || name.startsWith(QLatin1String("ks_"))
        || name == QLatin1String("main");
}
