#include "FindPanel.h"

#include "FindResultsModel.h"
#include "ProjectDocument.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

FindPanel::FindPanel(QWidget *parent)
    : QDockWidget(QStringLiteral("Find"), parent),
      m_field(new QLineEdit),
      m_matchCase(new QCheckBox(QStringLiteral("Match case"))),
      m_status(new QLabel),
      m_results(new QTreeView),
      m_model(new FindResultsModel(this)),
      m_typing(new QTimer(this))
{
    setObjectName(QStringLiteral("findDock"));
    m_field->setObjectName(QStringLiteral("findField"));
    m_field->setPlaceholderText(QStringLiteral("Find in labels, conditions and actions"));
    m_field->setClearButtonEnabled(true);
    m_results->setObjectName(QStringLiteral("findResults"));
    m_results->setModel(m_model);
    m_results->setRootIsDecorated(false);
    m_results->setUniformRowHeights(true);
    m_results->setAllColumnsShowFocus(true);
    // A long diagram path keeps its ends: the diagram's own name is last.
    m_results->setTextElideMode(Qt::ElideMiddle);
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->header()->setStretchLastSection(true);
    m_results->setColumnWidth(FindResultsModel::DiagramColumn, 260);
    m_results->setColumnWidth(FindResultsModel::ItemColumn, 160);

    auto *top = new QHBoxLayout;
    top->addWidget(m_field, 1);
    top->addWidget(m_matchCase);
    auto *layout = new QVBoxLayout;
    layout->addLayout(top);
    layout->addWidget(m_status);
    layout->addWidget(m_results, 1);
    auto *body = new QWidget;
    body->setLayout(layout);
    setWidget(body);

    // Typing searches after a pause; Enter and the case box search at once.
    m_typing->setSingleShot(true);
    m_typing->setInterval(TypingDelayMs);
    connect(m_typing, &QTimer::timeout, this, &FindPanel::search);
    connect(m_field, &QLineEdit::textEdited, m_typing, qOverload<>(&QTimer::start));
    connect(m_field, &QLineEdit::returnPressed, this, &FindPanel::search);
    connect(m_matchCase, &QCheckBox::toggled, this, &FindPanel::search);
    connect(m_results, &QTreeView::activated, this, &FindPanel::choose);
    connect(m_results, &QTreeView::clicked, this, &FindPanel::choose);
}

void FindPanel::showAndFocus()
{
    show();
    raise();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

QString FindPanel::statusText() const
{
    return m_status->text();
}

QVector<SearchHit> FindPanel::runSearch(bool *ok)
{
    *ok = false;
    ProjectDocument document;
    QString error;
    if (!m_source || !m_source(&document, &error)) {
        m_status->setText(error.isEmpty() ? QStringLiteral("No project is open.") : error);
        return {};
    }
    *ok = true;
    const Qt::CaseSensitivity sensitivity =
        m_matchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    return ProjectSearch::find(document, m_field->text(), sensitivity);
}

void FindPanel::search()
{
    m_typing->stop();
    if (m_field->text().trimmed().isEmpty()) {
        showHits({});
        m_status->clear();
        return;
    }
    bool ok = false;
    const QVector<SearchHit> hits = runSearch(&ok);
    showHits(hits);
    if (!ok)
        return;
    if (hits.isEmpty())
        m_status->setText(QStringLiteral("No item holds \"%1\".").arg(m_field->text()));
    else if (hits.size() == 1)
        m_status->setText(QStringLiteral("1 result"));
    else
        m_status->setText(QStringLiteral("%1 results").arg(hits.size()));
}

void FindPanel::showHits(const QVector<SearchHit> &hits)
{
    m_model->setHits(hits);
}

void FindPanel::clear()
{
    m_typing->stop();
    m_field->clear();
    m_status->clear();
    showHits({});
}

void FindPanel::choose(const QModelIndex &index)
{
    const SearchHit *chosen = m_model->hitAt(index);
    if (!chosen)
        return;
    const SearchHit hit = *chosen;
    // The project may have changed since the list was made: a hit is only
    // followed while the project still holds it, else the list is renewed.
    bool ok = false;
    const QVector<SearchHit> now = runSearch(&ok);
    if (ok && now.contains(hit)) {
        emit hitChosen(hit);
        return;
    }
    search();
    if (ok)
        m_status->setText(m_status->text()
                          + QStringLiteral(" (the project changed; the list was renewed)"));
}
