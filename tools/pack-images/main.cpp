// Build-time helper: decodes images and writes them as a C++ source of
// ready pixels, so that the window's icons need no image decoding at start.
//
//   kestro-pack-images OUTPUT.cpp NAME=FILE...
//
// Every image a file holds (an .ico holds several sizes) becomes one entry
// named NAME, in the order the image reader gives them. An entry holds the
// image a pixmap made from the file's image holds (premultiplied, or without
// alpha when every pixel is opaque), so that a pixmap made from the entry at
// start takes the pixels as they are: no copy, no conversion (a conversion of
// a large image starts Qt's thread pool). The pixels an icon made from the
// entries shows are those of an icon made from the file.

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

void writeBytes(QTextStream &out, const QImage &image)
{
    const auto *bits = image.constBits();
    const qsizetype count = qsizetype(image.bytesPerLine()) * image.height();
    for (qsizetype i = 0; i < count; ++i) {
        out << unsigned(bits[i]) << (i % 32 == 31 ? ",\n" : ",");
    }
}

} // namespace

int main(int argc, char **argv)
{
    // Pixmaps need the GUI application (run on the offscreen platform).
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: kestro-pack-images OUTPUT.cpp NAME=FILE...\n");
        return 2;
    }
    QString entries;
    QString data;
    QTextStream dataOut(&data);
    int index = 0;
    for (const QString &arg : args.mid(2)) {
        const int equals = arg.indexOf(QLatin1Char('='));
        const QString name = arg.left(equals);
        const QString file = arg.mid(equals + 1);
        QImageReader reader(file);
        QImage image;
        int images = 0;
        // Read as the icon engine reads a file: image after image while the
        // reader can move on to another.
        for (bool more = true; more && reader.read(&image); more = reader.jumpToNextImage()) {
            const QImage ready = QPixmap::fromImage(image).toImage();
            dataOut << "const uchar image" << index << "[] = {\n";
            writeBytes(dataOut, ready);
            dataOut << "};\n";
            entries += QStringLiteral("    {\"%1\", %2, %3, %4, %5, image%6},\n")
                           .arg(name)
                           .arg(ready.width())
                           .arg(ready.height())
                           .arg(ready.bytesPerLine())
                           .arg(int(ready.format()))
                           .arg(index);
            ++index;
            ++images;
        }
        if (images == 0) {
            std::fprintf(stderr, "kestro-pack-images: cannot read %s: %s\n", qPrintable(file),
                         qPrintable(reader.errorString()));
            return 1;
        }
    }
    QFile output(args.at(1));
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "kestro-pack-images: cannot write %s\n", qPrintable(args.at(1)));
        return 1;
    }
    QTextStream out(&output);
    out << "// Written by kestro-pack-images at build time; do not edit.\n"
        << "#include \"PackedImage.h\"\n\nnamespace {\n"
        << data << "} // namespace\n\n"
        << "const PackedImage kPackedImages[] = {\n"
        << entries << "};\n"
        << "const int kPackedImageCount = " << index << ";\n";
    out.flush();
    if (out.status() != QTextStream::Ok || !output.flush() || output.error() != QFileDevice::NoError) {
        std::fprintf(stderr, "kestro-pack-images: writing %s failed\n", qPrintable(args.at(1)));
        return 1;
    }
    return 0;
}
