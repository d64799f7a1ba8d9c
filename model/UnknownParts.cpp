#include "UnknownParts.h"

void UnknownParts::add(const char *kind, const QString &name, const QString &where, qint64 line)
{
    const QString key = QLatin1String(kind) + QLatin1Char('\n') + where + QLatin1Char('\n') + name;
    const auto found = m_index.constFind(key);
    if (found != m_index.cend()) {
        ++m_parts[found.value()].count;
        return;
    }
    if (m_parts.size() >= MaxNotes) {
        ++m_more;
        return;
    }
    m_index.insert(key, m_parts.size());
    m_parts.append(Part{QLatin1String(kind), name, where, line, 1});
}

LoadNotes UnknownParts::notes() const
{
    LoadNotes notes;
    for (const Part &part : m_parts) {
        LoadNote note;
        note.effect = LoadNote::Effect::Unknown;
        note.kind = part.kind;
        note.label = part.name;
        const QString place = part.count > 1
                                  ? QStringLiteral("%1, %2 times from line %3").arg(part.where).arg(part.count).arg(part.line)
                                  : QStringLiteral("%1, line %2").arg(part.where).arg(part.line);
        note.reason = place + QStringLiteral("; this version of Kestro does not know it, "
                                             "and saving over the file drops it");
        notes << note;
    }
    if (m_more > 0) {
        LoadNote note;
        note.effect = LoadNote::Effect::Unknown;
        note.kind = QStringLiteral("Unknown parts");
        note.reason = QStringLiteral("%1 more elements or attributes this version of Kestro does not "
                                     "know; saving over the file drops them")
                          .arg(m_more);
        notes << note;
    }
    return notes;
}
