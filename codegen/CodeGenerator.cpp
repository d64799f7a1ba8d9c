#include "CodeGenerator.h"

#include "CEmitter.h"
#include "Canvas.h"
#include "CodegenErrorLog.h"
#include "CodegenProperties.h"
#include "DataflowItem.h"
#include "MemoryItem.h"
#include "ModuleFiles.h"
#include "ProcessItem.h"
#include "Prompter.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TransitionItem.h"

#include <QFile>
#include <QHash>
#include <QPair>
#include <QSettings>

namespace {

const char *const BoxTitle = "Kestro";

// Identity of a tree node as its canvas and its process item carry it.
QString nodeKey(int level, int id, int parentId, int grandParentId, int nos, const QString &label)
{
    return QStringLiteral("%1/%2/%3/%4/%5/").arg(level).arg(id).arg(parentId).arg(grandParentId).arg(nos)
        + label;
}

// The first process item of a diagram for every node identity on it.
QHash<QString, ProcessItem *> standInsOf(const Canvas *diagram)
{
    QHash<QString, ProcessItem *> items;
    const QList<ProcessItem *> &list = diagram->processItems();
    for (auto it = list.crbegin(); it != list.crend(); ++it) {
        ProcessItem *p = *it;
        items.insert(nodeKey(p->level(), p->id(), p->parentId(), p->grandParentId(), p->nos(), p->label()), p);
    }
    return items;
}

MachineState machineState(const StateItem *s)
{
    MachineState state;
    state.label = s->label();
    state.description = s->description();
    state.action = s->action();
    state.initial = s->isInitialState();
    state.initialCondition = s->initialCondition();
    state.initialDescription = s->initialDescription();
    return state;
}

} // namespace

CodeGenerator::CodeGenerator(QWidget *dialogParent)
    : m_dialogParent(dialogParent)
{
}

CodeGenerator::~CodeGenerator()
{
    // The dialogs may have a parent window that deleted them already.
    delete m_properties.data();
    delete m_errorLog.data();
}

void CodeGenerator::loadSettings(const QSettings &settings)
{
    if (settings.contains(QStringLiteral("author")))
        m_author = settings.value(QStringLiteral("author")).toString();
    if (settings.contains(QStringLiteral("organization")))
        m_organization = settings.value(QStringLiteral("organization")).toString();
    bool ok = false;
    const double version = settings.value(QStringLiteral("version")).toDouble(&ok);
    if (ok)
        m_version = version;
}

void CodeGenerator::saveSettings(QSettings &settings) const
{
    settings.setValue(QStringLiteral("author"), m_author);
    settings.setValue(QStringLiteral("organization"), m_organization);
    settings.setValue(QStringLiteral("version"), m_version);
}

