#pragma once

// At start: offers the unsaved changes that a session which ended without
// closing properly (a crash, a kill, a power cut) left in its recovery
// folder. Each good copy, newest first, is offered with Recover, Discard
// and Later until one is recovered; Later keeps it for the next start. A
// copy that fails its check is reported and moved aside, never deleted.
// A copy whose file was saved after it was taken is said to be older, and
// offered only as a separate unsaved project, never over the file.

#include <QString>

class ProjectWindow;
class RecoveryStore;
struct RecoveryCandidate;

class RecoveryOffer
{
public:
    // Returns the project file whose changes were recovered, or an empty
    // text when none was.
    static QString run(ProjectWindow *window, RecoveryStore &store);

    // The question asked about a copy.
    static QString questionText(const RecoveryCandidate &candidate);
    // What is said about a copy older than its file.
    static QString staleText(const RecoveryCandidate &candidate);

private:
    // True when the copy was opened as a separate project.
    static bool offerStale(ProjectWindow *window, RecoveryStore &store, const RecoveryCandidate &candidate);
    static void reportDamaged(ProjectWindow *window, RecoveryStore &store, const RecoveryCandidate &candidate);
};
