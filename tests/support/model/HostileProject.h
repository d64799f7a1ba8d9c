#pragma once

// Projects whose C attacks the computer it runs on, for the tests of the
// sandbox: a one-state machine "Hostile" (project "Hostile") with an int
// `flag`, a text item holding `code` (functions, constructors) and the state
// action `if (!flag) flag = attack();`, so the attack runs in the first
// cycle and the trace shows what it returned. Also what the tests look for
// afterwards: files written and processes left behind.

#include "ProjectDocument.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace HostileProject {

// `includes` goes into a text item of its own (type Includes).
ProjectDocument document(const QString &code, const QString &includes = QString());
// Writes it into `folder` as Hostile.qsmd; its path, empty on failure.
QString write(const QString &folder, const QString &code, const QString &includes = QString());

// The ids of running processes whose command line holds `marker`.
QStringList processesWith(const QByteArray &marker);
// Ends them (what a failing test left behind).
void endProcessesWith(const QByteArray &marker);

// The attacks, as the text of `int attack(void)` and what it needs.
struct Attack
{
    QString includes;
    QString code;
};
// Starts `sh -c "sleep 300" MARKER` in a new process in the way `how` names
// ("fork", "setsid", "clone", "posix_spawn", "system"); returns 1 when it started.
Attack spawn(const QString &how, const QByteArray &marker);
// Connects to 127.0.0.1:`port` and sends a line; 1 when it got through.
Attack connectTo(quint16 port);
// Writes each of `paths` (absolute); returns how many it wrote.
Attack writeFiles(const QStringList &paths);
// Writes to every descriptor open on a file (the protocol's is a socket);
// returns 100 plus the number that took the bytes.
Attack writeDescriptors();
// Sends `signal` to its parent process; returns 1.
Attack signalParent(int signal);
// A constructor that runs before main(): writes `path`, lifts the memory
// limit and prints a forged protocol greeting; attack() returns 1.
Attack constructorFirst(const QString &path);
// Replaces setrlimit() (a limit the program set on itself would not hold)
// and asks for 1.5 GiB; 1 when it got them, 2 when refused.
Attack bigAllocation();
// Writes `lines` (forged protocol lines) to standard output (`fd` -1) or to
// descriptor `fd`; returns 1.
Attack forgeProtocol(int fd, const QString &lines);

} // namespace HostileProject
