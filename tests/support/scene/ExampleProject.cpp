#include "ExampleProject.h"

#include "AutoSize.h"
#include "ConnectorGeometry.h"
#include "LinkItem.h"
#include "MemoryItem.h"

#include <QHash>

namespace ExampleProject {

namespace {

// Fixed font metrics for the stored sizes, so the file does not depend on
// the fonts of the machine that builds it; generous enough for a 12-point
// font. Items of link, memory and
// dataflow boxes are re-measured when a project is loaded anyway.
const TextMetrics Metrics { 8.5, 20.0 };
const LabelMetrics BoxMetrics { 8.5, 20.0 };

const QString NodeColour = QStringLiteral("#fec309");
const QString MachineColour = QStringLiteral("#fc0127");
const QString BoxColour = QStringLiteral("#e5e7e9");
const QString MemoryColour = QStringLiteral("#c0c0c0");
const QString LinkColour = QStringLiteral("#aed6f1");
const QString DataflowColour = QStringLiteral("#f9e79f");

PolygonPoints rectangle(int width, int height)
{
    return { QPointF(0, 0), QPointF(width, 0), QPointF(width, height), QPointF(0, height), QPointF(0, 0) };
}

// Identity of the node that owns a canvas; items on it carry level + 1,
// parentId = id and grandParentId = parentId.
struct Node
{
    int level;
    int id;
    int parentId;
};

// The items of one canvas, built with the identity of its node.
class CanvasBuilder
{
public:
    CanvasBuilder(CanvasBlock *block, const Node &owner)
        : m_block(block), m_level(owner.level + 1), m_parentId(owner.id), m_grandParentId(owner.parentId)
    {
    }

    void link(const ProcessRecord &from, const ProcessRecord &to, const QString &label,
              const QString &description)
    {
        LinkRecord r;
        identify(r);
        const QPointF mid = midPointOfCentres(QPointF(from.xCoord, from.yCoord), from.width, from.height,
                                              QPointF(to.xCoord, to.yCoord), to.width, to.height);
        placeLabelBox(r, mid, label);
        r.label = label;
        r.description = description;
        r.datatype = QStringLiteral("function call");
        r.startItem = from.label;
        r.endItem = to.label;
        r.backgroundColour = LinkColour;
        m_block->links << r;
    }

    MemoryRecord memory(const QString &label, const QString &datatype, double x, double y,
                        const QString &description = QString())
    {
        MemoryRecord r;
        identify(r);
        r.xCoord = x;
        r.yCoord = y;
        r.label = label;
        r.datatype = datatype;
        r.description = description;
        r.backgroundColour = MemoryColour;
        r.polygon = rectangle(memoryItemWidth(label, datatype, Metrics.averageCharWidth), MemoryItem::Height);
        m_block->memories << r;
        return r;
    }

    // writes: the process writes the variable (line type 1), else reads it (2).
    void dataflow(const ProcessRecord &process, const MemoryRecord &memory, bool writes)
    {
        DataflowRecord r;
        identify(r);
        r.lineType = writes ? 1 : 2;
        const int memoryWidth = int(memory.polygon.at(1).x());
        const QPointF mid = midPointOfCentres(QPointF(process.xCoord, process.yCoord), process.width,
                                              process.height, QPointF(memory.xCoord, memory.yCoord),
                                              memoryWidth, MemoryItem::Height);
        placeLabelBox(r, mid, memory.label);
        r.label = memory.label;
        r.datatype = memory.datatype;
        r.startItem = writes ? process.label : memory.label;
        r.endItem = writes ? memory.label : process.label;
        r.backgroundColour = DataflowColour;
        m_block->dataflows << r;
    }

    void state(const QString &label, double x, double y, const QString &action, const QString &description)
    {
        StateRecord r;
        identify(r);
        r.label = label;
        r.xCoord = x;
        r.yCoord = y;
        const QSize size = stateAutoSize(label, action, Metrics);
        r.width = size.width();
        r.height = size.height();
        r.backgroundColour = BoxColour;
        r.polygon = rectangle(r.width, r.height);
        r.action = action;
        r.description = description;
        m_stateIndex.insert(label, m_block->states.size());
        m_block->states << r;
    }

    void makeInitial(const QString &state, const QString &condition, const QString &code)
    {
        StateRecord &r = m_block->states[m_stateIndex.value(state)];
        r.ifInitialState = true;
        r.initialCondition = condition;
        r.initialDescription = code;
    }