void CodeGenerator::setProjectPath(const QString &path)
{
    m_outputDirectory = path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

CodegenProperties *CodeGenerator::properties()
{
    if (!m_properties)
        m_properties = new CodegenProperties(m_dialogParent);
    return m_properties;
}

CodegenErrorLog *CodeGenerator::errorLog()
{
    if (!m_errorLog)
        m_errorLog = new CodegenErrorLog(m_dialogParent);
    return m_errorLog;
}

void CodeGenerator::setDialogRunner(const DialogRunner &runner)
{
    m_dialogRunner = runner;
}

int CodeGenerator::runDialog(QDialog *dialog)
{
    return m_dialogRunner ? m_dialogRunner(dialog) : dialog->exec();
}

bool CodeGenerator::runProperties(QWidget *parent)
{
    if (parent && !m_dialogParent && !m_properties && !m_errorLog)
        m_dialogParent = parent;
    CodegenProperties *dialog = properties();
    dialog->setOutputDirectory(m_outputDirectory);
    dialog->setAuthor(m_author);
    dialog->setOrganization(m_organization);
    dialog->setVersion(m_version);
    dialog->refresh();
    if (runDialog(dialog) != QDialog::Accepted)
        return false;
    m_outputDirectory = dialog->outputDirectory();
    m_author = dialog->author();
    m_organization = dialog->organization();
    m_version = dialog->version();
    return true;
}

void CodeGenerator::setDiagram(Canvas *canvas)
{
    m_diagram = canvas;
}

Canvas *CodeGenerator::diagram() const
{
    return m_diagram;
}

void CodeGenerator::setProcess(ProcessItem *process)
{
    m_process = process;
    m_moduleName = process ? CEmitter::moduleName(process->label()) : QString();
}

ProcessItem *CodeGenerator::process() const
{
    return m_process;
}

void CodeGenerator::countDataflows()
{
    m_inputVariables = 0;
    m_outputVariables = 0;
    if (!m_process)
        return;
    for (const DataflowItem *d : m_process->dataflows()) {
        if (d->startGraphic() == m_process)
            ++m_outputVariables;
        else if (d->endGraphic() == m_process)
            ++m_inputVariables;
    }
}

MachineDescription CodeGenerator::describe() const
{
    MachineDescription m;
    m.inputVariables = m_inputVariables;
    m.outputVariables = m_outputVariables;
    if (m_process) {
        m.processLabel = m_process->label();
        m.processDescription = m_process->description();
    }
    if (!m_diagram)
        return m;

    const QList<StateItem *> &states = m_diagram->states();
    QHash<const StateItem *, int> stateIndex;
    stateIndex.reserve(states.size());
    for (const StateItem *s : states) {
        if (!stateIndex.contains(s))
            stateIndex.insert(s, m.states.size());
        m.states << machineState(s);
    }

    QHash<const TransitionItem *, int> transitionIndex;
    const auto indexOf = [&](const TransitionItem *t) {
        auto found = transitionIndex.constFind(t);
        if (found != transitionIndex.constEnd())
            return found.value();
        MachineTransition transition;
        transition.label = t->label();
        transition.condition = t->condition();
        transition.action = t->action();
        transition.start = stateIndex.value(t->startItem(), MachineTransition::NotInDiagram);
        transition.end = stateIndex.value(t->endItem(), MachineTransition::NotInDiagram);
        const int index = m.transitions.size();
        m.transitions << transition;
        transitionIndex.insert(t, index);
        return index;
    };
    for (const TransitionItem *t : m_diagram->transitions())
        indexOf(t);
    m.transitionCount = m_diagram->transitions().size();
    // A state's list is what the emitter walks; a transition attached to the
    // state but missing from the diagram's list still belongs to it.
    for (int i = 0; i < states.size(); ++i) {
        for (const TransitionItem *t : states.at(i)->transitions())
            m.states[i].transitions << indexOf(t);
    }

    for (const TextItem *t : m_diagram->textItems())
        m.texts << MachineText { t->textType(), t->action() };
    for (const MemoryItem *memory : m_diagram->memoryItems())
        m.memories << MachineMemory { memory->label(), memory->datatype() };
    return m;
}

bool CodeGenerator::generate()
{
    m_lastErrors.clear();
    m_lastWritten.clear();
    if (!m_diagram || !m_process)
        return false;

    ModuleProperties props;
    props.projectName = m_projectName;
    props.author = m_author;
    props.organization = m_organization;
    props.version = m_version;
    const GeneratedModule module = CEmitter::generate(describe(), props);

    const QStringList existing = ModuleFiles::existing(m_outputDirectory, module);
    if (!existing.isEmpty()) {
        MessageRequest question;
        question.icon = QMessageBox::Question;
        question.title = QString::fromLatin1(BoxTitle);
        question.text = QStringLiteral("Source files with the same name exists");
        question.informativeText = QStringLiteral("Do you want to replace the existing files?");
        question.buttons = QMessageBox::Yes | QMessageBox::Cancel;
        question.defaultButton = QMessageBox::Yes;
        if (Prompter::current()->message(m_dialogParent, question) != QMessageBox::Yes)
            return false;
        for (const QString &path : existing)
            QFile::remove(path);
    }

    const ModuleFiles::Result result = ModuleFiles::write(m_outputDirectory, module);
    if (!result.ok()) {
        Prompter::critical(m_dialogParent, QString::fromLatin1(BoxTitle),
                           QStringLiteral("The files of state machine %1 were not written.\n\n%2")
                               .arg(module.moduleName, result.errors.join(QLatin1Char('\n'))));
        return false;
    }
    m_lastWritten = result.written;
    m_lastErrors = module.errors;
    if (!module.errors.isEmpty()) {
        CodegenErrorLog *log = errorLog();
        log->setErrors(module.errors);
        runDialog(log);
    }
    return true;
}

QString CodeGenerator::successMessage() const
{
    return QStringLiteral("Source file successfully created at %1 ").arg(m_outputDirectory);
}

QStringList CodeGenerator::generateAll(const QList<Canvas *> &canvases)
{
    // Software-module diagrams by (id, parentId); the first in list order wins.
    QHash<QPair<int, int>, Canvas *> modules;
    for (auto it = canvases.crbegin(); it != canvases.crend(); ++it) {
        Canvas *c = *it;
        if (c->level() == 4)
            modules.insert(qMakePair(c->id(), c->parentId()), c);
        else if (c->level() == 1)
            m_projectName = c->name();
    }

    QHash<const Canvas *, QHash<QString, ProcessItem *>> standIns;   // per module diagram
    QStringList messages;
    for (Canvas *machine : canvases) {
        if (machine->level() != 5)
            continue;
        Canvas *parent = modules.value(qMakePair(machine->parentId(), machine->grandParentId()));
        if (!parent)
            continue;
        auto items = standIns.find(parent);
        if (items == standIns.end())
            items = standIns.insert(parent, standInsOf(parent));
        ProcessItem *process = items->value(nodeKey(machine->level(), machine->id(), machine->parentId(),
                                                    machine->grandParentId(), machine->nos(), machine->name()));
        if (!process)
            continue;
        setDiagram(machine);
        setProcess(process);
        countDataflows();
        if (generate())
            messages << successMessage();
    }
    return messages;
}
