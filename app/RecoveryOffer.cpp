#include "RecoveryOffer.h"

#include "Autosaver.h"
#include "ProjectActions.h"
#include "ProjectWindow.h"
#include "Prompter.h"
#include "RecoveryStore.h"

#include <QDir>
#include <QLocale>

namespace {
const QString kTitle = QStringLiteral("Kestro");

QString timeText(const QDateTime &time)
{
    return QLocale().toString(time.toLocalTime(), QLocale::ShortFormat);
}
} // namespace

QString RecoveryOffer::questionText(const RecoveryCandidate &candidate)
{
    return QStringLiteral("Kestro was not closed properly. Recover the unsaved changes of %1 from %2?")
        .arg(candidate.check.copy.projectName, timeText(candidate.check.copy.savedAt));
}

QString RecoveryOffer::staleText(const RecoveryCandidate &candidate)
{
    return QStringLiteral("The recovery copy of %1 from %2 is older than its file: %3 has been saved since the "
                          "copy was taken. Recovering the copy over the file would replace newer work.")
        .arg(candidate.check.copy.projectName, timeText(candidate.check.copy.savedAt),
             QDir::toNativeSeparators(candidate.check.copy.originalPath));
}

QString RecoveryOffer::run(ProjectWindow *window, RecoveryStore &store)
{
    const QVector<RecoveryCandidate> candidates = store.claimOrphans();
    for (const RecoveryCandidate &candidate : candidates) {
        if (candidate.check.status == RecoveryCheck::Damaged) {
            reportDamaged(window, store, candidate);
            continue;
        }
        if (originalChangedSince(candidate.check.copy)) {
            if (offerStale(window, store, candidate))
                return QString();
            continue;
        }
        MessageRequest request;
        request.icon = QMessageBox::Question;
        request.title = kTitle;
        request.text = questionText(candidate);
        request.informativeText = QDir::toNativeSeparators(candidate.check.copy.originalPath);
        if (!candidate.check.problem.isEmpty())
            request.detailedText = QStringLiteral("A newer copy is damaged: %1").arg(candidate.check.problem);
        request.buttons = QMessageBox::Yes | QMessageBox::Discard | QMessageBox::Cancel;
        request.defaultButton = QMessageBox::Yes;
        request.buttonTexts = {{QMessageBox::Yes, QStringLiteral("Recover")},
                               {QMessageBox::Cancel, QStringLiteral("Later")}};
        const QMessageBox::StandardButton answer = Prompter::current()->message(window->dialogParent(), request);
        if (answer == QMessageBox::Discard) {
            store.discard(candidate);
            continue;
        }
        if (answer != QMessageBox::Yes)
            continue;   // Later: kept for the next start
        const QString copy = QDir(candidate.folder).filePath(candidate.check.copy.file);
        if (!window->projectActions()->openRecovered(copy, candidate.check.copy.originalPath)) {
            reportDamaged(window, store, candidate);
            continue;
        }
        // The recovered copy stays on disk until this session writes a newer one.
        window->autosaver()->adopt(candidate);
        return candidate.check.copy.originalPath;
    }
    return QString();
}

bool RecoveryOffer::offerStale(ProjectWindow *window, RecoveryStore &store, const RecoveryCandidate &candidate)
{
    MessageRequest request;
    request.icon = QMessageBox::Warning;
    request.title = kTitle;
    request.text = staleText(candidate);
    request.informativeText = QStringLiteral("Open the copy as a separate unsaved project? The file stays as it is.");
    request.buttons = QMessageBox::Open | QMessageBox::Discard | QMessageBox::Cancel;
    request.defaultButton = QMessageBox::Cancel;
    request.buttonTexts = {{QMessageBox::Open, QStringLiteral("Open as Unsaved Project")},
                           {QMessageBox::Cancel, QStringLiteral("Later")}};
    const QMessageBox::StandardButton answer = Prompter::current()->message(window->dialogParent(), request);
    if (answer == QMessageBox::Discard) {
        store.discard(candidate);
        return false;
    }
    if (answer != QMessageBox::Open)
        return false;   // Later: kept for the next start
    // No file: a save asks where to put it, so the newer file stays.
    const QString copy = QDir(candidate.folder).filePath(candidate.check.copy.file);
    if (!window->projectActions()->openRecovered(copy, QString())) {
        reportDamaged(window, store, candidate);
        return false;
    }
    window->autosaver()->adopt(candidate);
    return true;
}

void RecoveryOffer::reportDamaged(ProjectWindow *window, RecoveryStore &store, const RecoveryCandidate &candidate)
{
    const RecoveryCopyInfo &copy = candidate.check.copy;
    QString error;
    const QString keptIn = store.setAside(candidate, &error);
    MessageRequest request;
    request.icon = QMessageBox::Warning;
    request.title = kTitle;
    request.text = copy.projectName.isEmpty()
                       ? QStringLiteral("A recovery copy is damaged and cannot be recovered.")
                       : QStringLiteral("The recovery copy of %1 from %2 is damaged and cannot be recovered.")
                             .arg(copy.projectName, timeText(copy.savedAt));
    request.informativeText = keptIn.isEmpty()
                                  ? QStringLiteral("It could not be moved aside: %1").arg(error)
                                  : QStringLiteral("It has been kept in %1.").arg(QDir::toNativeSeparators(keptIn));
    request.detailedText = candidate.check.problem;
    Prompter::current()->message(window->dialogParent(), request);
}