    void transition(const QString &label, const QString &from, const QString &to, const QString &condition,
                    const QString &action, const QString &description = QString(),
                    const QPointF &moved = QPointF())
    {
        StateRecord &start = m_block->states[m_stateIndex.value(from)];
        StateRecord &end = m_block->states[m_stateIndex.value(to)];
        TransitionRecord r;
        identify(r);
        r.label = label;
        r.condition = condition;
        r.backgroundColour = BoxColour;
        const QSize size = transitionAutoSize(label, condition, action, Metrics);
        r.width = size.width();
        r.height = size.height();
        QPointF mid;
        if (from == to) {
            mid = selfTransitionMidPos(QPointF(start.xCoord, start.yCoord), start.width, start.height,
                                       m_selfTransitions[from]++);
        } else {
            mid = (itemCentre(QPointF(start.xCoord, start.yCoord), start.width, start.height)
                   + itemCentre(QPointF(end.xCoord, end.yCoord), end.width, end.height))
                / 2.0;
            // Ordinary transitions are listed on both states, self transitions on neither.
            for (StateRecord *s : { &start, &end }) {
                s->transitions << label;
                s->numberOfTI = s->transitions.size();
            }
        }
        // Where the box was created, then moved by the user (midPos keeps
        // the creation point).
        const QPointF topLeft = boxTopLeft(mid, r.width, r.height) + moved;
        r.xCoord = topLeft.x();
        r.yCoord = topLeft.y();
        r.midPos = QString::number(mid.x(), 'g', 6) + QLatin1Char(',') + QString::number(mid.y(), 'g', 6);
        r.polygon = rectangle(r.width, r.height);
        r.startItem = from;
        r.endItem = to;
        r.description = description;
        r.action = action;
        m_block->transitions << r;
    }

    void text(int type, const QString &code, double x, double y)
    {
        TextRecord r;
        identify(r);
        r.xCoord = x;
        r.yCoord = y;
        const QSize size = textAutoSize(code, Metrics);
        r.width = size.width();
        r.height = size.height();
        r.type = type;
        r.backgroundColour = QStringLiteral("#ffffff");
        r.textColour = QStringLiteral("#000000");
        r.polygon = rectangle(r.width, r.height);
        r.action = code;
        m_block->texts << r;
    }

private:
    template <typename Record>
    void identify(Record &r) const
    {
        r.level = m_level;
        r.parentId = m_parentId;
        r.grandParentId = m_grandParentId;
    }

    // A new label box is centred at its default size on the middle point
    // and widened to the right by its label.
    template <typename Record>
    static void placeLabelBox(Record &r, const QPointF &mid, const QString &label)
    {
        const QPointF topLeft = boxTopLeft(mid, 100, 21);
        r.xCoord = topLeft.x();
        r.yCoord = topLeft.y();
        const QSize size = labelBoxSize(label, BoxMetrics);
        r.polygon = rectangle(size.width(), size.height());
    }

