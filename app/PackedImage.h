#pragma once

// One image of Kestro's own icons, decoded at build time by
// kestro-pack-images: the pixels as the image reader gave them, so that a
// QImage over them equals the one read from the file.

#include <QtGlobal>

struct PackedImage
{
    const char *name;
    int width;
    int height;
    int bytesPerLine;
    int format; // QImage::Format
    int dotsPerMeterX;
    int dotsPerMeterY;
    const uchar *bits;
};

// The table the build writes (PackedImageData.cpp); the images of one name
// follow each other.
extern const PackedImage kPackedImages[];
extern const int kPackedImageCount;
