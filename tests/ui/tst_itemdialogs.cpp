// The property dialogs of states, transitions and texts, answered as a user
// would: a cancelled dialog leaves its item as it was, an accepted one copies
// every field back and sizes the item to its text, and a state that may not
// become initial shows a locked check box.

#include "DiagramFont.h"
#include "AutoSize.h"
#include "PropertyDialogs.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TransitionItem.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {
QDialog *openDialog()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *dialog = qobject_cast<QDialog *>(w);
        if (dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

// Runs answer on the modal dialog as soon as it is shown.
void whenDialogShows(const std::function<void(QDialog *)> &answer)
{
    QTimer::singleShot(0, [answer] {
        if (QDialog *dialog = openDialog())
            answer(dialog);
        else
            whenDialogShows(answer);
    });
}

void pressButton(QDialog *dialog, QDialogButtonBox::StandardButton which)
{
    auto *box = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    QVERIFY(box);
    box->button(which)->click();
}
}

class TestItemDialogs : public QObject
{
    Q_OBJECT

    // The item dialogs, as the window keeps them.
    PropertyDialogs m_dialogs;

private slots:
    void cancelledDialogsLeaveItemsUnchanged();
    void acceptedStateDialogCopiesBack();
    void lockedInitialBoxCannotBeChecked();
    void stateDialogEditsEntryAndExitActions();
    void acceptedTransitionAndTextDialogsCopyBack();
};

void TestItemDialogs::cancelledDialogsLeaveItemsUnchanged()
{
    ScriptedPrompter prompter;
    prompter.colourAnswers.enqueue(QColor(Qt::red));

    StateItem state(nullptr, 0, 0);
    state.setLabel(QStringLiteral("Idle"));
    state.setAction(QStringLiteral("run();"));
    whenDialogShows([](QDialog *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit_2"))->setText(QStringLiteral("Changed"));
        dialog->findChild<QPlainTextEdit *>(QStringLiteral("textEdit"))->setPlainText(QStringLiteral("other();"));
        dialog->findChild<QCheckBox *>(QStringLiteral("checkBox"))->setChecked(true);
        QLabel *swatch = dialog->findChild<QLabel *>(QStringLiteral("label_colour"));
        QTest::mouseClick(swatch, Qt::LeftButton);
        pressButton(dialog, QDialogButtonBox::Cancel);
    });
    m_dialogs.editState(&state, false);
    QVERIFY(m_dialogs.dialog(ItemType::State));
    QVERIFY(prompter.colourAnswers.isEmpty());   // the colour was picked
    QCOMPARE(state.label(), QStringLiteral("Idle"));
    QCOMPARE(state.action(), QStringLiteral("run();"));
    QCOMPARE(state.width(), 280);
    QCOMPARE(state.height(), 150);
    QCOMPARE(state.polygon().at(2), QPointF(280, 150));
    QVERIFY(!state.backgroundColour().isValid());
    QVERIFY(!state.isInitialState());

    StateItem end(nullptr, 900, 0);
    TransitionItem box(nullptr, &state, &end);
    box.setCondition(QStringLiteral("x"));
    whenDialogShows([](QDialog *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->setText(QStringLiteral("new label"));
        dialog->findChild<QPlainTextEdit *>(QStringLiteral("lineEdit_2"))->setPlainText(QStringLiteral("y"));
        pressButton(dialog, QDialogButtonBox::Cancel);
    });
    m_dialogs.editTransition(&box);
    QVERIFY(box.label().isEmpty());
    QCOMPARE(box.condition(), QStringLiteral("x"));
    QCOMPARE(box.width(), 150);

    TextItem text(nullptr, 0, 0);
    whenDialogShows([](QDialog *dialog) {
        dialog->findChild<QComboBox *>(QStringLiteral("comboBox"))->setCurrentIndex(2);
        dialog->findChild<QPlainTextEdit *>(QStringLiteral("textEdit"))->setPlainText(QStringLiteral("#define N 3"));
        pressButton(dialog, QDialogButtonBox::Cancel);
    });
    m_dialogs.editText(&text);
    QCOMPARE(text.textType(), 0);
    QVERIFY(text.action().isEmpty());
}

