#include "FoldedDetails.h"

#include <QEvent>
#include <QMessageBox>
#include <QTextEdit>

FoldedDetails::FoldedDetails(QMessageBox *box, QTextEdit *field, const QString &text)
    : QObject(box), m_field(field), m_text(text)
{
    field->installEventFilter(this);
}

void FoldedDetails::set(QMessageBox *box, const QString &text)
{
    if (text.size() < LateLength) {
        box->setDetailedText(text);
        return;
    }
    // The box makes its "Show Details..." button and field for any details;
    // a one-line stand-in costs nothing to lay out.
    const int firstLine = text.indexOf(QLatin1Char('\n'));
    box->setDetailedText(text.left(qMin(firstLine < 0 ? text.size() : firstLine, 200)));
    QTextEdit *field = box->findChild<QTextEdit *>();
    if (!field) {
        box->setDetailedText(text);
        return;
    }
    new FoldedDetails(box, field, text);
}

bool FoldedDetails::eventFilter(QObject *watched, QEvent *event)
{
    // "Show Details..." unfolds the field: it is filled before it shows.
    if (watched == m_field && event->type() == QEvent::Show) {
        m_field->removeEventFilter(this);
        m_field->setPlainText(m_text);
        m_text.clear();
    }
    return QObject::eventFilter(watched, event);
}
