#pragma once

// The width and height spin boxes of a property dialog. A box the user left
// alone keeps the item's size, however large an automatic size made it: the
// boxes' maximums (the caps) and minimums apply only to sizes the user
// typed. The minimums keep every item big enough to be seen and clicked.

#include <QSize>

class QSpinBox;

class SizeFields
{
public:
    // Smallest sizes a user may type, per item kind.
    static QSize stateMinimum() { return QSize(60, 40); }
    static QSize transitionMinimum() { return QSize(40, 20); }
    static QSize textMinimum() { return QSize(40, 20); }
    static QSize processMinimum() { return QSize(40, 40); }

    // Sets the boxes' minimums; their maximums are the form's.
    SizeFields(QSpinBox *width, QSpinBox *height, const QSize &minimum);

    // Shows the item's size (as far as the boxes can) when the dialog opens.
    void show(const QSize &size);
    // The "Auto" button: shows an automatic size, which is taken on OK for
    // each box the user does not change afterwards.
    void showAuto(const QSize &size);

    // The size on OK, per box: the typed value; for a box left alone the
    // Auto size, else the item's current size, grown to the automatic size
    // of the texts when one changed (autoSize).
    QSize accepted(const QSize &current, bool textEdited, const QSize &autoSize) const;

private:
    void display(const QSize &size);

    QSpinBox *m_width;
    QSpinBox *m_height;
    QSize m_shown;        // what the boxes showed after show() / showAuto()
    QSize m_autoSize;     // the size Auto asked for, invalid until pressed
};
