#pragma once

// The content of a new project: the five fixed nodes (project, hardware
// module, microcontroller, software module, one state machine) and on the
// state machine an initial and a secondary state joined by one transition.
// QtCore only.

#include "ProjectDocument.h"

#include <QString>

namespace DefaultProject {

// The tree text: "\r\n", the project name and the four fixed nodes
// indented by 4, 8, 12 and 16 blanks, every line ended by "\r\n".
QString treeText(const QString &projectName);

// The whole new project, in the new-project group layout.
ProjectDocument document(const QString &projectName);

// Writes the new project to `path`, replacing any file there. On failure
// `error` (if given) tells why and an existing file is left as it was.
bool write(const QString &path, const QString &projectName, QString *error = nullptr);
// The same for a new project's document as the caller adjusted it.
bool write(const QString &path, const ProjectDocument &document, QString *error = nullptr);

} // namespace DefaultProject
