#include "SimulationDock.h"

#include "SimulationFunctionsModel.h"
#include "MachineDescription.h"
#include "SimulationCoverageModel.h"
#include "SimulationLevels.h"
#include "SimulationTrace.h"
#include "SimulationTraceModel.h"
#include "SimulationVariablesModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

// Lines of the machine's output kept in the dock.
const int OutputLines = 2000;
// Characters of the changed variables the trace keeps in sight, and the
// widest the trace makes the dock, in characters.
const int ChangesChars = 24;
const int MaxTraceChars = 100;

QTableView *tableView(QAbstractItemModel *model, QWidget *parent)
{
    auto *view = new QTableView(parent);
    view->setModel(model);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setAlternatingRowColors(true);
    return view;
}

} // namespace

SimulationDock::SimulationDock(SimulationVariablesModel *variables, SimulationTraceModel *trace,
                               SimulationCoverageModel *coverage, QWidget *parent)
    : QDockWidget(QStringLiteral("Simulation"), parent), m_coverageModel(coverage)
{
    setObjectName(QStringLiteral("simulationDock"));
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea | Qt::BottomDockWidgetArea);
    auto *body = new QWidget(this);
    auto *layout = new QVBoxLayout(body);
    layout->addWidget(buildButtons());
    m_cycle = new QLabel(body);
    m_cycle->setObjectName(QStringLiteral("simulationCycle"));
    layout->addWidget(m_cycle);
    m_status = new QLabel(body);
    m_status->setObjectName(QStringLiteral("simulationStatus"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_status);
    layout->addWidget(buildCondition());
    layout->addWidget(buildTables(variables, trace, coverage), 1);
    setWidget(body);
    setCycle(-1, QString());
}

QWidget *SimulationDock::buildButtons()
{
    // Two short rows, so that the dock leaves the diagram most of the width.
    auto *box = new QWidget(this);
    auto *rows = new QVBoxLayout(box);
    rows->setContentsMargins(0, 0, 0, 0);
    auto *buttons = new QHBoxLayout;
    m_reset = new QPushButton(QStringLiteral("Reset"), box);
    m_reset->setToolTip(QStringLiteral("Start the machine again and call its Initialize"));
    m_step = new QPushButton(QStringLiteral("Step"), box);
    m_step->setToolTip(QStringLiteral("Call the machine function once (F10)"));
    m_step->setShortcut(QKeySequence(Qt::Key_F10));
    m_run = new QPushButton(QStringLiteral("Run"), box);
    m_run->setCheckable(true);
    m_stop = new QPushButton(QStringLiteral("Stop"), box);
    m_stop->setToolTip(QStringLiteral("Leave the simulation (Shift+F5 or Esc)"));
    for (QWidget *w : std::initializer_list<QWidget *>{ m_reset, m_step, m_run, m_stop })
        buttons->addWidget(w);
    buttons->addStretch(1);
    rows->addLayout(buttons);

    auto *rate = new QHBoxLayout;
    m_rate = new QSpinBox(box);
    m_rate->setRange(1, MaxRate);
    m_rate->setValue(DefaultRate);
    m_rate->setSuffix(QStringLiteral(" cycles/s"));
    m_rate->setToolTip(QStringLiteral("Cycles per second while running"));
    rate->addWidget(new QLabel(QStringLiteral("Rate:"), box));
    rate->addWidget(m_rate);
    rate->addStretch(1);
    // The diagrams of a machine with sub-machines, each with the active state marked.
    m_diagrams = new QComboBox(box);
    m_diagrams->setObjectName(QStringLiteral("simulationDiagrams"));
    m_diagrams->setToolTip(QStringLiteral("The machine's diagram or one of its sub-machines'"));
    m_showDiagram = new QPushButton(QStringLiteral("Show"), box);
    m_showDiagram->setObjectName(QStringLiteral("simulationShowDiagram"));
    m_showDiagram->setToolTip(QStringLiteral("Show this diagram; the active state is marked on each of them"));
    rate->addWidget(m_diagrams);
    rate->addWidget(m_showDiagram);
    m_diagrams->hide();
    m_showDiagram->hide();
    rows->addLayout(rate);
    connect(m_showDiagram, &QPushButton::clicked, this, [this] { emit diagramRequested(m_diagrams->currentIndex()); });

    connect(m_reset, &QPushButton::clicked, this, &SimulationDock::resetClicked);
    connect(m_step, &QPushButton::clicked, this, &SimulationDock::stepClicked);
    connect(m_run, &QPushButton::toggled, this, &SimulationDock::runToggled);
    connect(m_rate, QOverload<int>::of(&QSpinBox::valueChanged), this, &SimulationDock::rateChanged);
    connect(m_stop, &QPushButton::clicked, this, &SimulationDock::stopClicked);
    return box;
}

