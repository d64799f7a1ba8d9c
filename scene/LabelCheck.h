#pragma once

// How a property dialog asks whether a label may be taken. The diagram the
// item lives on knows which labels are in use there; the dialog only knows
// what the user typed. The check gets the text as entered and returns why
// it cannot be taken, or an empty text when it can.

#include <QString>

#include <functional>

using LabelCheck = std::function<QString(const QString &entered)>;
