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
    *picked = Prompter::current()->colour(dialog, QColor(Qt::white), QStringLiteral("Select Color"));
    paint(swatch, *picked);
    return true;
}

} // namespace ColourSwatch
