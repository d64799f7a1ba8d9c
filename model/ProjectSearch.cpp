#include "ProjectSearch.h"

#include "SubMachineLevels.h"

#include "ItemRecord.h"
#include "ProjectDocument.h"
#include "RecordGroups.h"

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

// What the search reads of each kind: the name results give it, the label
// a hit names the item by (none: the item is named by its position), and
// the fields searched, in order.
struct SearchField
{
    SearchHit::Field field;
    const QString *value;
};

QString searchName(RecordTag<ProcessRecord>) { return QStringLiteral("Process"); }
QString searchName(RecordTag<LinkRecord>) { return QStringLiteral("Link"); }
QString searchName(RecordTag<MemoryRecord>) { return QStringLiteral("Memory item"); }
QString searchName(RecordTag<DataflowRecord>) { return QStringLiteral("Dataflow"); }
QString searchName(RecordTag<StateRecord>) { return QStringLiteral("State"); }
QString searchName(RecordTag<TransitionRecord>) { return QStringLiteral("Transition"); }
QString searchName(RecordTag<TextRecord>) { return QStringLiteral("Text item"); }

template <typename Record>
QString searchLabel(const Record &record)
{
    return record.label;
}
QString searchLabel(const TextRecord &) { return QString(); }
template <typename Record>
constexpr bool namedByLabel()
{
    return !std::is_same<Record, TextRecord>::value;
}

template <typename Record>
QVector<SearchField> searchFields(const Record &record)
{
    return {{SearchHit::Label, &record.label}};
}
QVector<SearchField> searchFields(const StateRecord &record)
{
    return {{SearchHit::Label, &record.label},
            {SearchHit::InitialCondition, &record.initialCondition},
            {SearchHit::EntryAction, &record.entryAction},
            {SearchHit::Action, &record.action},
            {SearchHit::ExitAction, &record.exitAction}};
}
QVector<SearchField> searchFields(const TransitionRecord &record)
{
    return {{SearchHit::Label, &record.label},
            {SearchHit::Condition, &record.condition},
            {SearchHit::Action, &record.action}};
}
QVector<SearchField> searchFields(const TextRecord &record)
{
    return {{SearchHit::TextBody, &record.action}};
}

// The results' name of the kind at ItemRecord index `kind`, and whether
// its hits name the item by label.
QString kindName(int kind, bool *byLabel)
{
    QString name;
    *byLabel = true;
    ItemRecordTypes::forEach([&](auto tag) {
        using Record = typename decltype(tag)::Type;
        if (itemRecordIndex<Record>() != kind)
            return true;
        name = searchName(tag);
        *byLabel = namedByLabel<Record>();
        return false;
    });
    return name;
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
            // A sub-machine's record stands for no item: its state is found
            // on the diagram above.
            if (!isSubMachineLevel(block.process.level))
                check(itemRecordIndex<ProcessRecord>(), index, block.process.label, SearchHit::Label,
                      block.process.label);

            m_path.append(block.process.id);
            m_names.append(block.process.label);
            searchBlock(block);
        }
    }

    QVector<SearchHit> hits() const { return m_hits; }

private:
    void searchBlock(const CanvasBlock &block)
    {
        forEachRecordGroup([&](const auto &group) {
            using Record = typename std::decay_t<decltype(group)>::RecordType;
            const QVector<Record> &records = group.of(block);
            for (int i = 0; i < records.size(); ++i) {
                const Record &record = records.at(i);
                for (const SearchField &field : searchFields(record))
                    check(itemRecordIndex<Record>(), i, searchLabel(record), field.field,
                          *field.value);
            }
            return true;
        });
    }

    void check(int kind, int index, const QString &label, SearchHit::Field field,
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
    case SearchHit::EntryAction:
        return QStringLiteral("entry action");
    case SearchHit::ExitAction:
        return QStringLiteral("exit action");
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
    bool byLabel = true;
    const QString name = kindName(kind, &byLabel);
    if (!byLabel)
        return QStringLiteral("%1 %2").arg(name).arg(index + 1);
    return QStringLiteral("%1 '%2'").arg(name, itemLabel);
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