void TestItemDialogs::acceptedStateDialogCopiesBack()
{
    ScriptedPrompter prompter;
    prompter.colourAnswers.enqueue(QColor(10, 20, 30));
    StateItem state(nullptr, 0, 0);
    state.setInitialCondition(QStringLiteral("stale"));
    whenDialogShows([](QDialog *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit_2"))->setText(QStringLiteral("Running"));
        dialog->findChild<QCheckBox *>(QStringLiteral("checkBox"))->setChecked(true);
        dialog->findChild<QPlainTextEdit *>(QStringLiteral("textEdit_2"))->setPlainText(QStringLiteral("go == 1"));
        dialog->findChild<QPlainTextEdit *>(QStringLiteral("textEdit_3"))->setPlainText(QStringLiteral("start();"));
        QTest::mouseClick(dialog->findChild<QLabel *>(QStringLiteral("label_colour")), Qt::LeftButton);
        pressButton(dialog, QDialogButtonBox::Ok);
    });
    m_dialogs.editState(&state, false);
    QCOMPARE(state.label(), QStringLiteral("Running"));
    QVERIFY(state.isInitialState());
    QCOMPARE(state.initialCondition(), QStringLiteral("go == 1"));
    QCOMPARE(state.initialDescription(), QStringLiteral("start();"));
    QCOMPARE(state.backgroundColour(), QColor(10, 20, 30));
    // A changed label sizes the state to its text.
    const QSize fitted = stateAutoSize(QStringLiteral("Running"), QString(), textMetrics(DiagramFont::font()));
    QCOMPARE(state.width(), fitted.width());
    QCOMPARE(state.polygon().at(2), QPointF(fitted.width(), fitted.height()));

    // Reopening shows the state's own initial texts; unchecking drops the flag.
    whenDialogShows([](QDialog *dialog) {
        QCOMPARE(dialog->findChild<QPlainTextEdit *>(QStringLiteral("textEdit_2"))->toPlainText(),
                 QStringLiteral("go == 1"));
        dialog->findChild<QCheckBox *>(QStringLiteral("checkBox"))->setChecked(false);
        pressButton(dialog, QDialogButtonBox::Ok);
    });
    m_dialogs.editState(&state, false);
    QVERIFY(!state.isInitialState());
}

// The two code editors, labelled and beside the action, show the state's
// entry and exit actions; OK takes them back and sizes the state to its
// body, Cancel leaves them.
void TestItemDialogs::stateDialogEditsEntryAndExitActions()
{
    StateItem state(nullptr, 0, 0);
    state.setLabel(QStringLiteral("Open"));
    state.setEntryAction(QStringLiteral("lamp(1);"));
    QString shownEntry, shownExit, entryLabel, exitLabel;
    bool codeEditors = false;
    whenDialogShows([&](QDialog *dialog) {
        auto *entry = dialog->findChild<QPlainTextEdit *>(QStringLiteral("textEdit_entry"));
        auto *exit = dialog->findChild<QPlainTextEdit *>(QStringLiteral("textEdit_exit"));
        codeEditors = entry && exit && entry->inherits("CodeEditor") && exit->inherits("CodeEditor");
        shownEntry = entry->toPlainText();
        shownExit = exit->toPlainText();
        entryLabel = dialog->findChild<QLabel *>(QStringLiteral("label_entryAction"))->text();
        exitLabel = dialog->findChild<QLabel *>(QStringLiteral("label_exitAction"))->text();
        entry->setPlainText(QStringLiteral("lamp(1);\nbeep();\nbeep();\nbeep();\nbeep();\nbeep();\nbeep();\nbeep();\nbeep();\nbeep();"));
        exit->setPlainText(QStringLiteral("lamp(0);"));
        pressButton(dialog, QDialogButtonBox::Ok);
    });
    QVERIFY(m_dialogs.editState(&state, false));
    QVERIFY(codeEditors);
    QCOMPARE(shownEntry, QStringLiteral("lamp(1);"));
    QCOMPARE(shownExit, QString());
    QCOMPARE(entryLabel, QStringLiteral("Entry action:"));
    QCOMPARE(exitLabel, QStringLiteral("Exit action:"));
    QCOMPARE(state.entryAction(), QStringLiteral("lamp(1);\nbeep();\nbeep();\nbeep();\nbeep();\nbeep();\nbeep();\nbeep();\nbeep();\nbeep();"));
    QCOMPARE(state.exitAction(), QStringLiteral("lamp(0);"));
    // Eleven body lines: the changed text sized the state to it.
    const QSize fitted = stateAutoSize(QStringLiteral("Open"), state.bodyText(), textMetrics(DiagramFont::font()));
    QVERIFY(fitted.height() > StateItem::DefaultHeight);
    QCOMPARE(QSize(state.width(), state.height()), fitted);

    whenDialogShows([](QDialog *dialog) {
        dialog->findChild<QPlainTextEdit *>(QStringLiteral("textEdit_entry"))->clear();
        dialog->findChild<QPlainTextEdit *>(QStringLiteral("textEdit_exit"))->clear();
        pressButton(dialog, QDialogButtonBox::Cancel);
    });
    QVERIFY(!m_dialogs.editState(&state, false));
    QCOMPARE(state.exitAction(), QStringLiteral("lamp(0);"));
    QVERIFY(!state.entryAction().isEmpty());
}

