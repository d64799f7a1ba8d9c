#include "Project.h"

#include "AddProcessItemCommand.h"
#include "AddSubMachineCommand.h"
#include "Canvas.h"
#include "CanvasSizeCommand.h"
#include "DeleteProcessItemCommand.h"
#include "ItemKinds.h"
#include "ProcessChangeCommand.h"
#include "ProjectRenameCommand.h"
#include "ProjectSettingCommand.h"
#include "CanvasPaths.h"
#include "ProcessItem.h"
#include "ProjectBuilder.h"
#include "ProjectDocument.h"
#include "ProjectFileWriter.h"
#include "ProjectRecords.h"
#include "ProjectSnapshot.h"
#include "RemoveSubMachineCommand.h"
#include "StateItem.h"
#include "TreeModel.h"

#include <QTimer>
#include <QUndoGroup>
#include <QUndoStack>

#include <algorithm>
#include <utility>

Project::Project(QObject *parent)
    : QObject(parent),
      m_treeModel(new TreeModel(QStringList(QString()), QString(), this)),
      m_undoGroup(new QUndoGroup(this))
{
    m_filling = new QTimer(this);
    m_filling->setSingleShot(true);
    m_filling->setInterval(0);
    connect(m_filling, &QTimer::timeout, this, &Project::fillNextCanvas);
    // Process items taken away or put back carry machines with their
    // sub-machines: the sub-machine nodes follow the canvases.
    connect(this, &Project::structureChanged, this, [this] { subMachines().syncNodes(); });
}

Project::~Project()
{
    // The canvases are children; their stacks leave the group as they go.
    // Nobody listens any more while they are destroyed.
    blockSignals(true);
    qDeleteAll(std::exchange(m_canvases, {}));
}

void Project::setContextMenus(const QVector<QMenu *> &menus)
{
    m_menus = menus;
    m_menus.resize(ItemKinds::all().size());
}

CanvasSetup Project::canvasSetup() const
{
    CanvasSetup setup;
    setup.menus = m_menus.isEmpty() ? nullptr : m_menus.constData();
    setup.parent = const_cast<Project *>(this);
    setup.size = m_canvasSize;
    setup.created = [project = const_cast<Project *>(this)](Canvas *canvas) { project->adopt(canvas); };
    return setup;
}

QString Project::name() const
{
    return m_canvases.isEmpty() ? QString() : m_canvases.first()->name();
}

void Project::setFilePath(const QString &path)
{
    if (path == m_filePath)
        return;
    m_filePath = path;
    emit filePathChanged(path);
}

Canvas *Project::createCanvas(const CanvasIdentity &identity)
{
    Canvas *canvas = ::createCanvas(canvasSetup(), identity);
    m_canvases.append(canvas);
    return canvas;
}

void Project::adopt(Canvas *canvas)
{
    m_undoGroup->addStack(canvas->undoStack());
    connect(canvas->undoStack(), &QUndoStack::cleanChanged, this, &Project::updateModified);
    connect(canvas, &Canvas::edited, this, &Project::markModified);
    connect(canvas, &Canvas::itemInserted, this,
            [this, canvas](QGraphicsItem *item) { emit itemAdded(canvas, item); });
    connect(canvas, &Canvas::processItemInserted, this,
            [this, canvas](ProcessItem *item) { processItemInserted(canvas, item); });
    connect(canvas, &Canvas::propertiesRequested, this,
            [this, canvas](QGraphicsItem *item) { emit propertiesRequested(canvas, item); });
    connect(canvas, &QObject::destroyed, this, [this, canvas] { m_canvases.removeOne(canvas); });
    // A holder state renamed (or its renaming undone) renames its diagram.
    connect(canvas->undoStack(), &QUndoStack::indexChanged, this,
            [this, canvas] { subMachines().followLabels(canvas); });
}

Canvas *Project::shownCanvas() const
{
    return m_shownCanvas;
}

void Project::showCanvas(Canvas *canvas)
{
    if (canvas)
        canvas->makePendingItems();
    m_shownCanvas = canvas;
    m_undoGroup->setActiveStack(canvas ? canvas->undoStack() : nullptr);
    emit canvasShown(canvas);
}

