#pragma once

// Running the programs under measurement as child processes: wall time and
// peak memory of each run, and a private home for their settings.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <vector>

extern char **environ;

struct Run
{
    double ms = -1;
    double peakMb = 0;
};

// Starts program with arguments, waits for it and returns its wall time
// and peak memory; ms stays negative when it could not run or failed.
inline Run spawnAndWait(const QString &program, const QStringList &arguments)
{
    std::vector<QByteArray> storage{QFile::encodeName(program)};
    for (const QString &a : arguments)
        storage.push_back(QFile::encodeName(a));
    std::vector<char *> argv;
    for (QByteArray &s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    Run run;
    QElapsedTimer timer;
    timer.start();
    // The children's own output (design warnings and the like) is dropped.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    const double ms = timer.nsecsElapsed() / 1e6;
    if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 1))
        return run;
    run.ms = ms;
    run.peakMb = usage.ru_maxrss / 1024.0;
    return run;
}

// Best time and highest peak of several runs: the machine is shared.
inline Run best(const QString &program, const QStringList &arguments, int runs)
{
    Run result;
    for (int i = 0; i < runs; ++i) {
        const Run r = spawnAndWait(program, arguments);
        if (r.ms < 0)
            return r;
        if (result.ms < 0 || r.ms < result.ms)
            result.ms = r.ms;
        result.peakMb = qMax(result.peakMb, r.peakMb);
    }
    return result;
}

// Children keep their settings, data and runtime files under dir and leave
// after their first painted frame.
inline void isolateChildren(const QString &dir)
{
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString path = dir + QLatin1Char('/') + QString::fromLatin1(name);
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(name, QFile::encodeName(path));
    }
    qputenv("KESTRO_EXIT_AFTER_FIRST_PAINT", "1");
}
