#include "CodeEditor.h"

#include "CSyntaxHighlighter.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QTextBlock>

namespace {

// The desktop's fixed-width font; where the platform names none (or a
// proportional one), the monospace family, else any fixed-width one.
QFont fixedWidthFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (QFontInfo(font).fixedPitch())
        return font;
    font.setFamily(QStringLiteral("monospace"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (QFontInfo(font).fixedPitch())
        return font;
    // Without such an alias, the first installed fixed-width family.
    const QFontDatabase database;
    for (const QString &family : database.families()) {
        if (database.isFixedPitch(family)) {
            font.setFamily(family);
            break;
        }
    }
    return font;
}

} // namespace

CodeEditor::CodeEditor(QWidget *parent) : QPlainTextEdit(parent)
{
    setFont(fixedWidthFont());
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(false);
    m_highlighter = new CSyntaxHighlighter(document());

    m_position = new QLabel(this);
    m_position->setObjectName(QStringLiteral("cursorPosition"));
    m_position->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_position->setFont(small);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &CodeEditor::showCursorPosition);
    setSingleLine(false);
    showCursorPosition();
}

QString CodeEditor::indentation()
{
    return QStringLiteral("    ");
}

void CodeEditor::setSingleLine(bool singleLine)
{
    m_singleLine = singleLine;
    const QFontMetrics label(m_position->font());
    const int labelWidth = label.horizontalAdvance(QStringLiteral("Line 9999, Column 9999")) + 8;
    if (singleLine) {
        // One line of text, the position to its right.
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_margin = labelWidth;
        setViewportMargins(0, 0, m_margin, 0);
        const int frame = 2 * frameWidth();
        const int margins = static_cast<int>(2 * document()->documentMargin());
        setFixedHeight(fontMetrics().lineSpacing() + margins + frame + 2);
    } else {
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        m_margin = label.height() + 2;
        setViewportMargins(0, 0, 0, m_margin);
        setMinimumHeight(0);
        setMaximumHeight(QWIDGETSIZE_MAX);
    }
    placePositionLabel();
}

QString CodeEditor::cursorPositionText() const
{
    const QTextCursor cursor = textCursor();
    return QStringLiteral("Line %1, Column %2")
        .arg(cursor.blockNumber() + 1)
        .arg(cursor.positionInBlock() + 1);
}

void CodeEditor::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Tab && modifiers == Qt::NoModifier) {
        if (textCursor().hasSelection())
            shiftSelectedLines(true);
        else
            insertPlainText(indentation());
        return;
    }
    if (event->key() == Qt::Key_Backtab && (modifiers & ~Qt::ShiftModifier) == Qt::NoModifier) {
        shiftSelectedLines(false);
        return;
    }
    if (m_singleLine && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        // Like a line edit: the dialog's default button takes it.
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CodeEditor::shiftSelectedLines(bool inward)
{
    QTextCursor cursor = textCursor();
    QTextDocument *doc = document();
    const int start = cursor.selectionStart();
    int end = cursor.selectionEnd();
    QTextBlock first = doc->findBlock(start);
    QTextBlock last = doc->findBlock(end);
    // A selection that ends at the start of a line leaves that line alone.
    if (last != first && end == last.position())
        last = last.previous();
    const QString step = indentation();
    QTextCursor edit(doc);
    edit.beginEditBlock();
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        edit.setPosition(block.position());
        if (inward) {
            edit.insertText(step);
        } else {
            const QString text = block.text();
            int blanks = 0;
            if (text.startsWith(QLatin1Char('\t')))
                blanks = 1;
            else
                while (blanks < step.size() && blanks < text.size() && text.at(blanks) == QLatin1Char(' '))
                    ++blanks;
            edit.setPosition(block.position() + blanks, QTextCursor::KeepAnchor);
            edit.removeSelectedText();
        }
        if (block == last)
            break;
    }
    edit.endEditBlock();
    // The shifted lines stay selected, whole.
    if (cursor.hasSelection()) {
        cursor.setPosition(first.position());
        cursor.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
        setTextCursor(cursor);
    }
}

void CodeEditor::insertFromMimeData(const QMimeData *source)
{
    if (!m_singleLine || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QString text = source->text();
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QChar::ParagraphSeparator, QLatin1Char(' '));
    text.replace(QChar::LineSeparator, QLatin1Char(' '));
    insertPlainText(text);
}

void CodeEditor::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    placePositionLabel();
}

void CodeEditor::showCursorPosition()
{
    m_position->setText(cursorPositionText());
}

void CodeEditor::placePositionLabel()
{
    // The label sits in the margin left beside (single line) or below the
    // text area, inside the frame.
    const QRect text = viewport()->geometry();
    if (m_singleLine)
        m_position->setGeometry(text.right() + 1, text.top(), m_margin - 4, text.height());
    else
        m_position->setGeometry(text.left(), text.bottom() + 1, text.width() - 4, m_margin);
}
