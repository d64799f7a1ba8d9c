#pragma once

// The values the main window keeps between runs in the settings store.
// The canvas size is only used as a complete pair; a pair with a missing
// half leaves the default in force. (Each diagram's zoom lives only while
// its project is open, in DiagramViewStates; none is stored.)

#include <QString>

class QSettings;

struct StoredSettings
{
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
