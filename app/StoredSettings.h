#pragma once

// The values the main window keeps between runs in the settings store.
// The view scale and the canvas size are only used as complete pairs; a
// pair with a missing half leaves the default in force.

#include <QString>

class QSettings;

struct StoredSettings
{
    double scaleX = 1.0;
    double scaleY = 1.0;
    int canvasWidth = 2000;
    int canvasHeight = 1050;
    QString author;
    QString organization;
    bool hasVersion = false;   // false: the code generator's own default applies
    double version = 0.0;
};

// Reads the keys present in settings over the defaults above.
StoredSettings readStoredSettings(QSettings &settings);
// Writes every value; "version" only when one is known.
void writeStoredSettings(QSettings &settings, const StoredSettings &values);
