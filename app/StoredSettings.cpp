#include "StoredSettings.h"

#include <QSettings>

namespace {
const QString kCanvasWidth = QStringLiteral("canvas_width");
const QString kCanvasHeight = QStringLiteral("canvas_height");
const QString kAuthor = QStringLiteral("author");
const QString kOrganization = QStringLiteral("organization");
const QString kVersion = QStringLiteral("version");
} // namespace

StoredSettings readStoredSettings(QSettings &settings)
{
    StoredSettings values;
    if (settings.contains(kCanvasWidth) && settings.contains(kCanvasHeight)) {
        bool okW = false;
        bool okH = false;
        const int w = settings.value(kCanvasWidth).toInt(&okW);
        const int h = settings.value(kCanvasHeight).toInt(&okH);
        if (okW && okH && w >= 0 && h >= 0) {
            values.canvasWidth = w;
            values.canvasHeight = h;
        }
    }
    if (settings.contains(kAuthor))
        values.author = settings.value(kAuthor).toString();
    if (settings.contains(kOrganization))
        values.organization = settings.value(kOrganization).toString();
    if (settings.contains(kVersion)) {
        bool ok = false;
        const double v = settings.value(kVersion).toDouble(&ok);
        if (ok) {
            values.hasVersion = true;
            values.version = v;
        }
    }
    return values;
}

void writeStoredSettings(QSettings &settings, const StoredSettings &values)
{
    settings.setValue(kAuthor, values.author);
    settings.setValue(kOrganization, values.organization);
    if (values.hasVersion)
        settings.setValue(kVersion, values.version);
    settings.setValue(kCanvasWidth, values.canvasWidth);
    settings.setValue(kCanvasHeight, values.canvasHeight);
    settings.sync();
}
