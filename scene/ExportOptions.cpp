#include "ExportOptions.h"

QString ExportOptions::suffix(Format format)
{
    switch (format) {
    case Format::Png: return QStringLiteral("png");
    case Format::Pdf: return QStringLiteral("pdf");
    case Format::Svg: break;
    }
    return QStringLiteral("svg");
}

bool ExportOptions::formatFromSuffix(const QString &suffix, Format *format)
{
    for (Format f : {Format::Svg, Format::Png, Format::Pdf}) {
        if (suffix.compare(ExportOptions::suffix(f), Qt::CaseInsensitive) == 0) {
            *format = f;
            return true;
        }
    }
    return false;
}
