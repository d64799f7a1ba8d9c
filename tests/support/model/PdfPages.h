#pragma once

// The number of pages of a PDF document as Qt writes it: one "/Type /Page"
// object per page (the page tree is "/Type /Pages").

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

inline int pdfPageCount(const QByteArray &pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    int count = 0;
    // All bytes: the QByteArray overload of fromLatin1() stops at the
    // first NUL, and compressed streams hold many.
    auto it = page.globalMatch(QString::fromLatin1(pdf.constData(), pdf.size()));
    while (it.hasNext()) {
        it.next();
        ++count;
    }
    return count;
}
