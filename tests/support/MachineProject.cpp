#include "MachineProject.h"

#include "ProjectFileWriter.h"

#include <QStringList>

namespace MachineProject {

ProjectDocument skeleton(const QString &projectName, const QString &machineName)
{
    ProjectDocument doc;
    doc.root = savedRootProcess(projectName);
    const QStringList names{ QStringLiteral("Board"), QStringLiteral("Controller"), QStringLiteral("Tasks"), machineName };
    for (int level = 2; level <= 5; ++level) {
        CanvasBlock block;
        block.process.level = level;
        block.process.nos = block.process.id = block.process.parentId = block.process.grandParentId = 1;
        block.process.label = names.at(level - 2);
        doc.blocks << block;
    }
    return doc;
}

QByteArray bytes(ProjectDocument document)
{
    document.treeText = treeTextFromBlocks(document);
    QByteArray written;
    ProjectFileWriter writer;
    if (!writer.writeToBytes(document, &written))
        qFatal("%s", qPrintable(writer.errorString()));
    return written;
}

} // namespace MachineProject
