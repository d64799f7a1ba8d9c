#pragma once

// Recognises the first start of Kestro for an installation and user, and
// starts the app tour then.

class MainWindow;
class QSettings;
class QString;

namespace FirstStart {

// How long after the window appears the first-start tour begins.
constexpr int TourDelayMs = 200;

// The settings key that records that Kestro has started before.
QString settingsKey();

// True on the first call ever for this settings store; records the start
// at once, so that every later call (in this run or any later one) is false.
bool claim(QSettings &settings);

// For the entry point: on the first start (claimed in the application's
// settings store) arranges for the window's app tour to begin TourDelayMs
// later. Returns whether it did.
bool scheduleTourOnFirstStart(MainWindow *window);

} // namespace FirstStart
