#include "SimulationReplay.h"

#include <cstring>

QString SimulationReplay::literal(const SimulationVariable &variable, quint64 bits)
{
    if (variable.kind == 'f') {
        if (variable.size == int(sizeof(float))) {
            const quint32 low = quint32(bits);
            float f = 0;
            std::memcpy(&f, &low, sizeof f);
            return QString::number(double(f), 'g', 9);
        }
        double d = 0;
        std::memcpy(&d, &bits, sizeof d);
        return QString::number(d, 'g', 17);
    }
    if (variable.kind == 'i') {
        // The explorer writes signed values widened to 64 bits.
        qint64 value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return QString::number(value);
    }
    return QString::number(bits);
}

QString SimulationReplay::script(const QVector<SimulationVariable> &variables, const SimulationFailure &failure,
                                 const QString &heading)
{
    QString text = QStringLiteral("# %1\n# %2\nreset\n").arg(QString(heading).replace(QLatin1Char('\n'), QLatin1Char(' ')),
                                                            QString(failure.message).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    qint64 done = 0;   // cycles the script has run after the reset
    for (const SimulationGiven &given : failure.replay) {
        if (given.variable < 0 || given.variable >= variables.size() || given.cycle > failure.cycle)
            continue;
        // A value given for cycle N is set once cycle N - 1 has run.
        if (given.cycle - 1 > done) {
            text += QStringLiteral("step %1\n").arg(given.cycle - 1 - done);
            done = given.cycle - 1;
        }
        const SimulationVariable &v = variables.at(given.variable);
        text += QStringLiteral("set %1 %2\n").arg(v.name, literal(v, given.bits));
    }
    if (failure.cycle > done)
        text += QStringLiteral("step %1\n").arg(failure.cycle - done);
    return text;
}
