#pragma once

// The placeholder filling of the generator's text templates (CEmitter::
// fillTemplate): %1, %2, ... are filled one step per value, each step
// replacing every occurrence of the lowest-numbered placeholder (%1 to %99)
// present in the text produced so far, so substituted text takes part in
// the following steps. QtCore only.

#include <QString>
#include <QStringList>

namespace TemplateFill {

// The filled text, or a null string as soon as it would pass `limit`
// characters.
QString fill(const QString &text, const QStringList &values, qint64 limit);

} // namespace TemplateFill
