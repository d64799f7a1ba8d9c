#pragma once

// The record that tells a release without entry and exit actions that a
// file holds them. Such a release reads past the two optional child
// elements of a state and so would drop them on save without a word; but
// it cannot place this record (a state of level 0), so it lists the record
// in its load notes under a label that says what happened. The writer adds
// it to the first state group that holds a state with an entry or exit
// action; the reader recognises it and neither keeps nor reports it.
// QtCore only.

#include "ProjectRecords.h"

#include <QString>
#include <QVector>

namespace EntryExitMarker {

// The label, which an older release shows in its load notes.
QString label();
// The record as written.
StateRecord record();
// Whether a state record read from a file is the marker.
bool isMarker(const StateRecord &state);
// Whether a state has an entry or an exit action, so a file holding it
// needs the marker.
bool needsMarker(const StateRecord &state);
bool needsMarker(const QVector<StateRecord> &states);

} // namespace EntryExitMarker
