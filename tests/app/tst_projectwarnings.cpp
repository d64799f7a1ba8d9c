// What the main window tells the user when a project is not what it seems:
// records the loader cannot place, a damaged file, a save the disk refuses,
// and what the code generator found, each row of its log leading to the
// item on its diagram.

#include "Canvas.h"
#include "CodeGenerator.h"
#include "CodegenErrorLog.h"
#include "CodegenProperties.h"
#include "FileSizeLimit.h"
#include "MainWindow.h"
#include "Project.h"
#include "ProjectActions.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "WindowProjectFixture.h"

#include <QtTest>
#include <QtWidgets>

using namespace WindowProjectFixture;

namespace {

// The sample project with a state on no diagram ahead of the first
// machine's own state, a transition to a state that is not there and a
// second state carrying the first one's label.
ProjectDocument strayDocument()
{
    ProjectDocument doc = nestedDocument();
    for (CanvasBlock &block : doc.blocks) {
        if (block.process.level != 5)
            continue;
        StateRecord stray = block.states.first();
        stray.label = QStringLiteral("Stray");
        stray.parentId = 9;
        stray.ifInitialState = false;
        StateRecord twin = block.states.first();
        twin.ifInitialState = false;
        twin.xCoord = 900;
        block.states.prepend(stray);
        block.states << twin;
        TransitionRecord lost;
        lost.level = 6;
        lost.parentId = lost.grandParentId = 1;
        lost.label = QStringLiteral("Lost");
        lost.startItem = block.states.at(1).label;
        lost.endItem = QStringLiteral("Nowhere");
        block.transitions << lost;
        break;
    }
    return doc;
}

bool openFile(MainWindow &w, ScriptedPrompter &prompter, const QString &file, const QString &directory)
{
    prompter.openAnswers << OpenFileResult{{file}, directory};
    w.findChild<QAction *>(QStringLiteral("actionOpen"))->trigger();
    return w.projectActions()->projectPath() == file;
}

// Double-clicks a row of a shown error log with real mouse events.
void doubleClickRow(CodegenErrorLog *log, int row)
{
    auto *table = log->findChild<QTableWidget *>(QStringLiteral("tableWidget"));
    const QRect cell = table->visualItemRect(table->item(row, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
}

} // namespace

class TestProjectWarnings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }
    void init() { store().clear(); }

