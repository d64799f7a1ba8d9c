#pragma once

// The box of the app tour: a pointer on the left and the step's text on the
// right. The main window places it next to the element a step explains.

#include <QWidget>

class QBoxLayout;
class TourText;
class TourTip;

class TourBox : public QWidget
{
    Q_OBJECT

public:
    explicit TourBox(QWidget *parent = nullptr);

    // Shows step i's title and text; keeps position and width and makes the
    // box as high as the text document.
    void showStep(int i);

    // The pointer on the left (pointing left, the default) or, for a box
    // placed left of its element, on the right pointing right.
    void setPointerOnRight(bool onRight);
    bool pointerOnRight() const;

    TourText *tourText() const { return m_text; }
    TourTip *tourTip() const { return m_tip; }

signals:
    void nextLinkClicked();
    void quitLinkClicked();

private:
    QStringList m_titles;
    QStringList m_texts;
    TourTip *m_tip;
    TourText *m_text;
    QBoxLayout *m_layout;
};
