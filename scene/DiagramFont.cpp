#include "DiagramFont.h"

QFont DiagramFont::font()
{
    // The size the canvas showed on a usual desktop (9 points at 96 dots
    // per inch) before diagrams had a font of their own.
    constexpr int PixelSize = 12;
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(PixelSize);
    return font;
}
