// The questions around the user's work, answered by script: a project file
// changed on disk since Kestro read or wrote it is never overwritten without
// a question (Reload / Overwrite / Cancel) and is offered for reloading when
// the window comes back to the front; the unsaved-changes question of Open,
// New and a file handed over by a second start can be cancelled, which
// keeps the open project; the code generator's question says what its
// second button does.

#include "Canvas.h"
#include "CodeGenerator.h"
#include "MainWindow.h"
#include "OpenRequestHandler.h"
#include "Project.h"
#include "ProjectActions.h"
#include "ScriptedPrompter.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace WindowProjectFixture;

namespace {

const QString kChangedOnDisk = QStringLiteral(" has been changed on disk since Kestro read or saved it.");
const QString kOnDisk = QStringLiteral(" has been changed on disk.");

// The same project as someone else saved it: other controller names.
ProjectDocument theirVersion()
{
    return nestedDocument(QStringLiteral("Theirs A"), QStringLiteral("Theirs B"));
}

bool hasText(const ScriptedPrompter &prompter, const QString &part)
{
    for (const QString &text : prompter.messageTexts()) {
        if (text.contains(part))
            return true;
    }
    return false;
}

void activate(MainWindow &w)
{
    QEvent activation(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&w, &activation);
    QCoreApplication::processEvents();
}

// A change of ours that the file does not hold yet.
void editProject(MainWindow &w)
{
    w.project()->canvases().first()->setName(QStringLiteral("Ours"));
    w.project()->markModified();
}

} // namespace

