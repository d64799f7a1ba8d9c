#pragma once

// The confinement of every program Kestro runs for a project: the C
// compiler (a simulation's build, the compile check) and the simulated
// machine's program. QtCore only.
//
// A program runs inside bubblewrap with no network, no IPC, no other
// processes in sight (`--unshare-all`), in a session of its own and ending
// with Kestro (`--die-with-parent --new-session`). It sees the system's
// programs and libraries read-only, the folders it is given read-only (the
// project's folder, include folders), its private build folder and a small
// private /tmp; not the home folder, not /run/user, not the host's /tmp, so
// no D-Bus, display or agent sockets; and an environment cleared down to a
// PATH and the C locale. Inside, kestro-sandbox (sandbox/) sets the resource
// limits and the seccomp filter and executes the program, so they hold from
// its first instruction (Role::Machine also cannot start processes).
//
// Killing the program Kestro started (bubblewrap) ends every process of the
// sandbox, whatever they did to their process groups or sessions.
//
// bubblewrap is looked for as KESTRO_BWRAP when that is set (a test hides
// it that way), else as "bwrap" on the PATH; kestro-sandbox next to the
// running program, in its "cli" subfolder or in "../cli" (the build tree).

#include <QString>
#include <QStringList>

class Sandbox
{
public:
    enum class Role {
        Compiler,   // may start processes (its passes), writes its build folder
        Machine,    // starts none, sees its build folder read-only
    };

    // The limits of each role.
    static constexpr qint64 MachineMemory = 1024LL * 1024 * 1024;
    static constexpr qint64 CompilerMemory = 2048LL * 1024 * 1024;
    static constexpr int MachineCpuSeconds = 3600;
    static constexpr int CompilerCpuSeconds = 120;
    static constexpr qint64 MachineFileSize = 16LL * 1024 * 1024;
    static constexpr qint64 CompilerFileSize = 256LL * 1024 * 1024;
    static constexpr int OpenFiles = 256;
    static constexpr qint64 TmpSize = 64LL * 1024 * 1024;
    // The descriptor the machine's program talks to Kestro over.
    static constexpr int ProtocolFd = 3;

    struct Availability
    {
        bool confined = false;   // bubblewrap and the launcher work here
        QString reason;          // why not, for the user
    };
    // Whether programs can be confined on this machine; probed once per
    // bubblewrap found.
    static Availability availability();

    struct Spec
    {
        Role role = Role::Compiler;
        QString program;              // found on the PATH when not absolute
        QStringList arguments;
        QString buildFolder;          // private; the working directory
        QStringList readOnlyFolders;  // project folder, include folders
        bool keepProtocolFd = false;  // Role::Machine: fd 3 reaches it
    };

    struct Command
    {
        enum Status { Ready, ProgramMissing, NoSandbox };
        Status status = Ready;
        QString program;   // empty unless Ready; `error` says why
        QStringList arguments;
        QString error;
        bool confined = false;
    };
    // The command that runs `spec` confined; with `allowUnconfined` and no
    // sandbox here, the program alone (with the launcher's limits and filter
    // when the launcher is found), which the user agreed to for this run.
    static Command command(const Spec &spec, bool allowUnconfined);

    static QString bubblewrap();
    static QString launcher();
    // `program` as an absolute path: as given, or found on the PATH.
    static QString resolveProgram(const QString &program);

private:
    static QStringList systemMounts();
    static QStringList launcherArguments(const Spec &spec, const QString &program);
};
