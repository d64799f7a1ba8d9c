#pragma once

// The one font every diagram is measured and drawn in, on the canvas, in
// every picture file, in print and in kestro-cli: a sans-serif face at a
// size in pixels (scene units). It does not follow the desktop's font: a
// size in points would grow with a printer's resolution, and a font taken
// from the desktop would make the same project's boxes and pictures differ
// between the application and the command line, and between computers.

#include <QFont>

namespace DiagramFont {

QFont font();

} // namespace DiagramFont
