#pragma once

// The elements and attributes of a project file that the reader passed over
// without knowing them: one load note per kind ("Element", "Attribute"),
// place and name, with the line of the first and how often it came. At most
// MaxNotes such notes are kept; the rest are only counted, in one note more,
// so a file full of strange names costs time and memory in proportion to
// its size, and a list a person can read. QtCore only.

#include "LoadNote.h"

#include <QHash>
#include <QString>
#include <QVector>

class UnknownParts
{
public:
    static constexpr int MaxNotes = 50;

    // `where` says where in the file: "in StateItem", "of Link", ...
    void add(const char *kind, const QString &name, const QString &where, qint64 line);
    // LoadNote::Effect::Unknown notes, in the order first met.
    LoadNotes notes() const;

private:
    struct Part
    {
        QString kind, name, where;
        qint64 line = 0;
        int count = 0;
    };
    QVector<Part> m_parts;
    QHash<QString, int> m_index;   // kind, place and name -> position in m_parts
    int m_more = 0;
};
