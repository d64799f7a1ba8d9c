#include "DiagramRender.h"

#include "Canvas.h"
#include "DiagramFont.h"
#include "DiagramPicture.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSvgGenerator>

#include <cmath>

namespace DiagramRender {

namespace {

// Height of the title line above a titled page, in picture units.
constexpr qreal TitleHeight = 32.0;
// Paper margin around a picture fitted to a paper size, in millimetres.
constexpr qreal PaperMarginMm = 10.0;

QSize pixelSize(const QRectF &area, int scale)
{
    return QSize(int(std::ceil(area.width() * scale)), int(std::ceil(area.height() * scale)));
}

// The title line: `left` at the left edge, `right` at the right edge, both
// elided to share the width, and a rule below.
void paintTitle(QPainter *painter, const QRectF &rect, const QString &left, const QString &right)
{
    painter->save();
    QFont font = DiagramFont::font();
    font.setPixelSize(int(rect.height() * 0.45));
    painter->setFont(font);
    painter->setPen(Qt::black);
    const QFontMetricsF metrics(font, painter->device());
    const qreal rightWidth = right.isEmpty() ? 0 : qMin(metrics.horizontalAdvance(right), rect.width() / 3);
    const QRectF text = rect.adjusted(6, 2, -6, -rect.height() * 0.25);
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                      metrics.elidedText(left, Qt::ElideMiddle, text.width() - rightWidth - 10));
    if (!right.isEmpty()) {
        painter->drawText(text, Qt::AlignRight | Qt::AlignVCenter,
                          metrics.elidedText(right, Qt::ElideRight, rightWidth));
    }
    painter->drawLine(QPointF(rect.left(), text.bottom()), QPointF(rect.right(), text.bottom()));
    painter->restore();
}

QPageLayout pageLayoutFor(const QRectF &area, bool titled, const ExportOptions &options)
{
    const QSizeF picture(area.width(), area.height() + (titled ? TitleHeight : 0));
    if (options.page == ExportOptions::Page::Paper) {
        const QPageLayout::Orientation orientation =
            picture.width() > picture.height() ? QPageLayout::Landscape : QPageLayout::Portrait;
        const qreal m = PaperMarginMm;
        return QPageLayout(QPageSize(options.paper), orientation, QMarginsF(m, m, m, m),
                           QPageLayout::Millimeter);
    }
    // One picture unit is one pixel at Dpi; the page is measured in points.
    const QSizeF points = picture * 72.0 / Dpi;
    return QPageLayout(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch),
                       QPageLayout::Portrait, QMarginsF());
}

} // namespace

QImage image(Canvas *canvas, const ExportOptions &options, QString *error)
{
    const DiagramPicture picture(canvas);
    const int scale = qBound(ExportOptions::MinScale, options.scale, ExportOptions::MaxScale);
    const QSize size = pixelSize(picture.area(), scale);
    if (size.width() > MaxImageSide || size.height() > MaxImageSide
        || qint64(size.width()) * size.height() * 4 > MaxImageBytes) {
        if (error) {
            *error = QStringLiteral("The picture would be %1 × %2 pixels, too large for a PNG image; "
                                    "choose a smaller scale or SVG.")
                         .arg(size.width())
                         .arg(size.height());
        }
        return QImage();
    }
    QImage result(size, QImage::Format_ARGB32_Premultiplied);
    result.setDotsPerMeterX(qRound(Dpi * scale / 0.0254));
    result.setDotsPerMeterY(qRound(Dpi * scale / 0.0254));
    result.fill(options.transparent ? Qt::transparent : Qt::white);
    QPainter painter(&result);
    picture.paint(&painter, QRectF(QPointF(0, 0), size));
    return result;
}

QByteArray png(Canvas *canvas, const ExportOptions &options, QString *error)
{
    const QImage picture = image(canvas, options, error);
    if (picture.isNull())
        return QByteArray();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG")) {
        if (error)
            *error = QStringLiteral("The PNG image could not be encoded.");
        return QByteArray();
    }
    return bytes;
}

QByteArray svg(const Page &page)
{
    const DiagramPicture picture(page.canvas);
    const QSize size = pixelSize(picture.area(), 1);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setResolution(Dpi);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(page.title);
    generator.setDescription(QStringLiteral("Kestro diagram"));
    QPainter painter(&generator);
    // The generator writes the painter's font with every group, the
    // background's too: the canvas's, not the application's.
    painter.setFont(page.canvas->font());
    // Without a background the picture would show whatever it is put on.
    painter.fillRect(QRect(QPoint(0, 0), size), picture.background());
    picture.paint(&painter, QRectF(QPointF(0, 0), size));
    painter.end();
    return bytes;
}

QByteArray pdf(const QList<Page> &pages, const ExportOptions &options, bool titled,
               const QString &documentTitle)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(Dpi);
    writer.setTitle(documentTitle);
    writer.setCreator(QStringLiteral("Kestro"));
    QPainter painter;
    for (int i = 0; i < pages.size(); ++i) {
        const DiagramPicture picture(pages.at(i).canvas);
        writer.setPageLayout(pageLayoutFor(picture.area(), titled, options));
        if (i == 0 ? !painter.begin(&writer) : !writer.newPage())
            return QByteArray();
        QRectF rect = writer.pageLayout().paintRectPixels(Dpi);
        rect.moveTopLeft(QPointF(0, 0));
        if (titled) {
            paintTitle(&painter, QRectF(rect.topLeft(), QSizeF(rect.width(), TitleHeight)),
                       pages.at(i).title, QString());
            rect.setTop(rect.top() + TitleHeight);
        }
        picture.paint(&painter, rect);
    }
    if (painter.isActive() && !painter.end())
        return QByteArray();
    return bytes;
}

QByteArray fileBytes(const Page &page, const ExportOptions &options, QString *error)
{
    switch (options.format) {
    case ExportOptions::Format::Png:
        return png(page.canvas, options, error);
    case ExportOptions::Format::Pdf: {
        const QByteArray bytes = pdf({page}, options, false, page.title);
        if (bytes.isEmpty() && error)
            *error = QStringLiteral("The PDF document could not be made.");
        return bytes;
    }
    case ExportOptions::Format::Svg:
        break;
    }
    return svg(page);
}

QPageLayout::Orientation orientation(Canvas *canvas)
{
    const DiagramPicture picture(canvas);
    const QSizeF size = picture.area().size();
    return size.width() > size.height() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

bool print(QPrinter *printer, Canvas *canvas, const QString &path, const QString &projectName,
           QString *error)
{
    const DiagramPicture picture(canvas);
    QPainter painter;
    if (!painter.begin(printer)) {
        if (error)
            *error = QStringLiteral("The printer could not be started.");
        return false;
    }
    // Everything in picture units, whatever the printer's resolution.
    const qreal toDevice = printer->resolution() / qreal(Dpi);
    painter.scale(toDevice, toDevice);
    QRectF rect = printer->pageLayout().paintRectPixels(printer->resolution());
    rect = QRectF(QPointF(0, 0), rect.size() / toDevice);
    paintTitle(&painter, QRectF(rect.topLeft(), QSizeF(rect.width(), TitleHeight)), path, projectName);
    rect.setTop(rect.top() + TitleHeight);
    picture.paint(&painter, rect);
    return painter.end();
}

} // namespace DiagramRender
