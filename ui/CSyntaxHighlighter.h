#pragma once

// Colours C code in a text document: keywords, numbers, string and
// character literals, comments (block comments may span lines) and
// preprocessor lines. The code editors of the property dialogs use it.

#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <QVector>

class QTextDocument;

// One coloured run of a line.
struct CToken
{
    enum Kind { Keyword, Number, String, Comment, Preprocessor };
    int start = 0;
    int length = 0;
    Kind kind = Keyword;
};

// The runs of one line of C. inComment: the line starts inside a block
// comment; *endsInComment tells whether it ends inside one.
QVector<CToken> cTokens(const QString &line, bool inComment, bool *endsInComment);

class CSyntaxHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT

public:
    explicit CSyntaxHighlighter(QTextDocument *document);

    // The format each kind of run is shown with.
    static QTextCharFormat format(CToken::Kind kind);

protected:
    void highlightBlock(const QString &text) override;
};
