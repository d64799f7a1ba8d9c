#include "ItemRef.h"

#include "MachineDescription.h"

#include <algorithm>

namespace {

bool needsEscape(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\t') || c.category() == QChar::Other_Control
           || c.category() == QChar::Other_Format;
}

} // namespace

QString printableText(const QString &label)
{
    // Most labels are printable as they are and are shared, not copied.
    if (std::none_of(label.cbegin(), label.cend(), needsEscape))
        return label;
    QString text;
    text.reserve(label.size() + 16);
    for (const QChar c : label) {
        if (c == QLatin1Char('\n'))
            text += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            text += QLatin1String("\\t");
        else if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            text += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            text += c;
    }
    return text;
}

QString printableLabel(const QString &label)
{
    const QString text = printableText(label);
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted += QLatin1Char('\'');
    quoted += text;
    quoted += QLatin1Char('\'');
    return quoted;
}

QString ItemRef::describe(const MachineDescription &top) const
{
    if (subMachine >= 0 && subMachine < int(top.subMachines.size())) {
        const MachineDescription &sub = top.subMachines.at(size_t(subMachine));
        const QString where = printableLabel(sub.processLabel);
        if (kind == Machine)
            return QStringLiteral("Sub-machine ") + where;
        return ItemRef::of(kind, index).describe(sub) + QStringLiteral(" in sub-machine ") + where;
    }
    const MachineDescription &m = top;
    switch (kind) {
    case State:
        if (index >= 0 && index < m.states.size())
            return QStringLiteral("State ") + printableLabel(m.states.at(index).label);
        break;
    case Transition:
        if (index >= 0 && index < m.transitions.size())
            return QStringLiteral("Transition ") + printableLabel(m.transitions.at(index).label);
        break;
    case Text:
        return QStringLiteral("Text item %1").arg(index + 1);
    case Memory:
        if (index >= 0 && index < m.memories.size())
            return QStringLiteral("Memory item ") + printableLabel(m.memories.at(index).label);
        break;
    case Machine:
        break;
    }
    return QStringLiteral("State machine ") + printableLabel(m.processLabel);
}

QVector<int> ItemRef::nodePath(const MachineDescription &top) const
{
    if (subMachine >= 0 && subMachine < int(top.subMachines.size()))
        return top.subMachines.at(size_t(subMachine)).nodePath;
    return top.nodePath;
}
