#pragma once

// Taking a label from a property dialog's line edit when OK is pressed: the
// text loses its leading and trailing blanks, and a check that refuses it
// keeps the dialog open with a message box saying why and the line edit
// outlined in red.

#include "LabelCheck.h"

#include <QString>

class QLineEdit;
class QWidget;

namespace LabelEntry {

// The edit's text, trimmed, when check (if any) accepts it. Otherwise shows
// the refusal over dialog, outlines and focuses the edit and returns false.
bool take(QWidget *dialog, QLineEdit *edit, const LabelCheck &check, QString *label);

// Takes away the red outline of an earlier refusal.
void clearRefusal(QLineEdit *edit);

// The style sheet of a refused line edit.
QString refusedStyle();

} // namespace LabelEntry
