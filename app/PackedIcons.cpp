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
        // A QImage over the build's pixels; the pixmap gets its own copy,
        // converted as a pixmap read from the file would be.
        QImage image(packed.bits, packed.width, packed.height, packed.bytesPerLine, QImage::Format(packed.format));
        image.setDotsPerMeterX(packed.dotsPerMeterX);
        image.setDotsPerMeterY(packed.dotsPerMeterY);
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}
