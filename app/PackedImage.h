#pragma once

// One image of Kestro's own icons, decoded at build time by
// kestro-pack-images: the pixels a pixmap made from the file's image holds
// (premultiplied, or without alpha when the image is opaque), so that a
// pixmap made from them takes them as they are.

#include <QtGlobal>

struct PackedImage
{
    const char *name;
    int width;
    int height;
    int bytesPerLine;
    int format; // QImage::Format
    const uchar *bits;
};

// The table the build writes (PackedImageData.cpp); the images of one name
// follow each other.
extern const PackedImage kPackedImages[];
extern const int kPackedImageCount;
