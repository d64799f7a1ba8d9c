#include "TcpConnection.h"

#include "MachineProject.h"

namespace {

struct Arc
{
    const char *label;
    const char *from;
    const char *to;
    const char *condition;
    const char *action;
};

// Outgoing transitions in the order the machine tests them.
const Arc Arcs[] = {
    { "passive_open", "Closed", "Listen", "(app_passive_open != 0)", "" },
    { "active_open", "Closed", "SynSent", "(app_active_open != 0)", "retries = 0u;" },
    { "rcv_syn", "Listen", "SynReceived", "(rx_syn != 0)", "tcp_send(\"SYN,ACK\");" },
    { "close_listen", "Listen", "Closed", "(app_close != 0)", "" },
    { "rcv_syn_ack", "SynSent", "Established", "(rx_syn_ack != 0)", "tcp_send(\"ACK\");" },
    { "give_up", "SynSent", "Closed", "(kestro_cycles_in_state >= SYN_RTO && retries >= MAX_RETRIES)",
      "tcp_log(\"no answer\");" },
    { "retransmit", "SynSent", "SynSent", "(kestro_cycles_in_state >= SYN_RTO)", "retries++;" },
    { "rcv_ack", "SynReceived", "Established", "(rx_ack != 0)", "" },
    { "syn_timeout", "SynReceived", "Listen", "(kestro_cycles_in_state >= SYN_RTO)", "" },
    { "close", "Established", "FinWait1", "(app_close != 0)", "tcp_send(\"FIN\");" },
    { "rcv_fin", "Established", "CloseWait", "(rx_fin != 0)", "tcp_send(\"ACK\");" },
    { "rcv_ack_of_fin", "FinWait1", "FinWait2", "(rx_ack != 0)", "" },
    { "simultaneous_close", "FinWait1", "Closing", "(rx_fin != 0)", "tcp_send(\"ACK\");" },
    { "rcv_fin_2", "FinWait2", "TimeWait", "(rx_fin != 0)", "tcp_send(\"ACK\");" },
    { "fin_wait_timeout", "FinWait2", "Closed", "(kestro_cycles_in_state >= FIN_WAIT_LIMIT)",
      "tcp_log(\"peer gone\");" },
    { "app_close_2", "CloseWait", "LastAck", "(app_close != 0)", "tcp_send(\"FIN\");" },
    { "rcv_ack_closing", "Closing", "TimeWait", "(rx_ack != 0)", "" },
    { "rcv_ack_last", "LastAck", "Closed", "(rx_ack != 0)", "" },
    { "two_msl", "TimeWait", "Closed", "(kestro_cycles_in_state >= TWO_MSL)", "" },
};

struct Node
{
    const char *label;
    const char *entry;
    const char *exit;
};

const Node Nodes[] = {
    { "Closed", "tcp_log(\"closed\");", "" },
    { "Listen", "", "" },
    // Sent on every entry: the retransmission is a self transition.
    { "SynSent", "tcp_send(\"SYN\");", "" },
    { "SynReceived", "", "" },
    { "Established", "tcp_log(\"connected\");", "tcp_log(\"disconnecting\");" },
    { "FinWait1", "", "" },
    { "FinWait2", "", "" },
    { "CloseWait", "", "" },
    { "Closing", "", "" },
    { "LastAck", "", "" },
    { "TimeWait", "tcp_log(\"time wait\");", "tcp_log(\"time wait over\");" },
};

} // namespace

namespace TcpConnection {

ProjectDocument document()
{
    using MachineProject::item;
    ProjectDocument doc = MachineProject::skeleton(QStringLiteral("Net"), QStringLiteral("Tcp"));
    CanvasBlock &machine = doc.blocks[3];
    MemoryRecord retries = item<MemoryRecord>(6, QStringLiteral("retries"));
    retries.datatype = QStringLiteral("uint8_t");
    machine.memories << retries;
    TextRecord includes;
    includes.level = 6;
    includes.parentId = includes.grandParentId = 1;
    includes.type = 1;
    includes.action = QStringLiteral("#include <stdint.h>\n#include \"tcp_io.h\"");
    TextRecord macros = includes;
    macros.type = 2;
    macros.action = QStringLiteral("/* timeouts in cycles */\n#define SYN_RTO 3u\n#define MAX_RETRIES 2u\n"
                                   "#define FIN_WAIT_LIMIT 8u\n#define TWO_MSL 4u");
    machine.texts << includes << macros;
    for (const Node &node : Nodes) {
        StateRecord s = item<StateRecord>(6, QLatin1String(node.label));
        s.entryAction = QLatin1String(node.entry);
        s.exitAction = QLatin1String(node.exit);
        s.ifInitialState = s.label == QLatin1String("Closed");
        machine.states << s;
    }
    for (const Arc &arc : Arcs) {
        TransitionRecord t = item<TransitionRecord>(6, QLatin1String(arc.label));
        t.condition = QLatin1String(arc.condition);
        t.action = QLatin1String(arc.action);
        t.startItem = QLatin1String(arc.from);
        t.endItem = QLatin1String(arc.to);
        for (StateRecord &s : machine.states) {
            if (s.label == t.startItem || s.label == t.endItem)
                s.transitions << t.label;
        }
        machine.transitions << t;
    }
    doc.treeText = treeTextFromBlocks(doc);
    return doc;
}

QString tcpIoHeader()
{
    return QStringLiteral("extern int app_passive_open, app_active_open, app_close;\n"
                          "extern int rx_syn, rx_syn_ack, rx_ack, rx_fin;\n"
                          "void tcp_send(const char *segment);\n"
                          "void tcp_log(const char *text);\n");
}

} // namespace TcpConnection
