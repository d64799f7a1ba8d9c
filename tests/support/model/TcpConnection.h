#pragma once

// The example project Examples/TcpConnection.qsmd and a scenario for its
// machine "Tcp" (project "Net"): the connection states of a TCP endpoint,
// drawn with entry and exit actions and timeouts on the time in state, a
// SYN sent again by a self transition until the retries run out, and the
// waits of FIN-WAIT-2 and TIME-WAIT. The machine reads the ints its
// include text declares and reports through tcp_send() and tcp_log(); the
// scenario defines them, drives the machine and prints what it reported.

#include <QString>

namespace TcpConnection {

#ifdef KESTRO_SOURCE_DIR
// Inline: the path comes from the test's KESTRO_SOURCE_DIR, which the
// support library is built without.
inline QString examplePath()
{
    return QStringLiteral(KESTRO_SOURCE_DIR "/Examples/TcpConnection.qsmd");
}
#endif

// The definitions the module needs, for the top of the driver's file.
QString scenarioDefinitions();

// The body of main(), written with INIT() and STEP() for the module's
// style: an active open nobody answers sends its SYN three times (one
// retransmission per SYN_RTO + 1 cycles) and gives up; a passive open runs
// through the whole connection and its TIME-WAIT.
QString scenarioDriver();

// What the scenario prints.
QString scenarioOutput();

// A whole driver for the generated "Tcp.h": the definitions, INIT() and
// STEP() of the classic or the instance style, and main().
QString scenarioProgram(bool instanceStyle);

} // namespace TcpConnection