// --- opening, saving, closing ---------------------------------------------------------

LoadNotes Project::open(const ProjectRecordLists &records)
{
    close();
    m_treeModel->setupModelData(records.treeText, true);
    m_simulationSettings = records.simulation;
    ProjectBuilder builder(canvasSetup());
    m_canvases = builder.buildLazily(records);
    subMachines().syncNodes();
    markSaved();
    m_filling->start();
    return builder.loadNotes();
}

bool Project::hasPendingItems() const
{
    return std::any_of(m_canvases.cbegin(), m_canvases.cend(),
                       [](const Canvas *canvas) { return canvas->hasPendingItems(); });
}

void Project::fillNextCanvas()
{
    for (Canvas *canvas : qAsConst(m_canvases)) {
        if (canvas->hasPendingItems()) {
            canvas->makePendingItems();
            m_filling->start();
            return;
        }
    }
}

void Project::close()
{
    if (!m_canvases.isEmpty())
        emit aboutToClose();
    m_filling->stop();
    m_shownCanvas = nullptr;
    m_undoGroup->setActiveStack(nullptr);
    qDeleteAll(std::exchange(m_canvases, {}));
    m_treeModel->clear();
    m_simulationSettings = SimulationSettings();
    m_pendingEdits = false;
    updateModified();
}

bool Project::snapshot(ProjectDocument *document, QString *error) const
{
    if (!ProjectSnapshot::take(m_canvases, document, error))
        return false;
    document->simulation = m_simulationSettings;
    return true;
}

bool Project::writeTo(const QString &path, QString *error) const
{
    ProjectDocument document;
    if (!snapshot(&document, error))
        return false;
    ProjectFileWriter writer;
    if (writer.write(document, path))
        return true;
    if (error)
        *error = writer.errorString();
    return false;
}

// --- modified flag ---------------------------------------------------------------------------

void Project::markModified()
{
    m_pendingEdits = true;
    updateModified();
}

void Project::markSaved()
{
    m_pendingEdits = false;
    for (Canvas *canvas : qAsConst(m_canvases))
        canvas->undoStack()->setClean();
    updateModified();
}