QWidget *SimulationDock::buildCondition()
{
    auto *row = new QWidget(this);
    auto *layout = new QFormLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_condition = new QLineEdit(row);
    m_condition->setObjectName(QStringLiteral("simulationCondition"));
    m_condition->setPlaceholderText(QStringLiteral("a C expression, e.g. speed > 10"));
    m_condition->setToolTip(QStringLiteral("Pause when this becomes true. Enter compiles it into the machine's "
                                           "program and starts the machine again."));
    m_condition->setClearButtonEnabled(true);
    layout->addRow(QStringLiteral("Break when:"), m_condition);
    connect(m_condition, &QLineEdit::returnPressed, this,
            [this] { emit conditionEntered(m_condition->text().trimmed()); });
    return row;
}

QWidget *SimulationDock::buildTables(SimulationVariablesModel *variables, SimulationTraceModel *trace,
                                     SimulationCoverageModel *coverage)
{
    auto *splitter = new QSplitter(Qt::Vertical, this);
    m_variables = tableView(variables, splitter);
    m_variables->setObjectName(QStringLiteral("simulationVariables"));
    m_variables->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_variables->horizontalHeader()->setStretchLastSection(true);
    m_variables->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                 | QAbstractItemView::AnyKeyPressed);

    m_functions = new QTableView(splitter);
    m_functions->setObjectName(QStringLiteral("simulationFunctions"));
    m_functions->setToolTip(QStringLiteral("Functions the machine calls that nothing defines, stubbed for the simulation"));
    m_functions->verticalHeader()->hide();
    m_functions->setAlternatingRowColors(true);
    m_functions->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                 | QAbstractItemView::AnyKeyPressed);
    m_functions->hide();

    auto *traceBox = new QWidget(splitter);
    auto *traceLayout = new QVBoxLayout(traceBox);
    traceLayout->setContentsMargins(0, 0, 0, 0);
    auto *traceHead = new QHBoxLayout;
    m_traceNote = new QLabel(QStringLiteral("Trace"), traceBox);
    m_saveTrace = new QPushButton(QStringLiteral("Save Trace..."), traceBox);
    m_saveTrace->setToolTip(QStringLiteral("Save the trace as CSV, as kestro-cli simulate --trace writes it"));
    traceHead->addWidget(m_traceNote, 1);
    traceHead->addWidget(m_saveTrace);
    traceLayout->addLayout(traceHead);
    m_trace = tableView(trace, traceBox);
    m_trace->setObjectName(QStringLiteral("simulationTrace"));
    m_trace->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Widths from the machine's labels (fitTraceColumns): measuring a long
    // trace's contents would take long.
    m_trace->horizontalHeader()->setDefaultSectionSize(80);
    m_trace->verticalHeader()->setDefaultSectionSize(m_trace->fontMetrics().height() + 6);
    traceLayout->addWidget(m_trace);
    connect(m_trace, &QTableView::doubleClicked, this,
            [this](const QModelIndex &index) { emit traceRowActivated(index.row(), index.column()); });
    connect(m_saveTrace, &QPushButton::clicked, this, &SimulationDock::saveTraceClicked);

    buildCoverage(coverage, splitter);

    m_output = new QPlainTextEdit(splitter);
    m_output->setObjectName(QStringLiteral("simulationOutput"));
    m_output->setReadOnly(true);
    m_output->setMaximumBlockCount(OutputLines);
    m_output->setPlaceholderText(QStringLiteral("What the machine prints"));
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    splitter->setStretchFactor(2, 2);
    splitter->setStretchFactor(3, 1);
    return splitter;
}

QWidget *SimulationDock::buildCoverage(SimulationCoverageModel *coverage, QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *head = new QHBoxLayout;
    m_coverageToggle = new QCheckBox(QStringLiteral("Coverage"), box);
    m_coverageToggle->setObjectName(QStringLiteral("simulationCoverageToggle"));
    m_coverageToggle->setToolTip(QStringLiteral("Grey the states and transitions on the diagram that were never "
                                                "reached since the simulation started"));
    m_coverageSummary = new QLabel(box);
    m_coverageSummary->setObjectName(QStringLiteral("simulationCoverageSummary"));
    head->addWidget(m_coverageToggle);
    head->addWidget(m_coverageSummary, 1);
    layout->addLayout(head);
    m_coverage = tableView(coverage, box);
    m_coverage->setObjectName(QStringLiteral("simulationCoverage"));
    m_coverage->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_coverage->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_coverage->horizontalHeader()->setStretchLastSection(true);
    m_coverage->verticalHeader()->setDefaultSectionSize(m_coverage->fontMetrics().height() + 6);
    layout->addWidget(m_coverage);
    connect(m_coverageToggle, &QCheckBox::toggled, this, &SimulationDock::coverageToggled);
    showCoverage();
    return box;
}

QString SimulationDock::coverageSummary() const
{
    return m_coverageSummary->text();
}

void SimulationDock::showCoverage()
{
    m_coverageSummary->setText(m_coverageModel ? m_coverageModel->summary() : QString());
}

