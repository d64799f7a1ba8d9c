#include "TourBox.h"

#include "TourSteps.h"
#include "TourText.h"
#include "TourTip.h"

#include <QHBoxLayout>
#include <QTextDocument>

TourBox::TourBox(QWidget *parent)
    : QWidget(parent)
    , m_tip(new TourTip(this))
    , m_text(new TourText(this))
    , m_layout(new QHBoxLayout(this))
{
    for (int i = 0; i < TourSteps::StepCount; ++i) {
        m_titles << TourSteps::title(i);
        m_texts << TourSteps::text(i);
    }

    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addWidget(m_tip);
    m_layout->addWidget(m_text);

    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setGeometry(300, 300, 350, 120);
    hide();

    connect(m_text, &TourText::nextLinkClicked, this, &TourBox::nextLinkClicked);
    connect(m_text, &TourText::quitLinkClicked, this, &TourBox::quitLinkClicked);
}

void TourBox::showStep(int i)
{
    if (i < 0 || i >= m_titles.size())
        return;
    m_text->setContent(m_titles.at(i), m_texts.at(i));
    // The text wraps at the browser's width, known once the layout has run.
    m_layout->activate();
    const int height = int(m_text->document()->size().height());
    setGeometry(x(), y(), width(), height);
}

void TourBox::setPointerOnRight(bool onRight)
{
    m_layout->setDirection(onRight ? QBoxLayout::RightToLeft : QBoxLayout::LeftToRight);
    m_tip->setPointsRight(onRight);
}

bool TourBox::pointerOnRight() const
{
    return m_tip->pointsRight();
}
