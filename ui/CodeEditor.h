#pragma once

// The editor of C code fields (actions, conditions, text items): a
// fixed-width font, no word wrap, C syntax highlighting, Tab inserting four
// blanks, and the cursor's line and column shown beside the text.
//
// A single-line editor (conditions) takes no line breaks: Return goes to
// the dialog (its default button), and line breaks in pasted text become
// blanks. A text that already has line breaks is shown and kept as it is.

#include <QPlainTextEdit>

class CSyntaxHighlighter;
class QLabel;

class CodeEditor : public QPlainTextEdit
{
    Q_OBJECT
    Q_PROPERTY(bool singleLine READ isSingleLine WRITE setSingleLine)

public:
    explicit CodeEditor(QWidget *parent = nullptr);

    bool isSingleLine() const { return m_singleLine; }
    void setSingleLine(bool singleLine);

    // What the position label shows, e.g. "Line 3, Column 7".
    QString cursorPositionText() const;

    // The blanks one Tab inserts.
    static QString indentation();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Tab and Shift+Tab on a selection: every line it touches is indented
    // by one step, or loses one step (or one tab) of leading blanks; one undo step.
    void shiftSelectedLines(bool inward);
    void showCursorPosition();
    void placePositionLabel();

    CSyntaxHighlighter *m_highlighter = nullptr;   // owned by the document
    QLabel *m_position = nullptr;                  // child widget
    int m_margin = 0;   // beside or below the text, for the position label
    bool m_singleLine = false;
};
