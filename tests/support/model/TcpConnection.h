#pragma once

// The connection machine "Tcp" of a TCP endpoint (project "Net"), drawn with
// entry and exit actions and timeouts on the time in state: its eleven
// states, a SYN sent again by a self transition until the retries run out,
// and the waits of FIN-WAIT-2 and TIME-WAIT. Events are the ints of
// "tcp_io.h" (tcpIoHeader()), which the machine reads, and it reports
// through tcp_send() and tcp_log() declared there. For tests of the
// generated C; the records are those a project file would hold.

#include "ProjectDocument.h"

#include <QString>

namespace TcpConnection {

ProjectDocument document();

// The header the machine's include text names.
QString tcpIoHeader();

} // namespace TcpConnection
