#pragma once

// How diagrams are turned into picture files: the format, and for PNG the
// scale and the background, for PDF the page.

#include <QPageSize>
#include <QString>

struct ExportOptions
{
    enum class Format { Svg, Png, Pdf };
    enum class Page { FitItems, Paper };

    Format format = Format::Svg;
    // PNG: pixels per scene unit, 1 to 4.
    int scale = 1;
    // PNG: a transparent background instead of white.
    bool transparent = false;
    // PDF: one page the size of the picture, or a paper size the picture
    // is fitted to.
    Page page = Page::FitItems;
    QPageSize::PageSizeId paper = QPageSize::A4;

    static constexpr int MinScale = 1;
    static constexpr int MaxScale = 4;

    // "svg", "png" or "pdf".
    static QString suffix(Format format);
    // The format a suffix names (case ignored); false for anything else.
    static bool formatFromSuffix(const QString &suffix, Format *format);
};
