#include "CSyntaxHighlighter.h"
#include "CodeEditor.h"
#include "StateProperties.h"
#include "TextProperties.h"
#include "TransitionProperties.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontInfo>
#include <QLabel>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QtTest>

namespace {

// The kinds of the characters of one line as the highlighter coloured them
// ('k' keyword, 'n' number, 's' string, 'c' comment, 'p' preprocessor,
// '.' plain), read back from the document's layout.
QString kindsOf(const QTextBlock &block)
{
    QString kinds(block.text().size(), QLatin1Char('.'));
    const QVector<QTextLayout::FormatRange> ranges = block.layout()->formats();
    for (const QTextLayout::FormatRange &range : ranges) {
        QChar mark = QLatin1Char('?');
        for (auto kind : {CToken::Keyword, CToken::Number, CToken::String, CToken::Comment, CToken::Preprocessor}) {
            if (CSyntaxHighlighter::format(kind).foreground() == range.format.foreground())
                mark = QLatin1String("knscp").at(int(kind));
        }
        for (int i = range.start; i < range.start + range.length && i < kinds.size(); ++i)
            kinds[i] = mark;
    }
    return kinds;
}

QStringList highlighted(const QString &code)
{
    QTextDocument document;
    CSyntaxHighlighter highlighter(&document);
    document.setPlainText(code);
    highlighter.rehighlight();
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        lines << kindsOf(block);
    return lines;
}

template<typename T>
T *child(QWidget *dialog, const char *name)
{
    T *w = dialog->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("missing widget %s", name);
    return w;
}

} // namespace

class TestCodeEditor : public QObject
{
    Q_OBJECT

private slots:
    void highlighterColoursTheKindsOfC()
    {
        // Keywords, not the identifiers around them; numbers of every form.
        QCOMPARE(highlighted("if (count > 0x1F) return 2.5e-3f;"),
                 QStringList{"kk..........nnnn..kkkkkk.nnnnnnn."});
        QCOMPARE(highlighted("unsigned int intake = 10u;"), QStringList{"kkkkkkkk.kkk..........nnn."});
        // Strings and characters keep escaped quotes; what looks like code in
        // them is not coloured.
        QCOMPARE(highlighted("s = \"a\\\"if//\"; c = '\\'';"),
                 QStringList{"....sssssssss......ssss."});
        // A line comment ends the line; a preprocessor line is coloured whole,
        // its strings and comments on top.
        QCOMPARE(highlighted("x = 1; // while 2"), QStringList{"....n..cccccccccc"});
        QCOMPARE(highlighted("  #include \"pump.h\" /* io */"),
                 QStringList{"pppppppppppsssssssspcccccccc"});
        QCOMPARE(highlighted("#define MAX_SPEED 100"), QStringList{"ppppppppppppppppppppp"});
    }

    void blockCommentsSpanLines()
    {
        QCOMPARE(highlighted("a = 1; /* start\nif (x) 3\nend */ b = 2;"),
                 (QStringList{"....n..cccccccc", "cccccccc", "cccccc.....n."}));
        // A comment opener inside a string opens nothing.
        QCOMPARE(highlighted("s = \"/*\";\nif"), (QStringList{"....ssss.", "kk"}));
        // Deleting the opener in an editor recolours the lines after it.
        CodeEditor editor;
        editor.setPlainText("/* x\nreturn;");
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        QTRY_COMPARE(kindsOf(editor.document()->lastBlock()), QString("ccccccc"));
        editor.moveCursor(QTextCursor::Start);
        QTest::keyClick(&editor, Qt::Key_Delete);
        QTRY_COMPARE(kindsOf(editor.document()->lastBlock()), QString("kkkkkk."));
    }

    void editorIsFixedWidthWithoutWrapAndShowsThePosition()
    {
        CodeEditor editor;
        editor.resize(300, 200);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        QVERIFY(QFontInfo(editor.font()).fixedPitch());
        QCOMPARE(editor.lineWrapMode(), QPlainTextEdit::NoWrap);
        auto *position = editor.findChild<QLabel *>(QStringLiteral("cursorPosition"));
        QVERIFY(position);
        QVERIFY(position->isVisible());
        QCOMPARE(position->text(), QString("Line 1, Column 1"));

        QTest::keyClicks(&editor, "int a;");
        QTest::keyClick(&editor, Qt::Key_Return);
        QTest::keyClicks(&editor, "ab");
        QCOMPARE(position->text(), QString("Line 2, Column 3"));
        // The label sits below the text, not over it.
        QVERIFY(position->geometry().top() > editor.viewport()->geometry().bottom());

        // A line longer than the editor scrolls instead of wrapping.
        QTest::keyClicks(&editor, QString(200, QLatin1Char('x')));
        QCOMPARE(editor.document()->blockCount(), 2);
        QVERIFY(editor.horizontalScrollBar()->maximum() > 0);
    }

    void tabInsertsFourBlanks()
    {
        CodeEditor editor;
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        QTest::keyClick(&editor, Qt::Key_Tab);
        QTest::keyClicks(&editor, "x;");
        QCOMPARE(editor.toPlainText(), QString("    x;"));
        QCOMPARE(editor.cursorPositionText(), QString("Line 1, Column 7"));
        QVERIFY(editor.hasFocus());
    }