void TestItemDialogs::lockedInitialBoxCannotBeChecked()
{
    StateItem state(nullptr, 0, 0);
    state.setInitialCondition(QStringLiteral("old"));
    bool checkable = true;
    bool editorsEnabled = true;
    QString shownCondition = QStringLiteral("unset");
    whenDialogShows([&](QDialog *dialog) {
        auto *box = dialog->findChild<QCheckBox *>(QStringLiteral("checkBox"));
        checkable = box->isCheckable();
        auto *condition = dialog->findChild<QPlainTextEdit *>(QStringLiteral("textEdit_2"));
        editorsEnabled = condition->isEnabled();
        shownCondition = condition->toPlainText();
        box->click();
        pressButton(dialog, QDialogButtonBox::Ok);
    });
    m_dialogs.editState(&state, true);
    QVERIFY(!checkable);
    QVERIFY(!editorsEnabled);
    QVERIFY(shownCondition.isEmpty());
    QVERIFY(!state.isInitialState());
    QCOMPARE(state.initialCondition(), QStringLiteral("old"));
}

void TestItemDialogs::acceptedTransitionAndTextDialogsCopyBack()
{
    StateItem a(nullptr, 0, 0);
    StateItem b(nullptr, 900, 0);
    TransitionItem box(nullptr, &a, &b);
    TextMetrics metrics{0, 0};   // the dialog sizes with the font of the window active then
    whenDialogShows([&metrics](QDialog *dialog) {
        metrics = textMetrics(DiagramFont::font());
        dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->setText(QStringLiteral("tick"));
        dialog->findChild<QPlainTextEdit *>(QStringLiteral("lineEdit_2"))->setPlainText(QStringLiteral("timer > 10"));
        dialog->findChild<QPlainTextEdit *>(QStringLiteral("textEdit"))->setPlainText(QStringLiteral("timer = 0;"));
        pressButton(dialog, QDialogButtonBox::Ok);
    });
    m_dialogs.editTransition(&box);
    QCOMPARE(box.label(), QStringLiteral("tick"));
    QCOMPARE(box.condition(), QStringLiteral("timer > 10"));
    QCOMPARE(box.action(), QStringLiteral("timer = 0;"));
    const QSize boxSize = transitionAutoSize(QStringLiteral("tick"), QStringLiteral("timer > 10"),
                                             QStringLiteral("timer = 0;"), metrics);
    QCOMPARE(QSize(box.width(), box.height()), boxSize);
    QCOMPARE(box.rect().size(), QSizeF(boxSize));

    TextItem text(nullptr, 0, 0);
    whenDialogShows([](QDialog *dialog) {
        dialog->findChild<QComboBox *>(QStringLiteral("comboBox"))->setCurrentIndex(1);
        dialog->findChild<QPlainTextEdit *>(QStringLiteral("textEdit"))->setPlainText(QStringLiteral("#include <a.h>\n#include <b.h>"));
        pressButton(dialog, QDialogButtonBox::Ok);
    });
    m_dialogs.editText(&text);
    QCOMPARE(text.textType(), 1);
    QCOMPARE(text.action(), QStringLiteral("#include <a.h>\n#include <b.h>"));
    QCOMPARE(text.polygon().at(2), QPointF(text.width(), text.height()));
}

QTEST_MAIN(TestItemDialogs)
#include "tst_itemdialogs.moc"
