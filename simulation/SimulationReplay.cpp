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

namespace {

// The line that gives `given`'s value, empty for one that names nothing.
QString givenLine(const QVector<SimulationVariable> &variables, const QVector<SimulationStub> &stubs,
                  const SimulationGiven &given)
{
    if (given.variable >= 0 && given.variable < variables.size()) {
        const SimulationVariable &v = variables.at(given.variable);
        return QStringLiteral("set %1 %2\n").arg(v.name, SimulationReplay::literal(v, given.bits));
    }
    if (given.variable >= 0 || given.stub < 0 || given.stub >= stubs.size() || !stubs.at(given.stub).returnsValue())
        return QString();
    // The explorer writes a stub's floating value as a double's bits and a
    // signed one (a plain char's too) widened to 64 bits.
    const SimulationStub &stub = stubs.at(given.stub);
    SimulationVariable value;
    value.kind = stub.returns == 'c' ? 'i' : stub.returns;
    value.size = int(sizeof(double));
    return QStringLiteral("stub %1 returns %2\n").arg(stub.name, SimulationReplay::literal(value, given.bits));
}

} // namespace

QString SimulationReplay::script(const QVector<SimulationVariable> &variables, const SimulationFailure &failure,
                                 const QString &heading, const QVector<SimulationStub> &stubs)
{
    QString text = QStringLiteral("# %1\n# %2\nreset\n").arg(QString(heading).replace(QLatin1Char('\n'), QLatin1Char(' ')),
                                                            QString(failure.message).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    qint64 done = 0;   // cycles the script has run after the reset
    for (const SimulationGiven &given : failure.replay) {
        const QString line = givenLine(variables, stubs, given);
        if (line.isEmpty() || given.cycle > failure.cycle)
            continue;
        // A value given for cycle N is set once cycle N - 1 has run.
        if (given.cycle - 1 > done) {
            text += QStringLiteral("step %1\n").arg(given.cycle - 1 - done);
            done = given.cycle - 1;
        }
        text += line;
    }
    if (failure.cycle > done)
        text += QStringLiteral("step %1\n").arg(failure.cycle - done);
    return text;
}
