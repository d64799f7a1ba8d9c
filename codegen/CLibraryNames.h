#pragma once

// The identifiers the hosted C library declares in its standard headers
// (functions, macros, types, and the alternative spellings of <iso646.h>):
// a state function or variable of that name clashes as soon as the header
// is included. QtCore only.

#include <QString>

namespace CLibraryNames {

bool contains(const QString &name);

} // namespace CLibraryNames