class TestPrompts : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }

    void saveAsksBeforeOverwritingAChangeOnDisk()
    {
        ScriptedPrompter prompter;
        MainWindow w;
        const QString file = path("shared.qsmd");
        QVERIFY(openDocument(w, nestedDocument(), file));

        // Cancel: their file stays, our changes stay unsaved.
        QVERIFY(writeDocument(theirVersion(), file));
        const QByteArray theirs = fileBytes(file);
        editProject(w);
        prompter.messageAnswers << QMessageBox::Cancel;
        QVERIFY(!w.projectActions()->save());
        const MessageRequest asked = prompter.messages.last();
        QVERIFY(asked.text.endsWith(kChangedOnDisk));
        QVERIFY(asked.informativeText.contains(QStringLiteral("your unsaved changes in Kestro are lost")));
        QCOMPARE(asked.buttons, QMessageBox::Reset | QMessageBox::Save | QMessageBox::Cancel);
        QCOMPARE(asked.defaultButton, QMessageBox::Cancel);
        QCOMPARE(asked.buttonTexts.value(QMessageBox::Reset), QStringLiteral("Reload"));
        QCOMPARE(asked.buttonTexts.value(QMessageBox::Save), QStringLiteral("Overwrite"));
        QCOMPARE(fileBytes(file), theirs);
        QVERIFY(w.project()->isModified());

        // Reload: their version is the open project, unmodified.
        prompter.messageAnswers << QMessageBox::Reset;
        QVERIFY(!w.projectActions()->save());
        QCOMPARE(fileBytes(file), theirs);
        QVERIFY(!w.project()->isModified());
        QVERIFY(canvasNamed(w, QStringLiteral("Theirs A"), 3));
        QCOMPARE(w.projectActions()->projectPath(), file);

        // Once reloaded, our next save asks nothing.
        editProject(w);
        const int asks = prompter.messages.size();
        QVERIFY(w.projectActions()->save());
        QCOMPARE(prompter.messages.size(), asks);

        // Overwrite: our version replaces theirs.
        QVERIFY(writeDocument(nestedDocument(), file));
        editProject(w);
        prompter.messageAnswers << QMessageBox::Save;
        QVERIFY(w.projectActions()->save());
        QVERIFY(fileBytes(file).contains("Ours"));
        QVERIFY(!w.project()->isModified());

        // A file only touched, or written again with the same bytes, is no change.
        QFile touched(file);
        QVERIFY(touched.open(QIODevice::ReadWrite));
        QVERIFY(touched.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        touched.close();
        editProject(w);
        const int before = prompter.messages.size();
        QVERIFY(w.projectActions()->save());
        QCOMPARE(prompter.messages.size(), before);

        // A file that is gone is written anew without a question.
        QVERIFY(QFile::remove(file));
        editProject(w);
        QVERIFY(w.projectActions()->save());
        QCOMPARE(prompter.messages.size(), before);
        QVERIFY(QFile::exists(file));
    }

    void twoWindowsOnOneFileDoNotDropEachOthersSave()
    {
        ScriptedPrompter prompter;
        MainWindow first;
        MainWindow second;
        const QString file = path("twice.qsmd");
        QVERIFY(openDocument(first, nestedDocument(), file));
        QVERIFY(second.projectActions()->openFile(file));

        first.project()->canvases().first()->setName(QStringLiteral("FirstSaved"));
        first.project()->markModified();
        QVERIFY(first.projectActions()->save());
        QCOMPARE(prompter.messages.size(), 0);

        editProject(second);
        prompter.messageAnswers << QMessageBox::Cancel;
        QVERIFY(!second.projectActions()->save());
        QVERIFY(prompter.messages.last().text.endsWith(kChangedOnDisk));
        QVERIFY(fileBytes(file).contains("FirstSaved"));
    }

    void activatingTheWindowOffersToReloadAChangedFile()
    {
        ScriptedPrompter prompter;
        MainWindow w;
        const QString file = path("watched.qsmd");
        QVERIFY(openDocument(w, nestedDocument(), file));

        // Nothing changed: no question.
        activate(w);
        QCOMPARE(prompter.messages.size(), 0);

        // Changed, project unmodified: Reload is offered and reads their version.
        QVERIFY(writeDocument(theirVersion(), file));
        prompter.messageAnswers << QMessageBox::Reset;
        activate(w);
        QCOMPARE(prompter.messages.size(), 1);
        QVERIFY(prompter.messages.last().text.endsWith(kOnDisk));
        QCOMPARE(prompter.messages.last().buttonTexts.value(QMessageBox::Reset), QStringLiteral("Reload"));
        QVERIFY(canvasNamed(w, QStringLiteral("Theirs A"), 3));
        QVERIFY(!w.project()->isModified());

        // Declined: the same change is not asked about again, a later one is.
        QVERIFY(writeDocument(nestedDocument(), file));
        prompter.messageAnswers << QMessageBox::Ignore;
        activate(w);
        QCOMPARE(prompter.messages.size(), 2);
        QVERIFY(canvasNamed(w, QStringLiteral("Theirs A"), 3));
        activate(w);
        QCOMPARE(prompter.messages.size(), 2);
        QVERIFY(writeDocument(nestedDocument(QStringLiteral("Third A"), QStringLiteral("Third B")), file));
        prompter.messageAnswers << QMessageBox::Ignore;
        activate(w);
        QCOMPARE(prompter.messages.size(), 3);

        // With unsaved changes the question waits for the save.
        QVERIFY(writeDocument(theirVersion(), file));
        editProject(w);
        activate(w);
        QCOMPARE(prompter.messages.size(), 3);
        QVERIFY(w.project()->isModified());
    }

    void unsavedChangesQuestionsCanBeCancelled()
    {
        ScriptedPrompter prompter;
        MainWindow w;
        const QString file = path("kept.qsmd");
        const QString other = path("other.qsmd");
        QVERIFY(openDocument(w, nestedDocument(), file));
        QVERIFY(writeDocument(theirVersion(), other));
        editProject(w);
        const QList<Canvas *> canvases = w.project()->canvases();
        const QByteArray saved = fileBytes(file);

        auto check = [&](const char *route, const std::function<void()> &run) {
            prompter.messageAnswers << QMessageBox::Cancel;
            const int asks = prompter.messages.size();
            run();
            QCoreApplication::processEvents();
            QVERIFY2(prompter.messages.size() == asks + 1, route);
            const MessageRequest asked = prompter.messages.last();
            QCOMPARE(asked.text, QStringLiteral("There are unsaved changes in project."));
            QCOMPARE(asked.buttons, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
            QVERIFY2(w.projectActions()->projectPath() == file, route);
            QVERIFY2(w.project()->canvases() == canvases, route);
            QVERIFY2(w.project()->isModified(), route);
            QVERIFY2(fileBytes(file) == saved, route);
        };
        check("Open", [&] {
            prompter.openAnswers << OpenFileResult{{other}, m_dir.path()};
            action(w, "actionOpen")->trigger();
        });
        check("New", [&] {
            prompter.saveAnswers << path("Fresh.qsmd");
            action(w, "actionNew")->trigger();
        });
        QVERIFY(!QFile::exists(path("Fresh.qsmd")));
        check("handed over", [&] { w.openRequests()->open(other); });
        // Escape and the window's close button answer the box with no button.
        check("Escape", [&] {
            prompter.messageAnswers.clear();
            prompter.messageAnswers << QMessageBox::NoButton;
            w.projectActions()->openFile(other);
        });
    }

    void codeGeneratorQuestionSaysDontSave()
    {
        ScriptedPrompter prompter;
        MainWindow w;
        const QString file = path("gen.qsmd");
        QVERIFY(openDocument(w, nestedDocument(), file));
        editProject(w);
        CodeGenerator *generator = w.projectActions()->codeGenerator();
        generator->setDialogRunner([](QDialog *dialog) {
            return dialog->inherits("CodegenProperties") ? int(QDialog::Accepted) : int(QDialog::Rejected);
        });
        prompter.messageAnswers << QMessageBox::Discard;
        action(w, "actionCode_Generator")->trigger();
        QVERIFY(!prompter.messages.isEmpty());
        const MessageRequest asked = prompter.messages.first();
        QCOMPARE(asked.text, QStringLiteral("There are unsaved changes in project."));
        QCOMPARE(asked.buttonTexts.value(QMessageBox::Discard), QStringLiteral("Don't Save"));
        // Not saving generated the code anyway and left the project as it was.
        QVERIFY(w.project()->isModified());
        QVERIFY(QFile::exists(path("SM.c")));
    }
};

QTEST_MAIN(TestPrompts)
#include "tst_prompts.moc"
