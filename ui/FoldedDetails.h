#pragma once

// Long details of a message box, kept out of its details field until they
// are first wanted. A QMessageBox lays its details out whole as soon as the
// box shows, folded away or not: the tens of thousands of notes of a large
// project with warnings held the box (and with it the project's first
// picture) back by a tenth of a second. The details go into the field when
// "Show Details..." unfolds it.

#include <QObject>
#include <QString>

class QMessageBox;
class QTextEdit;

class FoldedDetails : public QObject
{
    Q_OBJECT
public:
    // Details at least this long are filled in late.
    static constexpr int LateLength = 16 * 1024;

    // Sets the box's details to text, filled in late when text is long.
    static void set(QMessageBox *box, const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    FoldedDetails(QMessageBox *box, QTextEdit *field, const QString &text);

    QTextEdit *m_field;
    QString m_text;
};