void Project::updateModified()
{
    bool modified = m_pendingEdits;
    for (int i = 0; !modified && i < m_canvases.size(); ++i)
        modified = !m_canvases.at(i)->undoStack()->isClean();
    if (modified == m_modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

// --- project structure --------------------------------------------------------------------------

ProjectStructure Project::structure()
{
    return ProjectStructure(&m_canvases, m_treeModel, canvasSetup());
}

void Project::processItemInserted(Canvas *canvas, ProcessItem *item)
{
    Canvas *opened = structure().addProcessItem(canvas, item);
    if (!opened) {
        markModified();
        return;
    }
    canvas->pushCommand(new AddProcessItemCommand(this, canvas, item));
    emit processItemAdded(canvas, item, opened);
}

void Project::processItemEdited(Canvas *canvas, const QVector<ItemChange> &changes)
{
    if (canvas && !changes.isEmpty())
        canvas->pushCommand(new ProcessChangeCommand(this, canvas, changes));
}

void Project::followProcessLabel(Canvas *canvas, ProcessItem *item)
{
    if (structure().processItemRenamed(canvas, item))
        emit processItemRenamed(canvas, item);
}

ProjectStructure::DeleteResult Project::deleteProcessItem(Canvas *canvas, ProcessItem *item)
{
    if (!canvas || !item || !canvas->processItems().contains(item))
        return ProjectStructure::DeleteResult::NotFound;
    if (canvas->processItems().size() < 2)
        return ProjectStructure::DeleteResult::LastProcessItem;
    if (!structure().canRenameProcessItem(canvas, item))
        return ProjectStructure::DeleteResult::NotFound;
    auto *command = new DeleteProcessItemCommand(this, canvas, item);
    canvas->pushCommand(command);
    if (!command->deleted())
        return ProjectStructure::DeleteResult::NotFound;
    emit processItemRemoved(canvas);
    return ProjectStructure::DeleteResult::Deleted;
}

// --- sub-machines --------------------------------------------------------------------------

SubMachineStructure Project::subMachines()
{
    return SubMachineStructure(&m_canvases, m_treeModel, canvasSetup());
}

Canvas *Project::addSubMachine(Canvas *canvas, StateItem *state, const QString &mode)
{
    if (!SubMachineStructure::canHoldSubMachines(canvas) || !state || state->holdsSubMachine()
        || !canvas->states().contains(state) || mode.isEmpty())
        return nullptr;
    auto *command = new AddSubMachineCommand(this, canvas, state, mode);
    canvas->pushCommand(command);
    return command->created();
}

bool Project::removeSubMachine(Canvas *canvas, StateItem *state)
{
    if (!canvas || !subMachines().subMachineOf(canvas, state))
        return false;
    auto *command = new RemoveSubMachineCommand(this, canvas, state);
    canvas->pushCommand(command);
    return command->removed();
}

bool Project::deleteSelectionWithSubMachines(Canvas *canvas)
{
    if (!canvas)
        return false;
    QList<StateItem *> held;
    const SubMachineStructure structure = subMachines();
    for (QGraphicsItem *item : canvas->selectedItems()) {
        auto *state = qgraphicsitem_cast<StateItem *>(item);
        if (state && structure.subMachineOf(canvas, state))
            held << state;
    }
    if (held.isEmpty())
        return canvas->deleteSelection();
    QUndoStack *stack = canvas->undoStack();
    stack->beginMacro(QStringLiteral("Delete"));
    for (StateItem *state : qAsConst(held))
        stack->push(new RemoveSubMachineCommand(this, canvas, state));
    const bool deleted = canvas->deleteSelection();
    stack->endMacro();
    return deleted;
}

bool Project::rename(const QString &name)
{
    if (m_canvases.isEmpty() || m_treeModel->rowCount() == 0)
        return false;
    // The name is the title of the project's own diagram: its steps all go
    // on that diagram's stack, in the order they were made.
    m_canvases.first()->pushCommand(new ProjectRenameCommand(this, this->name(), name));
    return true;
}

QString Project::codeStyle() const
{
    return m_canvases.isEmpty() ? QString() : m_canvases.first()->codeStyle();
}

void Project::setCodeStyle(const QString &style)
{
    if (m_canvases.isEmpty() || style == codeStyle())
        return;
    m_canvases.first()->pushCommand(ProjectSettingSteps::codeStyle(m_canvases.first(), codeStyle(), style));
}

void Project::setSimulationSettings(const SimulationSettings &settings)
{
    if (m_canvases.isEmpty() || settings == m_simulationSettings)
        return;
    m_canvases.first()->pushCommand(new ProjectSettingCommand<Project, SimulationSettings>(
        QStringLiteral("Change Simulation Settings"), this, &Project::applySimulationSettings, m_simulationSettings,
        settings));
}

QString Project::counterType() const
{
    return m_canvases.isEmpty() ? QString() : m_canvases.first()->counterType();
}

void Project::setCounterType(const QString &type)
{
    if (m_canvases.isEmpty() || type == counterType())
        return;
    m_canvases.first()->pushCommand(ProjectSettingSteps::counterType(m_canvases.first(), counterType(), type));
}

void Project::applyName(const QString &name)
{
    if (m_canvases.isEmpty() || m_treeModel->rowCount() == 0)
        return;
    m_canvases.first()->setName(name);
    m_treeModel->renameNode(m_treeModel->index(0, 0), name);
}

void Project::setCanvasSize(const QSize &size)
{
    if (size == m_canvasSize)
        return;
    m_canvasSize = size;
    emit canvasSizeChanged(size);
}

void Project::resizeCanvas(Canvas *canvas, const QSize &size)
{
    if (!canvas) {
        setCanvasSize(size);
        return;
    }
    const QSize before = canvas->sceneRect().size().toSize();
    if (before == size && m_canvasSize == size)
        return;
    canvas->pushCommand(new CanvasSizeCommand(this, canvas, before, size));
}
