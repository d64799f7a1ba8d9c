#pragma once

// Writes a ProjectDocument as a project file (".qsmd"). QtCore only.
//
// The layout is fixed: XML declaration, QsmdProject, ProjectFiles with the
// tree text (line ends "\r\n"), SceneData version="v1.0", GraphicsItemList
// with the level-1 Process and the canvas blocks depth first (see
// GroupLayout). Attributes and child elements are written in the order the
// reader requires; coordinates in the shortest general form with six
// significant digits; colours as the text the record holds.
//
// Saving goes through CheckedSaveFile: the old file is replaced only when the
// whole new file has been written, so a refused or failed save leaves it
// as it was.

#include "ProjectDocument.h"

#include <QByteArray>
#include <QString>

class QIODevice;

class ProjectFileWriter
{
public:
    // Writes the document to `path`. On failure the file at `path` is
    // untouched and errorString() tells why.
    bool write(const ProjectDocument &document, const QString &path);

    // Writes the document into `bytes` (replacing its content).
    bool writeToBytes(const ProjectDocument &document, QByteArray *bytes);

    QString errorString() const { return m_error; }

private:
    bool writeTo(QIODevice *device, const ProjectDocument &document);

    QString m_error;
};
