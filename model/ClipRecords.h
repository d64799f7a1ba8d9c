#pragma once

// Items copied to the clipboard: their records as the XML of a small
// project file, written and read by the project file writer and reader, so
// the clipboard holds exactly what a saved file would. QtCore only.
//
// The clip is a project whose first canvas below the root holds the copied
// items, labelled "Clipboard"; copied process items follow it as process
// records of their own. Identity numbers (level, ids) are not kept: the
// canvas an item is pasted on gives it new ones.

#include "ProjectRecords.h"

#include <QByteArray>
#include <QString>

namespace ClipRecords {

// The MIME type of Kestro's clips.
QString mimeType();

// The XML of the items (their treeText is ignored); empty when the writer
// refuses them.
QByteArray toXml(const ProjectRecordLists &items);

// Reads a clip written by toXml into `items`. False, with the reader's
// reason in `error`, for data that is not such a clip.
bool fromXml(const QByteArray &xml, ProjectRecordLists *items, QString *error);

// Whether the clip holds no item at all.
bool isEmptyClip(const ProjectRecordLists &items);

} // namespace ClipRecords
