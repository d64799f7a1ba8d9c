#include "ProjectSearch.h"

#include "ProjectDocument.h"

namespace {

constexpr int ExcerptLength = 80;

// The line of `value` that holds the match at `at`, trimmed and cut to a
// length a results list can show.
QString excerptAt(const QString &value, int at)
{
    const int start = value.lastIndexOf(QLatin1Char('\n'), at) + 1;
    int end = value.indexOf(QLatin1Char('\n'), at);
    if (end < 0)
        end = value.size();
    QString line = value.mid(start, end - start).trimmed();
    line.replace(QLatin1Char('\t'), QLatin1Char(' '));
    line.remove(QLatin1Char('\r'));
    if (line.size() > ExcerptLength)
        line = line.left(ExcerptLength - 3) + QStringLiteral("...");
    return line;
}

class Search
{
public:
    Search(const QString &text, Qt::CaseSensitivity sensitivity)
        : m_text(text), m_sensitivity(sensitivity)
    {
    }

    void run(const ProjectDocument &document)
    {
        // Blocks come depth first: a block of level L opens the diagram at
        // depth L - 1 below the project, and its Process record is a
        // process item on the diagram one level up.
        QVector<int> childCount{0};
        m_path.clear();
        m_names = QStringList{document.root.label};
        for (const CanvasBlock &block : document.blocks) {
            const int depth = qMax(1, block.process.level - 1);
            m_path.resize(qMin(m_path.size(), depth - 1));
            m_names = m_names.mid(0, qMin(m_names.size(), depth));
            childCount.resize(depth + 1);
            const int index = childCount[depth - 1]++;
            childCount[depth] = 0;
            checkLabel(SearchHit::Process, index, block.process.label);

            m_path.append(block.process.id);
            m_names.append(block.process.label);
            searchBlock(block);
        }
    }

    QVector<SearchHit> hits() const { return m_hits; }

private:
    void searchBlock(const CanvasBlock &block)
    {
        for (int i = 0; i < block.links.size(); ++i)
            checkLabel(SearchHit::Link, i, block.links.at(i).label);
        for (int i = 0; i < block.memories.size(); ++i)
            checkLabel(SearchHit::Memory, i, block.memories.at(i).label);
        for (int i = 0; i < block.dataflows.size(); ++i)
            checkLabel(SearchHit::Dataflow, i, block.dataflows.at(i).label);
        for (int i = 0; i < block.states.size(); ++i) {
            const StateRecord &state = block.states.at(i);
            checkLabel(SearchHit::State, i, state.label);
            check(SearchHit::State, i, state.label, SearchHit::InitialCondition, state.initialCondition);
            check(SearchHit::State, i, state.label, SearchHit::Action, state.action);
        }
        for (int i = 0; i < block.transitions.size(); ++i) {
            const TransitionRecord &transition = block.transitions.at(i);
            checkLabel(SearchHit::Transition, i, transition.label);
            check(SearchHit::Transition, i, transition.label, SearchHit::Condition,
                  transition.condition);
            check(SearchHit::Transition, i, transition.label, SearchHit::Action, transition.action);
        }
        for (int i = 0; i < block.texts.size(); ++i)
            check(SearchHit::Text, i, QString(), SearchHit::TextBody, block.texts.at(i).action);
    }

    void checkLabel(SearchHit::Kind kind, int index, const QString &label)
    {
        check(kind, index, label, SearchHit::Label, label);
    }

    void check(SearchHit::Kind kind, int index, const QString &label, SearchHit::Field field,
               const QString &value)
    {
        const int at = value.indexOf(m_text, 0, m_sensitivity);
        if (at < 0)
            return;
        SearchHit hit;
        hit.diagram = m_path;
        hit.diagramNames = m_names;
        hit.kind = kind;
        hit.index = index;
        hit.itemLabel = label;
        hit.field = field;
        hit.excerpt = excerptAt(value, at);
        m_hits.append(hit);
    }

    QString m_text;
    Qt::CaseSensitivity m_sensitivity;
    NodePath m_path;
    QStringList m_names;
    QVector<SearchHit> m_hits;
};

QString kindName(SearchHit::Kind kind)
{
    switch (kind) {
    case SearchHit::Process:
        return QStringLiteral("Process");
    case SearchHit::Link:
        return QStringLiteral("Link");
    case SearchHit::Memory:
        return QStringLiteral("Memory item");
    case SearchHit::Dataflow:
        return QStringLiteral("Dataflow");
    case SearchHit::State:
        return QStringLiteral("State");
    case SearchHit::Transition:
        return QStringLiteral("Transition");
    case SearchHit::Text:
        return QStringLiteral("Text item");
    }
    return QString();
}

QString fieldName(SearchHit::Field field)
{
    switch (field) {
    case SearchHit::Label:
        return QStringLiteral("label");
    case SearchHit::Condition:
        return QStringLiteral("condition");
    case SearchHit::InitialCondition:
        return QStringLiteral("initial condition");
    case SearchHit::Action:
        return QStringLiteral("action");
    case SearchHit::TextBody:
        return QStringLiteral("text");
    }
    return QString();
}

} // namespace

bool SearchHit::operator==(const SearchHit &o) const
{
    return diagram == o.diagram && kind == o.kind && index == o.index && field == o.field
           && itemLabel == o.itemLabel && excerpt == o.excerpt;
}

QString SearchHit::diagramText() const
{
    return diagramNames.join(QStringLiteral(" / "));
}

QString SearchHit::itemText() const
{
    if (kind == Text)
        return QStringLiteral("%1 %2").arg(kindName(kind)).arg(index + 1);
    return QStringLiteral("%1 '%2'").arg(kindName(kind), itemLabel);
}

QString SearchHit::matchText() const
{
    return fieldName(field) + QStringLiteral(": ") + excerpt;
}

namespace ProjectSearch {

QVector<SearchHit> find(const ProjectDocument &document, const QString &text,
                        Qt::CaseSensitivity sensitivity)
{
    if (text.trimmed().isEmpty())
        return {};
    Search search(text, sensitivity);
    search.run(document);
    return search.hits();
}

} // namespace ProjectSearch
