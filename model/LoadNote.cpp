#include "LoadNote.h"

#include <QStringList>

QString LoadNote::text() const
{
    QString line = kind;
    if (!label.isNull())
        line += QStringLiteral(" '%1'").arg(label);
    if (!diagram.isEmpty())
        line += QStringLiteral(" on '%1'").arg(diagram);
    return line + QStringLiteral(": ") + reason;
}

QStringList loadNoteTexts(const LoadNotes &notes)
{
    QStringList texts;
    texts.reserve(notes.size());
    for (const LoadNote &note : notes)
        texts << note.text();
    return texts;
}

int countNotes(const LoadNotes &notes, LoadNote::Effect effect)
{
    int count = 0;
    for (const LoadNote &note : notes)
        count += note.effect == effect;
    return count;
}
