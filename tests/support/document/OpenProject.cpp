#include "OpenProject.h"

#include "Canvas.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ProjectBuilder.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"
#include "ProjectSnapshot.h"

namespace {

CanvasSetup setupFor(QObject *owner, ProjectStructure *structure)
{
    CanvasSetup setup;
    setup.parent = owner;
    setup.created = [owner, structure](Canvas *canvas) {
        QObject::connect(canvas, &Canvas::processItemInserted, owner,
                         [canvas, structure](ProcessItem *item) { structure->addProcessItem(canvas, item); });
    };
    return setup;
}

} // namespace

QByteArray projectBytes(const ProjectDocument &document)
{
    QByteArray bytes;
    ProjectFileWriter writer;
    if (!writer.writeToBytes(document, &bytes))
        return QByteArray();
    return bytes;
}

bool openInProject(Project &project, const QByteArray &bytes)
{
    ProjectFileReader reader;
    if (!reader.checkData(bytes) || !reader.loadData(bytes))
        return false;
    project.open(reader.takeRecords());
    return project.isOpen();
}

bool openInProject(Project &project, const ProjectDocument &document)
{
    const QByteArray bytes = projectBytes(document);
    return !bytes.isEmpty() && openInProject(project, bytes);
}

QByteArray savedBytes(const Project &project)
{
    ProjectDocument document;
    if (!project.snapshot(&document))
        return QByteArray();
    return projectBytes(document);
}

OpenProject::OpenProject()
    : m_model(QStringList{QString()}, QString()),
      m_structure(&m_canvases, &m_model, CanvasSetup())
{
    m_structure.setCanvasSetup(setupFor(&m_owner, &m_structure));
}

OpenProject::~OpenProject()
{
    close();
}

void OpenProject::close()
{
    qDeleteAll(m_canvases);
    m_canvases.clear();
    m_model.clear();
}

bool OpenProject::open(const QByteArray &bytes)
{
    close();
    ProjectFileReader reader;
    if (!reader.checkData(bytes) || !reader.loadData(bytes)) {
        m_error = reader.errorString();
        return false;
    }
    const ProjectRecordLists records = reader.takeRecords();
    m_model.setupModelData(records.treeText, true);
    ProjectBuilder builder(m_structure.canvasSetup());
    m_canvases = builder.build(records);
    m_notes = builder.notes();
    if (m_canvases.isEmpty()) {
        m_error = QStringLiteral("no canvas built");
        return false;
    }
    return true;
}

bool OpenProject::open(const ProjectDocument &document)
{
    const QByteArray bytes = projectBytes(document);
    if (bytes.isEmpty()) {
        m_error = QStringLiteral("document not writable");
        return false;
    }
    return open(bytes);
}

bool OpenProject::snapshot(ProjectDocument *document)
{
    return ProjectSnapshot::take(m_canvases, document, &m_error);
}

QByteArray OpenProject::save()
{
    ProjectDocument document;
    if (!snapshot(&document))
        return QByteArray();
    ProjectFileWriter writer;
    QByteArray bytes;
    if (!writer.writeToBytes(document, &bytes)) {
        m_error = writer.errorString();
        return QByteArray();
    }
    return bytes;
}

Canvas *OpenProject::canvasNamed(const QString &name) const
{
    for (Canvas *canvas : m_canvases) {
        if (canvas->name() == name)
            return canvas;
    }
    return nullptr;
}
