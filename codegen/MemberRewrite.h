#pragma once

// Rewrites the memory items a state machine's code texts name into the
// members of one instance ("retries" becomes "me->retries"), for the
// instance style of module. Only identifier tokens are touched: not text
// inside comments, string or character literals, not a name after "." or
// "->", and not the digits of a number. QtCore only.

#include <QSet>
#include <QString>
#include <QStringList>

namespace MemberRewrite {

struct Result
{
    QString text;
    // Member names the text uses where no rewriting is sound: the name a
    // #define, #undef, #ifdef or #ifndef line defines or tests, and the
    // parameters of a function-like macro. In file order, each once.
    QStringList unsound;
};

// `text` with each identifier token in `members` written `prefix` + name.
Result rewrite(const QString &text, const QSet<QString> &members, const QString &prefix);

// The names of `members` that `text` uses as identifier tokens, in order
// of first use (for texts that are not rewritten).
QStringList named(const QString &text, const QSet<QString> &members);

// The number tokens of `text` as written (outside comments, literals and
// preprocessor lines), in order: "0x10", "2.5e-3", "100u".
QStringList numbers(const QString &text);

} // namespace MemberRewrite
