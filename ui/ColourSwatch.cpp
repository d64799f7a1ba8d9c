#include "ColourSwatch.h"

#include "Prompter.h"

#include <QEvent>
#include <QLabel>

namespace ColourSwatch {

QString styleSheet(const QColor &colour)
{
    return QStringLiteral("background-color:rgb(%1,%2,%3);")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue());
}

void paint(QLabel *swatch, const QColor &colour)
{
    swatch->setStyleSheet(styleSheet(colour));
}

bool pickOnPress(QObject *watched, QEvent *event, QLabel *swatch, QWidget *dialog, QColor *picked)
{
    if (watched != swatch || event->type() != QEvent::MouseButtonPress)
        return false;
    // The chooser starts on the colour shown; cancelling it keeps that colour.
    const QColor initial = picked->isValid() ? *picked : QColor(Qt::white);
    const QColor chosen = Prompter::current()->colour(dialog, initial, QStringLiteral("Select Color"));
    if (chosen.isValid()) {
        *picked = chosen;
        paint(swatch, chosen);
    }
    return true;
}

} // namespace ColourSwatch
