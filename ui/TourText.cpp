#include "TourText.h"

#include <QTextBlock>
#include <QTextCursor>

TourText::TourText(QWidget *parent)
    : QTextBrowser(parent)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setFrameStyle(QFrame::NoFrame);
    setReadOnly(true);
    // The links drive the tour; the browser must not try to load them.
    setOpenLinks(false);
    setOpenExternalLinks(false);

    QPalette pal = palette();
    pal.setColor(QPalette::Active, QPalette::Base, tourColour());
    pal.setColor(QPalette::Inactive, QPalette::Base, tourColour());
    setPalette(pal);
    setAutoFillBackground(true);

    connect(this, &QTextBrowser::anchorClicked, this, &TourText::footerLinkClicked);
}

void TourText::setContent(const QString &title, const QString &text)
{
    clear();
    append(QStringLiteral("<h3 style='color: #ffffff;'>") + title + QStringLiteral("</h3>")
           + QStringLiteral("<p style='color: #fcf6f5ff;'>") + text + QStringLiteral("</p>"));
    append(QStringLiteral("<a style='color: red;' href=quit>Quit Tour?</a> &nbsp; &nbsp; &nbsp; &nbsp; "
                          "&nbsp; &nbsp; <a style='color: #ffffff;' href=next>Next</a>"));
    QTextCursor cursor(document()->lastBlock());
    QTextBlockFormat format = cursor.blockFormat();
    format.setAlignment(Qt::AlignCenter);
    cursor.setBlockFormat(format);
}

void TourText::footerLinkClicked(const QUrl &url)
{
    const QString link = url.toString();
    if (link.compare(QLatin1String("next"), Qt::CaseInsensitive) == 0)
        emit nextLinkClicked();
    else if (link.compare(QLatin1String("quit"), Qt::CaseInsensitive) == 0)
        emit quitLinkClicked();
}
