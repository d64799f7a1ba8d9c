#pragma once

// Running the programs under measurement as child processes: wall time and
// peak memory of each run, and a private home for their settings.

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QVector>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern char **environ;

struct Run
{
    double ms = -1;       // launch to exit
    double peakMb = 0;
    // Launch to the first frame, for programs that report it (see
    // FirstPaintExit); the exit time for the others.
    double frameMs = -1;
};

// The peak memory the kernel reports for a child counts the memory of the
// process image it replaced: a child spawned straight from a benchmark
// that holds a large project would report at least the benchmark's own
// peak. Every program under measurement is therefore started by a small
// copy of the benchmark (runMeasuredChild), which forks it from its own
// small image, waits for it and reports its wall time and peak on stdout.
inline constexpr const char *MeasuredChildFlag = "--measured-child";

// In main() before anything else: when this process is such a copy, runs
// the program named after the flag and returns the exit code to leave
// with; otherwise returns -1.
inline int runMeasuredChild(int argc, char **argv)
{
    if (argc < 3 || std::strcmp(argv[1], MeasuredChildFlag) != 0)
        return -1;
    // The program reports its first frame on this pipe (FirstPaintExit).
    int frame[2];
    if (pipe(frame) != 0)
        return 1;
    timespec start{}, end{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const pid_t pid = fork();
    if (pid < 0)
        return 1;
    if (pid == 0) {
        // The program's own output (design warnings and the like) is dropped.
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, 1);
        dup2(devNull, 2);
        close(frame[0]);
        char fd[16];
        std::snprintf(fd, sizeof fd, "%d", frame[1]);
        setenv("KESTRO_FIRST_FRAME_FD", fd, 1);
        execv(argv[2], argv + 2);
        _exit(127);
    }
    close(frame[1]);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return 1;
    clock_gettime(CLOCK_MONOTONIC, &end);
    char reported[64] = {};
    const ssize_t got = read(frame[0], reported, sizeof reported - 1);
    close(frame[0]);
    const auto msSinceStart = [&start](long long ns) {
        return (ns - (static_cast<long long>(start.tv_sec) * 1000000000LL + start.tv_nsec)) / 1e6;
    };
    const double ms = msSinceStart(static_cast<long long>(end.tv_sec) * 1000000000LL + end.tv_nsec);
    const double frameMs = got > 0 ? msSinceStart(std::atoll(reported)) : ms;
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::printf("%d %.3f %ld %.3f\n", code, ms, usage.ru_maxrss, frameMs);
    return 0;
}

// Starts program with arguments, waits for it and returns its wall time
// and peak memory; ms stays negative when it could not run or failed.
inline Run spawnAndWait(const QString &program, const QStringList &arguments)
{
    std::vector<QByteArray> storage{QFile::encodeName(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()),
                                    QByteArray(MeasuredChildFlag), QFile::encodeName(program)};
    for (const QString &a : arguments)
        storage.push_back(QFile::encodeName(a));
    std::vector<char *> argv;
    for (QByteArray &s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    Run run;
    int report[2];
    if (pipe(report) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, report[1], 1);
    posix_spawn_file_actions_addclose(&actions, report[0]);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(report[1]);
    QByteArray line;
    char buffer[256];
    for (ssize_t n; (n = read(report[0], buffer, sizeof buffer)) > 0;)
        line.append(buffer, int(n));
    close(report[0]);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return run;
    int code = -1;
    double ms = -1, frameMs = -1;
    long peakKb = 0;
    if (std::sscanf(line.constData(), "%d %lf %ld %lf", &code, &ms, &peakKb, &frameMs) != 4
        || (code != 0 && code != 1))
        return run;
    run.ms = ms;
    run.peakMb = peakKb / 1024.0;
    run.frameMs = frameMs;
    return run;
}

// Keeps the best times and the highest peak of runs of one program.
inline void keepBest(Run *result, const Run &r)
{
    if (result->ms < 0 || r.ms < result->ms)
        result->ms = r.ms;
    if (result->frameMs < 0 || r.frameMs < result->frameMs)
        result->frameMs = r.frameMs;
    result->peakMb = qMax(result->peakMb, r.peakMb);
}

// Best time and highest peak of several runs: the machine is shared.
inline Run best(const QString &program, const QStringList &arguments, int runs)
{
    Run result;
    for (int i = 0; i < runs; ++i) {
        const Run r = spawnAndWait(program, arguments);
        if (r.ms < 0)
            return r;
        keepBest(&result, r);
    }
    return result;
}

// A program and its arguments.
struct Command
{
    QString program;
    QStringList arguments;
};

// The best runs of several programs started in turn, round after round, so
// that a change in the machine's load falls on all of them alike.
inline QVector<Run> bestInTurn(const QVector<Command> &commands, int rounds)
{
    QVector<Run> results(commands.size());
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < commands.size(); ++i) {
            const Run r = spawnAndWait(commands.at(i).program, commands.at(i).arguments);
            if (r.ms < 0) {
                results[i] = r;
                return results;
            }
            keepBest(&results[i], r);
        }
    }
    return results;
}

// Children keep their settings, data and runtime files under dir and leave
// after their first painted frame, once the work that follows it (making
// the items of the diagrams not shown yet) is done: their peak memory is
// that of the whole project open.
inline void isolateChildren(const QString &dir)
{
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString path = dir + QLatin1Char('/') + QString::fromLatin1(name);
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(name, QFile::encodeName(path));
    }
    qputenv("KESTRO_EXIT_AFTER_FIRST_PAINT", "idle");
}
