#pragma once

// The examples the README shows as indented blocks, for tests that run
// them as they are written there.

#include <QByteArray>
#include <QString>

// The block of lines indented by four blanks, without the indentation, that
// starts `offset` lines after the line equal to `marker` in the file at
// `readmePath`; empty when there is no such line.
QByteArray readmeBlock(const QString &readmePath, const QString &marker, int offset = 0);
