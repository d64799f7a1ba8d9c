#pragma once

// Pictures of diagrams in every export format, and printing. All of them
// draw a canvas through DiagramPicture, so the application, printing and
// the command line show the same picture: the items' area plus a margin,
// without shadows, selection, marks or editor helpers.
//
// The picture's unit is one scene unit at 96 dots per inch, the resolution
// the items are laid out for; SVG and PDF are written at that resolution
// so that text keeps its size against the boxes around it.

#include "ExportOptions.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPageLayout>
#include <QString>

class Canvas;
class QPrinter;

namespace DiagramRender {

constexpr int Dpi = 96;
// Largest PNG side and size accepted; beyond, the picture is refused.
constexpr int MaxImageSide = 32767;
constexpr qint64 MaxImageBytes = qint64(512) * 1024 * 1024;

// One diagram with the title it is known by (its path in the tree).
struct Page
{
    Canvas *canvas = nullptr;
    QString title;
};

// The diagram as an image at options.scale, on white or transparent. A
// null image (and `error`) when it would be too large.
QImage image(Canvas *canvas, const ExportOptions &options, QString *error = nullptr);

// The file contents of one diagram in options.format; empty (and `error`)
// on failure. `title` becomes the SVG's title.
QByteArray fileBytes(const Page &page, const ExportOptions &options, QString *error = nullptr);
QByteArray png(Canvas *canvas, const ExportOptions &options, QString *error = nullptr);
// Vector drawing with text as text; the same diagram gives the same bytes.
QByteArray svg(const Page &page);
// One page per diagram, each fitted to its items or to the paper as
// options says. With `titled`, every page shows its diagram's title above
// the picture. `documentTitle` goes into the PDF's properties.
QByteArray pdf(const QList<Page> &pages, const ExportOptions &options, bool titled,
               const QString &documentTitle);

// The paper orientation that suits the diagram's picture best.
QPageLayout::Orientation orientation(Canvas *canvas);

// Prints the diagram onto one page of `printer`, fitted below a header line
// that shows `path` on the left and `projectName` on the right. False
// (and `error`) when the printer cannot be used.
bool print(QPrinter *printer, Canvas *canvas, const QString &path, const QString &projectName,
           QString *error = nullptr);

} // namespace DiagramRender
