#include "SizeFields.h"

#include <QSpinBox>

SizeFields::SizeFields(QSpinBox *width, QSpinBox *height, const QSize &minimum)
    : m_width(width), m_height(height)
{
    m_width->setMinimum(minimum.width());
    m_height->setMinimum(minimum.height());
}

void SizeFields::display(const QSize &size)
{
    m_width->setValue(size.width());
    m_height->setValue(size.height());
    // The boxes may have clamped the values: remember what they show.
    m_shown = QSize(m_width->value(), m_height->value());
}

void SizeFields::show(const QSize &size)
{
    m_autoSize = QSize();
    display(size);
}

void SizeFields::showAuto(const QSize &size)
{
    display(size);
    m_autoSize = size;
}

QSize SizeFields::accepted(const QSize &current, bool textEdited, const QSize &autoSize) const
{
    // A box left alone keeps the item's size; after a text change it grows
    // where the new text needs more room, never shrinks a size the user
    // set. After Auto it takes the automatic size of the texts as accepted.
    QSize untouched = current;
    if (m_autoSize.isValid())
        untouched = textEdited ? autoSize : m_autoSize;
    else if (textEdited)
        untouched = current.expandedTo(autoSize);
    const int width = m_width->value() != m_shown.width() ? m_width->value() : untouched.width();
    const int height =
        m_height->value() != m_shown.height() ? m_height->value() : untouched.height();
    return QSize(width, height);
}