    void unplaceableRecordsAreListedAfterOpen()
    {
        ScriptedPrompter prompter;
        MainWindow w;
        const QString file = m_dir.filePath(QStringLiteral("stray.qsmd"));
        QVERIFY(writeDocument(strayDocument(), file));
        QVERIFY(openFile(w, prompter, file, m_dir.path()));

        QCOMPARE(prompter.messages.size(), 1);
        const MessageRequest box = prompter.messages.first();
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.title, QStringLiteral("Kestro"));
        QCOMPARE(box.text, QStringLiteral(
            "stray.qsmd opened with warnings.\n\n2 items of this project could not be placed. They are not "
            "shown and will not be kept when the project is saved. 1 label does not tell items apart; "
            "connections by label go to the last item with it."));
        const QStringList notes = {
            "State 'Stray': no diagram has the numbers it names (level 5, id 9, parentId 1); not kept",
            "Transition 'Lost' on 'SM': no state labelled 'Nowhere'; not kept",
            "State 'CPU_A_Idle' on 'SM': 2 states carry this label; connections by label go to the last one",
        };
        QCOMPARE(box.informativeText, notes.join('\n'));
        QCOMPARE(box.detailedText, notes.join('\n'));
        QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("Project %1 opened with warnings").arg(file));
        // The states after the stray one are there; the project is not modified.
        Canvas *machine = canvasNamed(w, QStringLiteral("SM"), 5);
        QCOMPARE(machine->states().size(), 2);
        QVERIFY(!w.project()->isModified());

        // A clean file opens without a box.
        const QString clean = m_dir.filePath(QStringLiteral("clean.qsmd"));
        QVERIFY(writeDocument(nestedDocument(), clean));
        QVERIFY(openFile(w, prompter, clean, m_dir.path()));
        QCOMPARE(prompter.messages.size(), 1);
        QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("Project %1 opened successfully").arg(clean));
    }

    void longListsKeepEverythingInTheDetails()
    {
        ProjectDocument doc = nestedDocument();
        for (CanvasBlock &block : doc.blocks) {
            if (block.process.level != 5)
                continue;
            for (int i = 0; i < 20; ++i) {
                TransitionRecord lost;
                lost.level = 6;
                lost.parentId = lost.grandParentId = 1;
                lost.label = QStringLiteral("Lost%1").arg(i);
                block.transitions << lost;
            }
            break;
        }
        ScriptedPrompter prompter;
        MainWindow w;
        const QString file = m_dir.filePath(QStringLiteral("many.qsmd"));
        QVERIFY(writeDocument(doc, file));
        QVERIFY(openFile(w, prompter, file, m_dir.path()));
        const MessageRequest box = prompter.messages.first();
        QCOMPARE(box.informativeText.count('\n'), 12);
        QVERIFY(box.informativeText.endsWith("\n... and 8 more"));
        QCOMPARE(box.detailedText.count('\n'), 19);
    }

    void damagedFileTellsWhereAndWhy()
    {
        ScriptedPrompter prompter;
        MainWindow w;
        const QString file = m_dir.filePath(QStringLiteral("bad.qsmd"));
        QVERIFY(writeDocument(nestedDocument(), file));
        QByteArray bytes = fileBytes(file);
        bytes.replace("<level>6</level>\n                    <parentId>1</parentId>",
                      "<parentId>1</parentId>\n                    <level>6</level>");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
        out.close();
        QVERIFY(!openFile(w, prompter, file, m_dir.path()));
        const MessageRequest box = prompter.messages.last();
        QCOMPARE(box.text, QStringLiteral("Design file is corrupt and cannot be opened. \nOpening Project Aborted."));
        QVERIFY2(QRegularExpression("^" + QRegularExpression::escape(file)
                                    + ":\\d+:\\d+: StateItem: expected element 'level', found 'parentId'$")
                     .match(box.detailedText)
                     .hasMatch(),
                 qPrintable(box.detailedText));
    }

    // A disk that takes nothing more: the old file stays, the box says why
    // and the project stays modified.
    void refusedSaveIsNotReportedAsSaved()
    {
        ScriptedPrompter prompter;
        MainWindow w;
        const QString file = m_dir.filePath(QStringLiteral("full.qsmd"));
        QVERIFY(writeDocument(nestedDocument(), file));
        QVERIFY(openFile(w, prompter, file, m_dir.path()));
        const QByteArray before = fileBytes(file);
        for (qint64 limit : {qint64(0), qint64(before.size() / 2)}) {
            w.project()->markModified();
            bool saved = true;
            {
                FileSizeLimit full(limit);
                saved = w.projectActions()->save();
            }
            QVERIFY(!saved);
            const MessageRequest box = prompter.messages.last();
            QCOMPARE(box.icon, QMessageBox::Critical);
            QCOMPARE(box.text, QStringLiteral("Kestro could not save the project to %1.").arg(file));
            QVERIFY2(box.informativeText.contains(QStringLiteral("File too large")), qPrintable(box.informativeText));
            QVERIFY(w.project()->isModified());
            QCOMPARE(fileBytes(file), before);
        }
    }

    // Parts of the file this version does not know are listed on open, and
    // saving over the file asks first: Cancel writes nothing and keeps the
    // changes, Save drops them once and for all. Save As to a new file does
    // not ask, and neither does a later save over that file.
    void unknownPartsAreListedAndSavingOverThemIsAsked()
    {
        ScriptedPrompter prompter;
        MainWindow w;
        const QString file = m_dir.filePath(QStringLiteral("newer.qsmd"));
        QVERIFY(writeDocument(nestedDocument(), file));
        QByteArray bytes = fileBytes(file);
        const int states = bytes.count("</StateItem>");
        QVERIFY(states > 1);
        bytes.replace("</StateItem>", "<colour>red</colour></StateItem>");
        const auto put = [&](const QByteArray &data) {
            QFile out(file);
            return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(data) == data.size();
        };
        QVERIFY(put(bytes));
        QVERIFY(openFile(w, prompter, file, m_dir.path()));

        QCOMPARE(prompter.messages.size(), 1);
        const MessageRequest opened = prompter.messages.first();
        QCOMPARE(opened.text, QStringLiteral(
            "newer.qsmd opened with warnings.\n\nThe file holds parts that this version of Kestro does not know. "
            "They are not shown, and Kestro asks before saving over the file, which drops them."));
        QVERIFY2(opened.informativeText.startsWith(
                     QStringLiteral("Element 'colour': in StateItem, %1 times from line ").arg(states)),
                 qPrintable(opened.informativeText));
        QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("Project %1 opened with warnings").arg(file));

        // Cancel, and a box closed without an answer: nothing is written.
        w.project()->markModified();
        for (QMessageBox::StandardButton answer : {QMessageBox::Cancel, QMessageBox::NoButton}) {
            prompter.messageAnswers << answer;
            QVERIFY(!w.projectActions()->save());
            const MessageRequest asked = prompter.messages.last();
            QCOMPARE(asked.text, QStringLiteral("%1 holds parts that this version of Kestro does not know.")
                                     .arg(QDir::toNativeSeparators(file)));
            QCOMPARE(asked.buttons, QMessageBox::Save | QMessageBox::Cancel);
            QCOMPARE(asked.defaultButton, QMessageBox::Cancel);
            QCOMPARE(fileBytes(file), bytes);
            QVERIFY(w.project()->isModified());
        }
        // Save: the parts are gone from the file, and the next save asks nothing.
        prompter.messageAnswers << QMessageBox::Save;
        QVERIFY(w.projectActions()->save());
        QVERIFY(!fileBytes(file).contains("<colour>"));
        QVERIFY(!w.project()->isModified());
        int asked = prompter.messages.size();
        w.project()->markModified();
        QVERIFY(w.projectActions()->save());
        QCOMPARE(prompter.messages.size(), asked);

        // Save As to a new file writes without asking.
        QVERIFY(put(bytes));
        QVERIFY(openFile(w, prompter, file, m_dir.path()));
        asked = prompter.messages.size();
        const QString copy = m_dir.filePath(QStringLiteral("copy.qsmd"));
        prompter.saveAnswers << copy;
        w.findChild<QAction *>(QStringLiteral("actionSave_As"))->trigger();
        QCOMPARE(w.projectActions()->projectPath(), copy);
        QCOMPARE(prompter.messages.size(), asked);
        QVERIFY(!fileBytes(copy).contains("<colour>"));
        QCOMPARE(fileBytes(file), bytes);
        w.project()->markModified();
        QVERIFY(w.projectActions()->save());
        QCOMPARE(prompter.messages.size(), asked);
    }

    // The generator's log names each finding's item; double-clicking a row
    // shows that item's diagram with the item selected, also when two
    // diagrams share their identity numbers.
    void logRowsLeadToTheirItems()
    {
        ScriptedPrompter prompter;
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QString file = m_dir.filePath(QStringLiteral("gen.qsmd"));
        QVERIFY(writeDocument(nestedDocument(), file));
        QVERIFY(openFile(w, prompter, file, m_dir.path()));
        QList<Canvas *> machines;
        for (Canvas *c : w.project()->canvases()) {
            if (c->level() == 5)
                machines << c;
        }
        QCOMPARE(machines.size(), 2);
        StateItem *idle = machines.first()->states().first();
        idle->setAction(QStringLiteral("undeclared_in_idle = 1;"));

        CodeGenerator *generator = w.projectActions()->codeGenerator();
        QStringList shown;
        QList<Canvas *> shownCanvases;
        bool checkBoxWasOff = false;
        generator->setDialogRunner([&](QDialog *dialog) {
            if (auto *properties = qobject_cast<CodegenProperties *>(dialog)) {
                auto *box = properties->findChild<QCheckBox *>(QStringLiteral("checkBox"));
                checkBoxWasOff = !box->isChecked();
                box->setChecked(true);
                properties->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
                return int(QDialog::Accepted);
            }
            auto *log = qobject_cast<CodegenErrorLog *>(dialog);
            log->show();
            if (!QTest::qWaitForWindowExposed(log))
                return int(QDialog::Rejected);
            shown << log->rowTexts().join('\n');
            doubleClickRow(log, log->rowTexts().size() - 1);
            shownCanvases << w.project()->shownCanvas();
            log->hide();
            return int(QDialog::Accepted);
        });
        w.findChild<QAction *>(QStringLiteral("actionCode_Generator"))->trigger();

        QVERIFY(checkBoxWasOff);
        QCOMPARE(store().value(QStringLiteral("compileCheck")).toBool(), true);
        QCOMPARE(shown.size(), 2);
        // The first machine: its design warning and what the compiler said
        // about the state's action.
        QVERIFY2(shown.at(0).startsWith(
                     "Warning: State 'CPU_A_Idle': the initial transition has no condition, so it is taken at once\n"),
                 qPrintable(shown.at(0)));
        QVERIFY2(shown.at(0).contains(QRegularExpression(
                     "\\nC compiler error: State 'CPU_A_Idle': .*'undeclared_in_idle' undeclared")),
                 qPrintable(shown.at(0)));
        QCOMPARE(shownCanvases.at(0), machines.first());
        QVERIFY(idle->isSelected());
        QCOMPARE(machines.first()->selectedItems().size(), 1);
        // The second machine has the first one's name: not written, and its
        // row leads to its own diagram.
        QVERIFY2(shown.at(1).startsWith("State machine SM: another state machine has this name, no files written"),
                 qPrintable(shown.at(1)));
        QCOMPARE(shownCanvases.at(1), machines.last());
        QCOMPARE(QDir(m_dir.path()).entryList({"SM.*"}, QDir::Files), QStringList({"SM.c", "SM.h"}));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestProjectWarnings)
#include "tst_projectwarnings.moc"
