#pragma once

// Recognises the first start of Kestro for an installation and user, and
// starts the app tour then.

class ProjectWindow;
class QSettings;
class QString;

namespace FirstStart {

// How long after the window appears the first-start tour begins.
constexpr int TourDelayMs = 200;

// The settings key that records that the first-start tour has been offered.
QString settingsKey();

// Whether the first start is still to come for this settings store.
bool isPending(QSettings &settings);
// Records that it has happened, at once: a crash later in the run must not
// bring the tour back.
void markDone(QSettings &settings);

// For the entry point: while the first start is pending and there is a
// sample project to tour, arranges for the window's app tour to begin
// TourDelayMs later, and returns true. The first start counts as done once
// the tour has started or the user has declined it; a tour that cannot
// start (no sample project, or one that cannot be read) leaves it pending
// for a later start.
bool scheduleTourOnFirstStart(ProjectWindow *window);

} // namespace FirstStart