void SimulationDock::fitTraceColumns(const MachineDescription &machine)
{
    // Every level's states and transitions, with their places.
    const SimulationLevels levels(machine);
    QStringList states{ SimulationTrace::stateName(machine, machine.states.size()) };
    for (int slot = 0; slot < levels.stateSlots(); ++slot)
        states << levels.stateName(slot);
    QStringList transitions{ QStringLiteral("(initial)") };
    for (int slot = 0; slot < levels.transitionSlots(); ++slot)
        transitions << levels.transitionName(slot);
    const QFontMetrics metrics(m_trace->font());
    QFont bold = m_trace->font();
    bold.setBold(true);
    // The restart mark is bold; cycle numbers up to seven digits fit.
    const int cycleWidth = qMax(QFontMetrics(bold).horizontalAdvance(QStringLiteral("Restart")),
                                metrics.horizontalAdvance(QStringLiteral("9999999")));
    const QStringList cycles;
    // Room for the cell's margins and grid line.
    const int padding = 12;
    // A label longer than this is clipped rather than push the changes out of sight.
    const int widest = metrics.averageCharWidth() * 40;
    QHeaderView *header = m_trace->horizontalHeader();
    int total = m_trace->verticalScrollBar()->sizeHint().width() + 2 * m_trace->frameWidth();
    const QList<QPair<int, QStringList>> columns = { { SimulationTraceModel::CycleColumn, cycles },
                                                     { SimulationTraceModel::BeforeColumn, states },
                                                     { SimulationTraceModel::FiredColumn, transitions },
                                                     { SimulationTraceModel::AfterColumn, states } };
    for (const auto &column : columns) {
        int width = QFontMetrics(header->font())
                        .horizontalAdvance(m_trace->model()->headerData(column.first, Qt::Horizontal).toString());
        if (column.first == SimulationTraceModel::CycleColumn)
            width = qMax(width, cycleWidth);
        for (const QString &text : column.second)
            width = qMax(width, metrics.horizontalAdvance(text.simplified()));
        header->resizeSection(column.first, qMin(width, widest) + padding);
        total += header->sectionSize(column.first);
    }
    header->setStretchLastSection(true);
    // Room for a few changed variables next to them: the dock is made as
    // wide as that needs.
    m_trace->setMinimumWidth(qMin(total + metrics.averageCharWidth() * ChangesChars,
                                  metrics.averageCharWidth() * MaxTraceChars));
}

void SimulationDock::setDiagrams(const QStringList &names)
{
    m_diagrams->clear();
    m_diagrams->addItems(names);
    m_diagrams->setVisible(names.size() > 1);
    m_showDiagram->setVisible(names.size() > 1);
}

void SimulationDock::setShownDiagram(int diagram)
{
    if (diagram >= 0 && diagram < m_diagrams->count())
        m_diagrams->setCurrentIndex(diagram);
}

int SimulationDock::rate() const
{
    return m_rate->value();
}

QString SimulationDock::statusText() const
{
    return m_status->text();
}

QString SimulationDock::cycleText() const
{
    return m_cycle->text();
}

void SimulationDock::setCycle(qint64 cycle, const QString &state)
{
    m_cycle->setText(cycle < 0 ? QStringLiteral("Cycle: -") : QStringLiteral("Cycle: %1    State: %2").arg(cycle).arg(state));
}

void SimulationDock::setStatus(const QString &text, bool failure)
{
    m_statusIsFailure = failure;
    m_status->setStyleSheet(failure ? QStringLiteral("color: #b00000;") : QString());
    m_status->setText(text);
}

void SimulationDock::setRunning(bool running)
{
    const QSignalBlocker blocker(m_run);
    m_run->setChecked(running);
    m_run->setText(running ? QStringLiteral("Pause") : QStringLiteral("Run"));
    m_step->setEnabled(!running && m_reset->isEnabled());
}

void SimulationDock::setMachineUsable(bool stepping, bool resetting)
{
    m_reset->setEnabled(resetting);
    m_step->setEnabled(stepping && !m_run->isChecked());
    m_run->setEnabled(stepping);
}

void SimulationDock::appendOutput(const QByteArray &output)
{
    m_output->moveCursor(QTextCursor::End);
    m_output->insertPlainText(QString::fromUtf8(output));
}

void SimulationDock::clearOutput()
{
    m_output->clear();
}

void SimulationDock::setTraceDropped(qint64 dropped)
{
    m_traceNote->setText(dropped > 0 ? QStringLiteral("Trace (the first %1 cycles are no longer kept)").arg(dropped)
                                     : QStringLiteral("Trace"));
}

void SimulationDock::setFunctionsModel(SimulationFunctionsModel *functions)
{
    m_functions->setModel(functions);
    m_functions->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_functions->horizontalHeader()->setStretchLastSection(true);
    const auto shown = [this, functions] { m_functions->setVisible(functions->rowCount() > 0); };
    connect(functions, &QAbstractItemModel::modelReset, m_functions, shown);
    shown();
}
