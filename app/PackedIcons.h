#pragma once

// Kestro's own icons from pixels decoded at build time (PackedImage). An
// icon made here shows the same pixels at every size and in every mode as
// one made from its image file, without decoding the file: the window's
// toolbar and menus get their icons at start for the cost of a copy.

#include <QIcon>
#include <QString>

class PackedIcons
{
public:
    // The icon of the image named name (its file name without extension);
    // a null icon when no image has that name.
    static QIcon icon(const QString &name);
};