    // Tab with a selection indents every line it touches, Shift+Tab takes
    // one step of leading blanks (or a tab) away; each is one undo step and
    // the lines stay selected.
    void tabShiftsSelectedLines()
    {
        CodeEditor editor;
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        editor.setPlainText(QStringLiteral("a();\n  b();\n\tc();\nd();"));
        QTextCursor cursor = editor.textCursor();
        // From inside the first line to the start of the last: three lines.
        cursor.setPosition(2);
        cursor.setPosition(editor.document()->findBlockByNumber(3).position(), QTextCursor::KeepAnchor);
        editor.setTextCursor(cursor);
        QTest::keyClick(&editor, Qt::Key_Tab);
        QCOMPARE(editor.toPlainText(), QStringLiteral("    a();\n      b();\n    \tc();\nd();"));
        QVERIFY(editor.textCursor().hasSelection());
        QTest::keyClick(&editor, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(editor.toPlainText(), QStringLiteral("a();\n  b();\n\tc();\nd();"));
        QTest::keyClick(&editor, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(editor.toPlainText(), QStringLiteral("a();\nb();\nc();\nd();"));
        editor.undo();
        QCOMPARE(editor.toPlainText(), QStringLiteral("a();\n  b();\n\tc();\nd();"));
        // Without a selection Shift+Tab unindents the cursor's line.
        cursor.setPosition(editor.document()->findBlockByNumber(1).position() + 3);
        editor.setTextCursor(cursor);
        QTest::keyClick(&editor, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(editor.toPlainText(), QStringLiteral("a();\nb();\n\tc();\nd();"));
    }

    void singleLineEditorTakesNoLineBreaks()
    {
        // Return goes to the dialog: its default button accepts.
        TransitionProperties d;
        d.setLabel("T1");
        d.refresh();
        auto *condition = child<CodeEditor>(&d, "lineEdit_2");
        QVERIFY(condition->isSingleLine());
        QTimer::singleShot(0, [&] {
            condition->setFocus();
            QTest::keyClicks(condition, "(speed > 10)");
            QTest::keyClick(condition, Qt::Key_Tab);
            QTest::keyClick(condition, Qt::Key_Return);
        });
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QCOMPARE(d.condition(), QString("(speed > 10)    "));

        // Pasted line breaks become blanks.
        CodeEditor editor;
        editor.setSingleLine(true);
        QApplication::clipboard()->setText("(a &&\r\nb)\n");
        editor.paste();
        QCOMPARE(editor.toPlainText(), QString("(a && b) "));
        // A stored condition with line breaks is shown and kept as it is.
        editor.setPlainText("(a\n|| b)");
        QCOMPARE(editor.toPlainText(), QString("(a\n|| b)"));
        QVERIFY(editor.height() < 3 * editor.fontMetrics().lineSpacing());
    }

    void everyCodeFieldIsACodeEditor()
    {
        StateProperties state;
        for (const char *name : {"textEdit", "textEdit_2", "textEdit_3"})
            QVERIFY2(state.findChild<CodeEditor *>(QString::fromLatin1(name)), name);
        QVERIFY(child<CodeEditor>(&state, "textEdit_2")->isSingleLine());
        QVERIFY(!child<CodeEditor>(&state, "textEdit")->isSingleLine());
        QVERIFY(!state.findChild<CodeEditor *>(QStringLiteral("textEdit_4")));   // the description

        TransitionProperties transition;
        QVERIFY(child<CodeEditor>(&transition, "lineEdit_2")->isSingleLine());
        QVERIFY(!child<CodeEditor>(&transition, "textEdit")->isSingleLine());
        QVERIFY(!transition.findChild<CodeEditor *>(QStringLiteral("textEdit_2")));

        TextProperties text;
        QVERIFY(!child<CodeEditor>(&text, "textEdit")->isSingleLine());

        // Tab in a dialog's code field indents instead of leaving the field.
        state.refresh();
        state.show();
        QVERIFY(QTest::qWaitForWindowExposed(&state));
        auto *action = child<CodeEditor>(&state, "textEdit");
        action->setFocus();
        QTest::keyClick(action, Qt::Key_Tab);
        QVERIFY(action->hasFocus());
        QCOMPARE(action->toPlainText(), QString("    "));

        // With KESTRO_SHOTS set to a folder, the dialog is saved there as it looks.
        const QString shots = qEnvironmentVariable("KESTRO_SHOTS");
        if (!shots.isEmpty()) {
            action->setPlainText("/* Count the pulses */\n#define LIMIT 0x3FF\nif (pulses < LIMIT) {\n    pulses++;"
                                 "\n    status = \"counting\"; // up\n}");
            QTest::keyClick(action, Qt::Key_Up);
            state.grab().save(shots + QStringLiteral("/state-dialog.png"));
        }
    }

    void lockedInitialBoxSaysWhy()
    {
        StateProperties d;
        d.setLabel("Running");
        d.setInitialLocked(true, "Idle");
        d.refresh();
        auto *box = child<QCheckBox>(&d, "checkBox");
        QVERIFY(!box->isEnabled());
        QVERIFY2(box->toolTip().contains("\"Idle\" is already the initial state"), qPrintable(box->toolTip()));

        // Unlocked (or the state itself is initial): enabled, no tooltip.
        d.setInitialLocked(false);
        d.refresh();
        QVERIFY(box->isEnabled());
        QVERIFY(box->toolTip().isEmpty());
        d.setInitialLocked(true, "Idle");
        d.setInitialState(true);
        d.refresh();
        QVERIFY(box->isEnabled());
        QVERIFY(box->isChecked());
    }
};

QTEST_MAIN(TestCodeEditor)
#include "tst_codeeditor.moc"
