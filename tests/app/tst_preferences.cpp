#include "Autosaver.h"
#include "DemoWindow.h"
#include "HelpActions.h"
#include "MainWindow.h"
#include "PreferencesActions.h"
#include "PreferencesDialog.h"
#include "ScriptedPrompter.h"
#include "SimulationController.h"
#include "ToolSets.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QtTest>

#include <functional>

namespace {

// Runs `trigger`, which opens the Preferences dialog modally, and `answer`
// on the dialog while it is open. False when no dialog opened.
bool whileOpen(const std::function<void()> &trigger, const std::function<void(PreferencesDialog *)> &answer)
{
    bool opened = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<PreferencesDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        opened = true;
        answer(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    trigger();
    return opened;
}

void press(PreferencesDialog *dialog, QDialogButtonBox::StandardButton which)
{
    dialog->findChild<QDialogButtonBox *>()->button(which)->click();
}

QSpinBox *minutesBox(PreferencesDialog *dialog)
{
    return dialog->findChild<QSpinBox *>(QStringLiteral("intervalBox"));
}

} // namespace

// Edit > Preferences (autosave and the update check), a stored autosave
// interval that autosave cannot use, and the tip of Run > Simulate.
class TestPreferences : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        HelpActions::setAutomaticChecks(false);
    }

    void cleanup()
    {
        QSettings settings = WindowProjectFixture::store();
        settings.clear();
        settings.sync();
    }

    // OK refuses an interval outside the range with a message naming it
    // and keeps the dialog open; an interval in range is taken, one left
    // as shown keeps the stored seconds.
    void dialogRefusesAnIntervalOutsideTheRange()
    {
        ScriptedPrompter prompter;
        PreferencesDialog dialog;
        PreferenceValues stored;
        stored.autosaveSeconds = 30.0;   // no whole minute: shown as 1
        dialog.setValues(stored);
        QCOMPARE(minutesBox(&dialog)->value(), 1);
        QVERIFY(whileOpen([&] { dialog.exec(); }, [&](PreferencesDialog *shown) {
            minutesBox(shown)->setValue(0);
            press(shown, QDialogButtonBox::Ok);
            QVERIFY(shown->isVisible());
            QCOMPARE(prompter.messages.size(), 1);
            QCOMPARE(prompter.messages.first().icon, QMessageBox::Warning);
            QCOMPARE(prompter.messages.first().text,
                     QStringLiteral("The autosave interval must be from 1 to 1440 minutes."));
            // The box reaches no further than the range's end.
            minutesBox(shown)->setValue(100000);
            QCOMPARE(minutesBox(shown)->value(), 1440);
            minutesBox(shown)->setValue(1);
            press(shown, QDialogButtonBox::Ok);
        }));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(prompter.messages.size(), 1);
        QCOMPARE(dialog.values().autosaveSeconds, 30.0);

        dialog.setValues(stored);
        QVERIFY(whileOpen([&] { dialog.exec(); }, [&](PreferencesDialog *shown) {
            minutesBox(shown)->setValue(1440);
            shown->findChild<QCheckBox *>(QStringLiteral("autosaveBox"))->setChecked(false);
            press(shown, QDialogButtonBox::Ok);
        }));
        QCOMPARE(dialog.values().autosaveSeconds, 1440 * 60.0);
        QVERIFY(!dialog.values().autosave);
        QVERIFY(dialog.values().checkForUpdatesAtStart);
    }

    // What the dialog accepts is in force at once and kept; Cancel changes
    // nothing. The Run and Help menus show the same choices.
    void preferencesApplyAtOnce()
    {
        ScriptedPrompter prompter;
        MainWindow w;
        QAction *preferences = w.findChild<QAction *>(QStringLiteral("actionPreferences"));
        QVERIFY(preferences);
        QCOMPARE(preferences->shortcut(), QKeySequence(QKeySequence::Preferences));
        QVERIFY(preferences->isEnabled());
        QVERIFY(w.menuBar()->findChild<QMenu *>(QStringLiteral("menuEdit"))->actions().contains(preferences));
        QAction *autosave = WindowProjectFixture::action(w, "actionEnable_Autosave");
        QAction *checkAtStart = WindowProjectFixture::action(w, "actionCheck_for_Updates_at_Start");
        QCOMPARE(w.autosaver()->intervalMs(), 60000);

        QVERIFY(whileOpen([&] { preferences->trigger(); }, [&](PreferencesDialog *shown) {
            QCOMPARE(minutesBox(shown)->value(), 1);
            minutesBox(shown)->setValue(5);
            shown->findChild<QCheckBox *>(QStringLiteral("autosaveBox"))->setChecked(false);
            press(shown, QDialogButtonBox::Cancel);
        }));
        QCOMPARE(w.autosaver()->intervalMs(), 60000);
        QVERIFY(autosave->isChecked());

        QVERIFY(whileOpen([&] { preferences->trigger(); }, [&](PreferencesDialog *shown) {
            minutesBox(shown)->setValue(5);
            shown->findChild<QCheckBox *>(QStringLiteral("autosaveBox"))->setChecked(false);
            shown->findChild<QCheckBox *>(QStringLiteral("updateCheckBox"))->setChecked(false);
            press(shown, QDialogButtonBox::Ok);
        }));
        QCOMPARE(w.autosaver()->intervalMs(), 5 * 60000);
        QVERIFY(!w.autosaver()->isEnabled());
        QVERIFY(!autosave->isChecked());
        QVERIFY(!checkAtStart->isChecked());
        QCOMPARE(WindowProjectFixture::store().value(Autosaver::intervalKey()).toDouble(), 300.0);
        QCOMPARE(WindowProjectFixture::store().value(Autosaver::enabledKey()).toBool(), false);
        QVERIFY(!HelpActions::checkAtStart());
        QVERIFY(prompter.messages.isEmpty());

        // A choice made in a menu is what the dialog shows next.
        autosave->trigger();
        QVERIFY(whileOpen([&] { preferences->trigger(); }, [&](PreferencesDialog *shown) {
            QVERIFY(shown->findChild<QCheckBox *>(QStringLiteral("autosaveBox"))->isChecked());
            QVERIFY(!shown->findChild<QCheckBox *>(QStringLiteral("updateCheckBox"))->isChecked());
            QCOMPARE(minutesBox(shown)->value(), 5);
        }));
    }

    // A running timer takes the new interval: a copy due in an hour is
    // written at the new, short interval.
    void runningAutosaveTakesTheNewInterval()
    {
        {
            QSettings settings = WindowProjectFixture::store();
            settings.setValue(Autosaver::intervalKey(), 3600);
        }
        DemoWindow demo;
        QVERIFY(demo.show(DemoWindow::machinePath()));
        Autosaver *autosaver = demo.window()->autosaver();
        QCOMPARE(autosaver->intervalMs(), 3600 * 1000);
        QSignalSpy written(autosaver, &Autosaver::copyWritten);
        demo.driver()->insertAt("actionState", QPointF(400, 700));
        QVERIFY(demo.isModified());
        QVERIFY(!written.wait(300));
        QVERIFY(autosaver->setIntervalSeconds(0.05));
        QVERIFY(written.wait(5000));
        autosaver->waitForWorker();
        QVERIFY(!autosaver->setIntervalSeconds(0));
        QCOMPARE(autosaver->intervalMs(), 50);
        QCOMPARE(WindowProjectFixture::store().value(Autosaver::intervalKey()).toDouble(), 0.05);
    }

    // A stored interval autosave cannot use is never taken for another one
    // quietly: the default is used and the status bar says so, once; the
    // Preferences dialog's OK replaces it.
    void unusableStoredIntervalIsReported()
    {
        for (const QString &stored : {QStringLiteral("0"), QStringLiteral("-5"), QStringLiteral("abc"),
                                      QStringLiteral("1e9"), QString()}) {
            {
                QSettings settings = WindowProjectFixture::store();
                settings.setValue(Autosaver::intervalKey(), stored);
            }
            ScriptedPrompter prompter;
            MainWindow w;
            QCOMPARE(w.autosaver()->intervalMs(), 60000);
            const QString problem = w.autosaver()->settingsProblem();
            QVERIFY2(problem.contains(QStringLiteral("\"%1\"").arg(stored)), qPrintable(problem));
            QVERIFY(problem.contains(QStringLiteral("using 60 seconds")));
            QCOMPARE(w.statusBar()->currentMessage(), problem);
            QVERIFY(prompter.messages.isEmpty());

            QVERIFY(whileOpen([&] { w.preferences()->edit(); }, [&](PreferencesDialog *shown) {
                press(shown, QDialogButtonBox::Ok);
            }));
            QCOMPARE(WindowProjectFixture::store().value(Autosaver::intervalKey()).toDouble(), 60.0);
            QVERIFY(w.autosaver()->settingsProblem().isEmpty());
        }
        // A fraction of a second is an interval; nothing is said then.
        WindowProjectFixture::store().setValue(Autosaver::intervalKey(), QStringLiteral("0.5"));
        MainWindow w;
        QCOMPARE(w.autosaver()->intervalMs(), 500);
        QVERIFY(w.autosaver()->settingsProblem().isEmpty());
        QVERIFY(w.statusBar()->currentMessage().isEmpty());
    }

    // Run > Simulate, off on a process diagram, says why there, and what
    // it does where it is on.
    void simulateSaysWhyItIsOff()
    {
        ScriptedPrompter prompter;
        MainWindow w;
        QAction *simulate = w.simulation()->simulateAction();
        const QString normal = simulate->statusTip();
        QVERIFY(normal.contains(QStringLiteral("generated C")));
        for (int level = 1; level <= 4; ++level) {
            w.applyToolSet(level);
            QVERIFY(!simulate->isEnabled());
            QVERIFY2(simulate->toolTip().contains(QStringLiteral("state-machine diagram")),
                     qPrintable(simulate->toolTip()));
            QCOMPARE(simulate->statusTip(), simulate->toolTip());
        }
        // The menu shows no status tip of an entry that is off; the mouse
        // on it shows this one.
        QMenu *run = w.findChild<QMenu *>(QStringLiteral("menuRun"));
        run->show();
        QTest::mouseMove(run, run->actionGeometry(simulate).center());
        QCOMPARE(w.statusBar()->currentMessage(), simulate->statusTip());
        QTest::mouseMove(run, run->actionGeometry(run->actions().first()).center());
        QVERIFY(w.statusBar()->currentMessage() != simulate->statusTip());
        run->hide();

        w.applyToolSet(5);
        QVERIFY(simulate->isEnabled());
        QCOMPARE(simulate->statusTip(), normal);
        QCOMPARE(simulate->toolTip(), normal);
        w.applyToolSet(2);
        w.applyToolSet(ToolSets::NoProject);
        QCOMPARE(simulate->statusTip(), normal);
    }
};

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
