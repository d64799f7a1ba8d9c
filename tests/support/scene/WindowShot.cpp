#include "WindowShot.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

void saveWindowShot(QWidget *widget, const char *name)
{
    const QString dir = qEnvironmentVariable("KESTRO_SHOTS");
    if (!dir.isEmpty())
        widget->grab().save(dir + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}
