#include "ProjectDocument.h"

#include "RecordGroups.h"
#include "SubMachineLevels.h"

#include <QHash>


ProcessRecord savedRootProcess(const QString &projectName)
{
    ProcessRecord r;
    r.level = 1;
    r.nos = 1;
    r.id = 1;
    r.label = projectName;
    r.parentId = 1;
    r.grandParentId = 1;
    r.xCoord = 300;
    r.yCoord = 300;
    r.width = 300;
    r.height = 1000;
    r.shape = 1;
    r.backgroundColour = QStringLiteral("#ff3244");
    r.polygon = {QPointF(0, 0), QPointF(300, 0), QPointF(300, 1000), QPointF(0, 1000),
                 QPointF(0, 0)};
    return r;
}

QString treeTextFromBlocks(const ProjectDocument &document)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text = crlf + document.root.label + crlf;
    for (const CanvasBlock &block : document.blocks) {
        if (isSubMachineLevel(block.process.level))
            continue;   // the tree text lists process nodes only
        text += QString(4 * qMax(0, block.process.level - 1), QLatin1Char(' '));
        text += block.process.label;
        text += crlf;
    }
    return text;
}

QString documentProblem(const ProjectDocument &document)
{
    if (document.root.level != 1 && document.root.id != 1)
        return QStringLiteral("the first canvas is neither level 1 nor id 1");
    int previous = 1;
    for (int i = 0; i < document.blocks.size(); ++i) {
        const ProcessRecord &p = document.blocks.at(i).process;
        if (p.level < 2 || p.level > DeepestCanvasLevel || p.level > previous + 1)
            return QStringLiteral("process item %1 ('%2') has level %3 after level %4")
                .arg(i + 1)
                .arg(p.label)
                .arg(p.level)
                .arg(previous);
        previous = p.level;
    }
    return QString();
}

namespace {

// (level, id, parentId) of a canvas.
struct CanvasKey
{
    int level;
    int id;
    int parentId;
    bool operator==(const CanvasKey &o) const
    {
        return level == o.level && id == o.id && parentId == o.parentId;
    }
};

uint qHash(const CanvasKey &key, uint seed = 0)
{
    return ::qHash((quint64(uint(key.level)) << 40) ^ (quint64(uint(key.id)) << 20)
                       ^ quint64(uint(key.parentId)),
                   seed);
}

// Finds the block an item belongs on. Returns -1 for none.
class BlockIndex
{
public:
    explicit BlockIndex(const QVector<CanvasBlock> &blocks) : m_blocks(blocks)
    {
        // Inserted in reverse so values() lists blocks in document order.
        for (int i = blocks.size() - 1; i >= 0; --i) {
            const ProcessRecord &p = blocks.at(i).process;
            m_byKey.insert(CanvasKey{p.level, p.id, p.parentId}, i);
        }
    }

    template <typename Record>
    int blockFor(const Record &r) const
    {
        const CanvasKey key{r.level - 1, r.parentId, r.grandParentId};
        // fileBlock counts Process records, the root being 0.
        const int own = r.fileBlock - 1;
        if (own >= 0 && own < m_blocks.size()) {
            const ProcessRecord &p = m_blocks.at(own).process;
            if (CanvasKey{p.level, p.id, p.parentId} == key)
                return own;
        }
        return m_byKey.value(key, -1);
    }

private:
    const QVector<CanvasBlock> &m_blocks;
    QMultiHash<CanvasKey, int> m_byKey;
};

template <typename Record>
bool place(const QVector<Record> &records, const BlockIndex &index, const char *kind,
           QVector<CanvasBlock> *blocks, QVector<Record> CanvasBlock::*list, QString *error)
{
    for (int i = 0; i < records.size(); ++i) {
        const Record &r = records.at(i);
        const int block = index.blockFor(r);
        if (block < 0) {
            if (error)
                *error = QStringLiteral("%1 %2 (level %3, parentId %4, grandParentId %5) "
                                        "belongs on no stored canvas")
                             .arg(QLatin1String(kind))
                             .arg(i + 1)
                             .arg(r.level)
                             .arg(r.parentId)
                             .arg(r.grandParentId);
            return false;
        }
        ((*blocks)[block].*list).append(r);
    }
    return true;
}

template <typename Record>
void appendAll(QVector<Record> *to, const QVector<Record> &from, int fileBlock)
{
    for (Record r : from) {
        r.fileBlock = fileBlock;
        to->append(r);
    }
}

} // namespace

bool groupRecords(const ProjectRecordLists &records, GroupLayout layout,
                  ProjectDocument *document, QString *error)
{
    if (records.processes.isEmpty()) {
        if (error)
            *error = QStringLiteral("the file holds no Process element");
        return false;
    }
    ProjectDocument result;
    result.layout = layout;
    result.treeText = records.treeText;
    result.simulation = records.simulation;
    result.root = records.processes.first();
    result.blocks.reserve(records.processes.size() - 1);
    for (int i = 1; i < records.processes.size(); ++i) {
        CanvasBlock block;
        block.process = records.processes.at(i);
        result.blocks.append(block);
    }
    const QString problem = documentProblem(result);
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return false;
    }

    const BlockIndex index(result.blocks);
    QVector<CanvasBlock> *blocks = &result.blocks;
    const bool placed = forEachRecordGroup([&](const auto &group) {
        return place(group.of(records), index, group.element(), blocks, group.inBlock(), error);
    });
    if (!placed)
        return false;
    *document = result;
    return true;
}

ProjectRecordLists flattenDocument(const ProjectDocument &document)
{
    ProjectRecordLists records;
    records.treeText = document.treeText;
    records.simulation = document.simulation;
    records.processes.append(document.root);
    for (int i = 0; i < document.blocks.size(); ++i) {
        const CanvasBlock &block = document.blocks.at(i);
        const int fileBlock = i + 1;
        records.processes.append(block.process);
        forEachRecordGroup([&](const auto &group) {
            appendAll(&group.of(records), group.of(block), fileBlock);
            return true;
        });
    }
    return records;
}
