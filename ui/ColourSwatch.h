#pragma once

// The colour swatch shared by the item property dialogs: a label with an
// empty text whose background shows a colour. The dialog watches the label
// and hands its events to pickOnPress(), which asks for a new colour on a
// mouse press.

#include <QColor>
#include <QString>

class QEvent;
class QLabel;
class QObject;
class QWidget;

namespace ColourSwatch {

// "background-color:rgb(r,g,b);" in decimal; an invalid colour reads as black.
QString styleSheet(const QColor &colour);

// Shows colour on the swatch.
void paint(QLabel *swatch, const QColor &colour);

// When event is a mouse-button press on swatch: opens the colour chooser
// (parent dialog, title "Select Color") on *picked (white while that is
// invalid); a chosen colour goes to *picked and onto the swatch, a
// cancelled chooser changes neither. Returns true when the chooser was
// opened.
bool pickOnPress(QObject *watched, QEvent *event, QLabel *swatch, QWidget *dialog, QColor *picked);

} // namespace ColourSwatch
