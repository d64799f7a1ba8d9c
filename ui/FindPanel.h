#pragma once

// The "Find" dock: a search field over the labels, conditions and actions
// of every item of the open project, a "Match case" box, a line that counts
// the hits and the list of hits (diagram, item, where the text was found).
// The search reads the project's records through a source the window
// gives; choosing a hit (click, double-click or Enter) reports it once the
// panel has made sure the project still holds it.

#include "ProjectSearch.h"

#include <QDockWidget>

#include <functional>

class FindResultsModel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QModelIndex;
class QTimer;
class QTreeView;
struct ProjectDocument;

class FindPanel : public QDockWidget
{
    Q_OBJECT
public:
    // Fills the document with the open project's records; false (with a
    // reason) when there is nothing to search.
    using Source = std::function<bool(ProjectDocument *, QString *)>;

    // How long typing may pause before the search runs by itself.
    static constexpr int TypingDelayMs = 250;

    explicit FindPanel(QWidget *parent = nullptr);

    void setSource(Source source) { m_source = std::move(source); }

    // Shows the dock with the search field focused and its text selected.
    void showAndFocus();
    // Searches at once for the text in the field.
    void search();
    // Empties the field and the list (the project was closed).
    void clear();

    QLineEdit *searchField() const { return m_field; }
    QCheckBox *matchCaseBox() const { return m_matchCase; }
    QTreeView *resultsView() const { return m_results; }
    FindResultsModel *resultsModel() const { return m_model; }
    QString statusText() const;

signals:
    void hitChosen(const SearchHit &hit);

private:
    QVector<SearchHit> runSearch(bool *ok);
    void showHits(const QVector<SearchHit> &hits);
    void choose(const QModelIndex &index);

    Source m_source;
    QLineEdit *m_field = nullptr;
    QCheckBox *m_matchCase = nullptr;
    QLabel *m_status = nullptr;
    QTreeView *m_results = nullptr;
    FindResultsModel *m_model = nullptr;
    QTimer *m_typing = nullptr;
};