    CanvasBlock *m_block;
    int m_level;
    int m_parentId;
    int m_grandParentId;
    QHash<QString, int> m_stateIndex;
    QHash<QString, int> m_selfTransitions;
};

// The process item standing for a node, on its parent's diagram.
ProcessRecord node(int level, int nos, int id, int parentId, int grandParentId, const QString &label,
                   double x, double y, const QString &description)
{
    ProcessRecord r;
    r.level = level;
    r.nos = nos;
    r.id = id;
    r.label = label;
    r.parentId = parentId;
    r.grandParentId = grandParentId;
    r.xCoord = x;
    r.yCoord = y;
    r.width = 300;
    r.height = 250;
    r.shape = 1;
    r.description = description;
    r.backgroundColour = level == 5 ? MachineColour : NodeColour;
    r.polygon = rectangle(r.width, r.height);
    return r;
}

const int Includes = 1;
const int Macros = 2;
const int DefaultCode = 0;

void speedControl(CanvasBlock &block)
{
    CanvasBuilder b(&block, Node { 5, 1, 1 });
    b.state(QStringLiteral("Stopped"), 100, 180, QStringLiteral("speed = 0;\ncycles++;"),
            QStringLiteral("Motor at standstill; waits a few cycles before it starts."));
    b.state(QStringLiteral("Accelerating"), 850, 180, QStringLiteral("speed = clampSpeed(speed + SPEED_STEP);"),
            QStringLiteral("Ramps the speed up by one step per cycle."));
    b.state(QStringLiteral("Cruising"), 850, 650, QStringLiteral("cycles++;"),
            QStringLiteral("Holds the speed for a while."));
    b.state(QStringLiteral("Braking"), 100, 650,
            QStringLiteral("if (speed > SPEED_STEP)\n    speed -= SPEED_STEP;\nelse\n    speed = 0;"),
            QStringLiteral("Brings the motor back to standstill."));
    b.makeInitial(QStringLiteral("Stopped"), QStringLiteral("(MAX_SPEED > 0)"),
                  QStringLiteral("speed = 0;\ncycles = 0;"));
    b.transition(QStringLiteral("Start"), QStringLiteral("Stopped"), QStringLiteral("Accelerating"),
                 QStringLiteral("(cycles > 2)"), QStringLiteral("cycles = 0;"));
    b.transition(QStringLiteral("ReachCruise"), QStringLiteral("Accelerating"), QStringLiteral("Cruising"),
                 QStringLiteral("(speed > 10)"), QStringLiteral("cycles = 0;"));
    b.transition(QStringLiteral("Brake"), QStringLiteral("Cruising"), QStringLiteral("Braking"),
                 QStringLiteral("(cycles > 5)"), QStringLiteral("cycles = 0;"));
    b.transition(QStringLiteral("Halt"), QStringLiteral("Braking"), QStringLiteral("Stopped"),
                 QStringLiteral("(speed == 0)"), QStringLiteral("cycles = 0;"));
    b.transition(QStringLiteral("Hold"), QStringLiteral("Cruising"), QStringLiteral("Cruising"),
                 QStringLiteral("(cycles <= 5)"), QString(),
                 QStringLiteral("Drawn for the reader; the code stays in the state anyway."));
    b.memory(QStringLiteral("speed"), QStringLiteral("uint16_t"), 1450, 500,
             QStringLiteral("Current motor speed"));
    b.memory(QStringLiteral("cycles"), QStringLiteral("uint8_t"), 1450, 590,
             QStringLiteral("Cycles spent in the current state"));
    b.text(Includes, QStringLiteral("#include <stdint.h>"), 1450, 60);
    b.text(Macros, QStringLiteral("#define MAX_SPEED 100\n#define SPEED_STEP 5"), 1450, 160);
    b.text(DefaultCode,
           QStringLiteral("/* Limits a speed to MAX_SPEED. */\n"
                          "static uint16_t clampSpeed(int value)\n"
                          "{\n"
                          "    if (value > MAX_SPEED)\n"
                          "        value = MAX_SPEED;\n"
                          "    return (uint16_t)value;\n"
                          "}"),
           1450, 290);
}

void faultMonitor(CanvasBlock &block)
{
    CanvasBuilder b(&block, Node { 5, 2, 1 });
    b.state(QStringLiteral("Monitoring"), 200, 350, QStringLiteral("faultCount++;"),
            QStringLiteral("Counts the cycles with an overload."));
    b.state(QStringLiteral("Fault"), 1050, 350, QStringLiteral("faultCount = 0;"),
            QStringLiteral("Stops the drive and clears the counter."));
    b.makeInitial(QStringLiteral("Monitoring"), QStringLiteral("(FAULT_LIMIT > 0)"),
                  QStringLiteral("faultCount = 0;"));
    b.transition(QStringLiteral("Overload"), QStringLiteral("Monitoring"), QStringLiteral("Fault"),
                 QStringLiteral("(faultCount > FAULT_LIMIT)"), QStringLiteral("/* stop the drive */"), QString(),
                 QPointF(0, -80));
    b.transition(QStringLiteral("Recover"), QStringLiteral("Fault"), QStringLiteral("Monitoring"),
                 QStringLiteral("(faultCount == 0)"), QString(), QString(), QPointF(0, 80));
    b.memory(QStringLiteral("faultCount"), QStringLiteral("uint8_t"), 1550, 600,
             QStringLiteral("Cycles with an overload"));
    b.text(Includes, QStringLiteral("#include <stdint.h>"), 1450, 100);
    b.text(Macros, QStringLiteral("#define FAULT_LIMIT 3"), 1450, 220);
}

void commandParser(CanvasBlock &block)
{
    CanvasBuilder b(&block, Node { 5, 1, 2 });
    b.state(QStringLiteral("Idle"), 200, 350, QStringLiteral("rxByte = 0x55;"),
            QStringLiteral("Waits for the start byte of a frame."));
    b.state(QStringLiteral("Receiving"), 1050, 350, QStringLiteral("length++;\nrxByte = 0;"),
            QStringLiteral("Collects the bytes of one frame."));
    b.makeInitial(QStringLiteral("Idle"), QStringLiteral("(rxByte == 0)"), QStringLiteral("length = 0;"));
    b.transition(QStringLiteral("StartByte"), QStringLiteral("Idle"), QStringLiteral("Receiving"),
                 QStringLiteral("(rxByte == 0x55)"), QStringLiteral("length = 0;"), QString(), QPointF(0, -80));
    b.transition(QStringLiteral("EndOfFrame"), QStringLiteral("Receiving"), QStringLiteral("Idle"),
                 QStringLiteral("(length >= FRAME_LENGTH)"), QString(), QString(), QPointF(0, 80));
    b.memory(QStringLiteral("rxByte"), QStringLiteral("uint8_t"), 1550, 600, QStringLiteral("Last byte received"));
    b.memory(QStringLiteral("length"), QStringLiteral("uint8_t"), 1550, 720,
             QStringLiteral("Bytes of the current frame"));
    b.text(Includes, QStringLiteral("#include <stdint.h>"), 1450, 100);
    b.text(Macros, QStringLiteral("#define FRAME_LENGTH 4"), 1450, 220);
}

} // namespace

QString projectName()
{
    return QStringLiteral("Example_1");
}

ProjectDocument document()
{
    ProjectDocument doc;
    doc.layout = GroupLayout::Saved;
    doc.root = savedRootProcess(projectName());

    CanvasBlock hardware;
    hardware.process = node(2, 1, 1, 1, 1, QStringLiteral("Motor Controller"), 850, 400,
                            QStringLiteral("Controller board of a small DC motor drive."));

    CanvasBlock controller;
    controller.process = node(3, 1, 1, 1, 1, QStringLiteral("Microcontroller"), 850, 400,
                              QStringLiteral("The drive's microcontroller."));

    CanvasBlock drive;
    drive.process = node(4, 2, 1, 1, 1, QStringLiteral("Drive"), 350, 300,
                         QStringLiteral("Speed control and fault supervision of the motor."));
    CanvasBlock communication;
    communication.process = node(4, 2, 2, 1, 1, QStringLiteral("Communication"), 1250, 300,
                                 QStringLiteral("Serial command interface."));
    {
        CanvasBuilder b(&controller, Node { 3, 1, 1 });
        b.link(communication.process, drive.process, QStringLiteral("speedCommand"),
               QStringLiteral("Commands received on the serial line"));
        const MemoryRecord target = b.memory(QStringLiteral("targetSpeed"), QStringLiteral("uint16_t"), 850, 800,
                                             QStringLiteral("Speed requested by the last command"));
        b.dataflow(communication.process, target, true);
        b.dataflow(drive.process, target, false);
    }

    CanvasBlock speed;
    speed.process = node(5, 2, 1, 1, 1, QStringLiteral("SpeedControl"), 350, 300,
                         QStringLiteral("Ramps the motor up to cruising speed\nand brakes it back to standstill."));
    speedControl(speed);
    CanvasBlock fault;
    fault.process = node(5, 2, 2, 1, 1, QStringLiteral("FaultMonitor"), 1250, 300,
                         QStringLiteral("Watches the drive for overloads."));
    faultMonitor(fault);
    {
        CanvasBuilder b(&drive, Node { 4, 1, 1 });
        b.link(fault.process, speed.process, QStringLiteral("stopRequest"),
               QStringLiteral("Fault monitor stops the drive"));
        const MemoryRecord limit = b.memory(QStringLiteral("speedLimit"), QStringLiteral("uint16_t"), 300, 800,
                                            QStringLiteral("Highest speed allowed"));
        const MemoryRecord motor = b.memory(QStringLiteral("motorSpeed"), QStringLiteral("uint16_t"), 850, 800,
                                            QStringLiteral("Measured motor speed"));
        b.dataflow(speed.process, limit, false);
        b.dataflow(speed.process, motor, true);
        b.dataflow(fault.process, motor, false);
    }

    CanvasBlock parser;
    parser.process = node(5, 1, 1, 2, 1, QStringLiteral("CommandParser"), 850, 300,
                          QStringLiteral("Splits the serial byte stream into frames."));
    commandParser(parser);
    {
        CanvasBuilder b(&communication, Node { 4, 2, 1 });
        const MemoryRecord rx = b.memory(QStringLiteral("rxBuffer"), QStringLiteral("uint8_t"), 400, 750,
                                         QStringLiteral("Bytes from the serial port"));
        const MemoryRecord command = b.memory(QStringLiteral("command"), QStringLiteral("uint8_t"), 1300, 750,
                                              QStringLiteral("Last complete command"));
        b.dataflow(parser.process, rx, false);
        b.dataflow(parser.process, command, true);
    }

    doc.blocks = { hardware, controller, drive, speed, fault, communication, parser };
    doc.treeText = treeTextFromBlocks(doc);
    return doc;
}

} // namespace ExampleProject
