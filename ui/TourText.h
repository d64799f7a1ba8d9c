#pragma once

// The text part of the tour box: a green, frameless, read-only browser that
// shows a step's title and text above the "Quit Tour?" and "Next" links.

#include <QTextBrowser>

class TourText : public QTextBrowser
{
    Q_OBJECT

public:
    explicit TourText(QWidget *parent = nullptr);

    // The box's green (red 38, green 166, blue 91), shared with the pointer.
    static QColor tourColour() { return QColor(38, 166, 91); }

    void setContent(const QString &title, const QString &text);

signals:
    void nextLinkClicked();
    void quitLinkClicked();

public slots:
    void footerLinkClicked(const QUrl &url);
};
