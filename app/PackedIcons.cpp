#include "PackedIcons.h"

#include "PackedImage.h"

#include <QImage>
#include <QPixmap>

QIcon PackedIcons::icon(const QString &name)
{
    QIcon icon;
    for (int i = 0; i < kPackedImageCount; ++i) {
        const PackedImage &packed = kPackedImages[i];
        if (name != QLatin1String(packed.name))
            continue;
        // A QImage over the build's pixels, already in the pixmap's format
        // for the screen: the pixmap shares them instead of converting a
        // copy (it copies them only if something paints on it). On a screen
        // of another depth the pixmap converts them to its format.
        const QImage image(packed.bits, packed.width, packed.height, packed.bytesPerLine,
                           QImage::Format(packed.format));
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}
