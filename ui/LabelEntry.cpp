#include "LabelEntry.h"

#include "Prompter.h"

#include <QLineEdit>

namespace LabelEntry {

QString refusedStyle()
{
    return QStringLiteral("border: 1px solid red");
}

bool take(QWidget *dialog, QLineEdit *edit, const LabelCheck &check, QString *label)
{
    const QString entered = edit->text();
    const QString refusal = check ? check(entered) : QString();
    if (refusal.isEmpty()) {
        clearRefusal(edit);
        *label = entered.trimmed();
        return true;
    }
    edit->setStyleSheet(refusedStyle());
    Prompter::critical(dialog, QStringLiteral("Kestro"), refusal);
    edit->setFocus();
    edit->selectAll();
    return false;
}

void clearRefusal(QLineEdit *edit)
{
    edit->setStyleSheet(QString());
}

} // namespace LabelEntry
