#include "TcpConnection.h"

namespace TcpConnection {

QString scenarioDefinitions()
{
    return QStringLiteral("#include <stdio.h>\n"
                          "int app_passive_open, app_active_open, app_close, rx_syn, rx_syn_ack, rx_ack, rx_fin;\n"
                          "static void note(const char *what) { printf(\"%s \", what); }\n"
                          "void tcp_send(const char *segment) { printf(\"send:%s \", segment); }\n"
                          "void tcp_log(const char *text) { printf(\"[%s] \", text); }\n");
}

QString scenarioDriver()
{
    return QStringLiteral("\tint i;\n"
                          "\tINIT(); note(\"|\");\n"
                          "\tapp_active_open = 1; STEP(); app_active_open = 0; note(\"|\");\n"
                          "\tfor (i = 0; i < 12; ++i) { STEP(); note(\".\"); }\n"
                          "\tnote(\"|\");\n"
                          "\tapp_passive_open = 1; STEP(); app_passive_open = 0;\n"
                          "\trx_syn = 1; STEP(); rx_syn = 0;\n"
                          "\trx_ack = 1; STEP(); rx_ack = 0; note(\"|\");\n"
                          "\tapp_close = 1; STEP(); app_close = 0;\n"
                          "\trx_ack = 1; STEP(); rx_ack = 0;\n"
                          "\trx_fin = 1; STEP(); rx_fin = 0; note(\"|\");\n"
                          "\tfor (i = 0; i < 5; ++i) { STEP(); note(\".\"); }");
}

QString scenarioOutput()
{
    return QStringLiteral("[closed] | send:SYN | . . . send:SYN . . . . send:SYN . . . . [no answer] [closed] . | "
                          "send:SYN,ACK [connected] | [disconnecting] send:FIN send:ACK [time wait] | "
                          ". . . . [time wait over] [closed] .");
}

QString scenarioProgram(bool instanceStyle)
{
    const QString style = instanceStyle
        ? QStringLiteral("static Tcp_t machine;\n#define INIT() TcpInit(&machine)\n"
                         "#define STEP() (void)TcpStep(&machine)\n")
        : QStringLiteral("#define INIT() TcpInitialize()\n#define STEP() Tcp()\n");
    return scenarioDefinitions() + QStringLiteral("#include \"Tcp.h\"\n") + style
        + QStringLiteral("int main(void)\n{\n") + scenarioDriver() + QStringLiteral("\n\treturn 0;\n}\n");
}

} // namespace TcpConnection
