#include "ClipRecords.h"

#include "ProjectDocument.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"
#include "RecordGroups.h"

namespace {

const char *const kHolderLabel = "Clipboard";

// A process record the writer accepts right below the root.
ProcessRecord asSecondLevel(ProcessRecord process)
{
    process.level = 2;
    process.parentId = 1;
    process.grandParentId = 1;
    return process;
}

} // namespace

namespace ClipRecords {

QString mimeType()
{
    return QStringLiteral("application/x-kestro-items");
}

QByteArray toXml(const ProjectRecordLists &items)
{
    ProjectDocument document;
    document.layout = GroupLayout::NewProject;
    document.root = savedRootProcess(QLatin1String(kHolderLabel));
    CanvasBlock holder;
    holder.process = asSecondLevel(document.root);
    holder.process.id = 1;
    holder.process.nos = 1;
    forEachRecordGroup([&](const auto &group) {
        group.of(holder) = group.of(items);
        return true;
    });
    document.blocks.append(holder);
    for (const ProcessRecord &process : items.processes) {
        CanvasBlock block;
        block.process = asSecondLevel(process);
        document.blocks.append(block);
    }
    document.treeText = treeTextFromBlocks(document);
    ProjectFileWriter writer;
    QByteArray xml;
    if (!writer.writeToBytes(document, &xml))
        return QByteArray();
    return xml;
}

bool fromXml(const QByteArray &xml, ProjectRecordLists *items, QString *error)
{
    ProjectFileReader reader;
    if (!reader.loadData(xml)) {
        if (error)
            *error = reader.errorString();
        return false;
    }
    ProjectRecordLists records = reader.takeRecords();
    // The root and the holder come first; every other process record is a
    // copied process item.
    if (records.processes.size() < 2 || records.processes.at(1).label != QLatin1String(kHolderLabel)) {
        if (error)
            *error = QStringLiteral("not a clip of diagram items");
        return false;
    }
    records.processes.remove(0, 2);
    records.treeText.clear();
    *items = records;
    return true;
}

bool isEmptyClip(const ProjectRecordLists &items)
{
    return items.processes.isEmpty()
           && forEachRecordGroup([&](const auto &group) { return group.of(items).isEmpty(); });
}

} // namespace ClipRecords
