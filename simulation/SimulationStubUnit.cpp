#include "SimulationStubUnit.h"

#include "SimulationHarness.h"

namespace {

QString valuesName(int index)
{
    return QStringLiteral("kestro_sim_r%1").arg(index);
}

// "T NAME(T0 a0, T1 a1)", or "T NAME()" without a prototype.
QString head(const SimulationStub &stub)
{
    QStringList parameters;
    for (int k = 0; k < stub.parameterTypes.size(); ++k)
        parameters << stub.parameterTypes.at(k) + QStringLiteral(" a%1").arg(k);
    if (stub.prototyped && parameters.isEmpty() && !stub.variadic)
        parameters << QStringLiteral("void");
    if (stub.prototyped && stub.variadic)
        parameters << QStringLiteral("...");
    return stub.returnType + (stub.returnType.endsWith(QLatin1Char('*')) ? QString() : QStringLiteral(" ")) + stub.name
        + QLatin1Char('(') + (stub.prototyped ? parameters.join(QStringLiteral(", ")) : QString()) + QLatin1Char(')');
}

QString recordArgument(char kind, int k)
{
    switch (kind) {
    case 'u':
        return QStringLiteral("\tkestro_sim_stub_unsigned((unsigned long long)a%1);\n").arg(k);
    case 'f':
        return QStringLiteral("\tkestro_sim_stub_real((double)a%1);\n").arg(k);
    case 'p':
        return QStringLiteral("\tkestro_sim_stub_pointer((const void *)a%1);\n").arg(k);
    default:
        return QStringLiteral("\tkestro_sim_stub_signed((long long)a%1);\n").arg(k);
    }
}

QString definition(const SimulationStub &stub, int index)
{
    QString text;
    if (stub.returnsValue())
        text += QStringLiteral("static %1 %2[%3];\n").arg(stub.returnType, valuesName(index)).arg(SimulationStubUnit::Capacity);
    text += head(stub) + QStringLiteral("\n{\n");
    if (stub.returnsValue())
        text += QStringLiteral("\tconst int slot = kestro_sim_stub_call(%1);\n").arg(index);
    else
        text += QStringLiteral("\tkestro_sim_stub_call(%1);\n").arg(index);
    for (int k = 0; k < stub.parameters.size(); ++k)
        text += recordArgument(stub.parameters.at(k), k);
    if (stub.returnsValue())
        text += QStringLiteral("\treturn %1[slot];\n").arg(valuesName(index));
    else if (stub.returns == 'p')
        text += QStringLiteral("\treturn 0;\n");
    return text + QStringLiteral("}\n\n");
}

QString tableEntry(const SimulationStub &stub, int index)
{
    if (!stub.returnsValue())
        return QStringLiteral("\t{ \"%1\", 0, 0, '%2' },\n").arg(stub.name).arg(QLatin1Char(stub.returns));
    const QString first = valuesName(index) + QStringLiteral("[0]");
    return QStringLiteral("\t{ \"%1\", %2, (int)sizeof %3, KESTRO_SIM_KIND(%3) },\n").arg(stub.name, valuesName(index), first);
}

} // namespace

QString SimulationStubUnit::source(const QVector<SimulationStub> &stubs)
{
    QString text = QStringLiteral(
        "/* The functions the simulated machine calls that nothing defines, stubbed\n"
        " * by Kestro: each counts its calls and returns the value set for it. */\n"
        "#include <stddef.h>\n#include <stdint.h>\n\n");
    text += SimulationHarness::kindMacro();
    text += QStringLiteral(
        "struct kestro_sim_stub { const char *name; void *values; int size; char kind; };\n"
        "int kestro_sim_stub_call(int index);\n"
        "void kestro_sim_stub_signed(long long value);\n"
        "void kestro_sim_stub_unsigned(unsigned long long value);\n"
        "void kestro_sim_stub_real(double value);\n"
        "void kestro_sim_stub_pointer(const void *value);\n\n");
    for (int i = 0; i < stubs.size(); ++i)
        text += definition(stubs.at(i), i);
    text += QStringLiteral("const struct kestro_sim_stub kestro_sim_stubs[] = {\n");
    for (int i = 0; i < stubs.size(); ++i)
        text += tableEntry(stubs.at(i), i);
    if (stubs.isEmpty())
        text += QStringLiteral("\t{ 0, 0, 0, 0 },\n");
    text += QStringLiteral("};\nconst int kestro_sim_stub_count = %1;\nconst int kestro_sim_stub_capacity = %2;\n")
                .arg(stubs.size())
                .arg(Capacity);
    return text;
}
