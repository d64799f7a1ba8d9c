#pragma once

// Finds a text in the labels, conditions and actions (a state's entry and
// exit actions too) of every item of a
// project. It reads the document a save writes (ProjectDocument), so the
// window searches what the project holds, not what its widgets show, and
// every hit names its diagram by node path and its item by kind and
// position in that diagram's list of the kind (the order the document
// keeps). QtCore only.

#include "NodePath.h"

#include <QString>
#include <QStringList>
#include <QVector>

struct ProjectDocument;

struct SearchHit
{
    enum Field { Label, Condition, InitialCondition, Action, TextBody, EntryAction, ExitAction };

    NodePath diagram;          // the diagram the item is drawn on
    QStringList diagramNames;  // node names from the project down to that diagram
    // The item's kind: the index of its record's alternative in ItemRecord
    // (itemRecordIndex<StateRecord>()).
    int kind = 0;
    int index = -1;            // position among the diagram's items of the kind
    QString itemLabel;         // empty for text items
    Field field = Label;
    QString excerpt;           // the line of the field that holds the text

    bool operator==(const SearchHit &o) const;
    bool operator!=(const SearchHit &o) const { return !(*this == o); }

    // "Proj / HW / CPU / SW / Door"
    QString diagramText() const;
    // "State 'Idle'", "Text item 2"
    QString itemText() const;
    // "condition: (door == OPEN)"
    QString matchText() const;
};

namespace ProjectSearch {

// Every field of every item holding `text`, diagrams in tree order and,
// within a diagram, process items, then the kinds in file order (links,
// memory items, dataflows, states, transitions, text items; see
// ItemRecordTypes), each kind in list order. An empty or
// blank-only text finds nothing.
QVector<SearchHit> find(const ProjectDocument &document, const QString &text,
                        Qt::CaseSensitivity sensitivity = Qt::CaseInsensitive);

} // namespace ProjectSearch
