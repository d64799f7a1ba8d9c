#pragma once

// The sub-machines that go with copied states. Copy puts the records of the
// selected items on the clipboard (ClipRecords); the diagrams of the
// sub-machines the copied states hold travel beside them as a second part:
// the XML of a small project whose one machine diagram holds those states,
// followed by their sub-machines' blocks, as a save writes them. Paste
// makes the pasted states' sub-machines from it, one undo step each within
// the paste: a holder whose sub-machine the clip lacks gets an empty one.

#include "ProjectRecords.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

class Canvas;
class Project;
class StateItem;

namespace SubMachineClip {

// The MIME type of the second part.
QString mimeType();

// The sub-machines of the states of `canvas` whose records `copied` holds;
// empty when none of them holds one (or a diagram is missing).
QByteArray toXml(const QList<Canvas *> &canvases, const Canvas *canvas, const ProjectRecordLists &copied);
// Reads the second part; false for data that is not one.
bool fromXml(const QByteArray &xml, ProjectRecordLists *clip);

// How many levels of diagrams the copied states bring (0: none holds a
// sub-machine), with `clip` the second part (may be empty).
int depth(const ProjectRecordLists &copied, const ProjectRecordLists &clip);
// Whether the copied states fit on `canvas` with their sub-machines.
bool fitsDepth(const Canvas *canvas, const ProjectRecordLists &copied, const ProjectRecordLists &clip);

// After a paste on `canvas`: each pasted state (by its label in the clip)
// that holds a sub-machine gets it from `clip`, as undo steps on the
// canvas's stack.
void attach(Project *project, Canvas *canvas, const QHash<QString, StateItem *> &pasted,
            const ProjectRecordLists &clip);

} // namespace SubMachineClip
