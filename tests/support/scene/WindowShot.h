#pragma once

// With KESTRO_SHOTS naming a folder, saves a picture of the widget there as
// NAME.png, for a person to look at what a test drove; otherwise nothing.

class QWidget;

void saveWindowShot(QWidget *widget, const char *name);
