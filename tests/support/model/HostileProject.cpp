#include "HostileProject.h"

#include "MachineProject.h"

#include <QDir>
#include <QFile>

#include <csignal>

namespace HostileProject {

ProjectDocument document(const QString &code, const QString &includes)
{
    using MachineProject::item;
    ProjectDocument doc = MachineProject::skeleton(QStringLiteral("Hostile"), QStringLiteral("Hostile"));
    CanvasBlock &machine = doc.blocks[3];
    MemoryRecord flag = item<MemoryRecord>(6, QStringLiteral("flag"));
    flag.datatype = QStringLiteral("int");
    flag.xCoord = 700;
    flag.yCoord = 100;
    machine.memories << flag;
    StateRecord idle = item<StateRecord>(6, QStringLiteral("Idle"));
    idle.xCoord = 100;
    idle.yCoord = 100;
    idle.action = QStringLiteral("if (!flag) flag = attack();");
    idle.ifInitialState = true;
    idle.initialCondition = QStringLiteral("(1)");
    machine.states << idle;
    int y = 300;
    for (const auto &text : { qMakePair(1, includes), qMakePair(0, code) }) {
        if (text.second.isEmpty())
            continue;
        TextRecord t;
        t.level = 6;
        t.parentId = t.grandParentId = 1;
        t.type = text.first;
        t.action = text.second;
        t.xCoord = 100;
        t.yCoord = y;
        t.width = 300;
        t.height = 100;
        y += 150;
        machine.texts << t;
    }
    doc.treeText = treeTextFromBlocks(doc);
    return doc;
}

QString write(const QString &folder, const QString &code, const QString &includes)
{
    const QString path = QDir(folder).filePath(QStringLiteral("Hostile.qsmd"));
    QFile file(path);
    const QByteArray bytes = MachineProject::bytes(document(code, includes));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

QStringList processesWith(const QByteArray &marker)
{
    QStringList found;
    const QStringList ids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &id : ids) {
        bool number = false;
        id.toInt(&number);
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(id));
        if (number && cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(marker))
            found << id;
    }
    return found;
}

void endProcessesWith(const QByteArray &marker)
{
    for (const QString &id : processesWith(marker))
        ::kill(id.toInt(), SIGKILL);
}

namespace {

QString cString(const QString &text)
{
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""))
        + QLatin1Char('"');
}

} // namespace

Attack spawn(const QString &how, const QByteArray &marker)
{
    const QString m = cString(QString::fromLatin1(marker));
    Attack a;
    a.includes = QStringLiteral("#include <signal.h>\n#include <spawn.h>\n#include <stdlib.h>\n#include <sys/syscall.h>\n"
                                "#include <unistd.h>\n");
    const QString child = QStringLiteral("execl(\"/bin/sh\", \"sh\", \"-c\", \"sleep 300\", %1, (char *)0); _exit(1);").arg(m);
    if (how == QLatin1String("fork"))
        a.code = QStringLiteral("int attack(void) { pid_t p = fork(); if (p == 0) { %1 } return p > 0 ? 1 : 2; }").arg(child);
    else if (how == QLatin1String("setsid"))
        a.code = QStringLiteral("int attack(void) { pid_t p = fork(); if (p == 0) { setsid(); %1 } return p > 0 ? 1 : 2; }").arg(child);
    else if (how == QLatin1String("clone"))
        a.code = QStringLiteral("int attack(void) { long p = syscall(SYS_clone, (long)SIGCHLD, 0L, 0L, 0L, 0L); "
                                "if (p == 0) { %1 } return p > 0 ? 1 : 2; }").arg(child);
    else if (how == QLatin1String("posix_spawn"))
        a.code = QStringLiteral("extern char **environ;\nint attack(void) { pid_t p; char *argv[] = { \"sh\", \"-c\", \"sleep 300\", %1, 0 }; "
                                "return posix_spawn(&p, \"/bin/sh\", 0, 0, argv, environ) == 0 ? 1 : 2; }").arg(m);
    else
        a.code = QStringLiteral("int attack(void) { return system(\"sh -c 'sleep 300' %1 &\") == 0 ? 1 : 2; }")
                     .arg(QString::fromLatin1(marker));
    return a;
}

Attack connectTo(quint16 port)
{
    Attack a;
    a.includes = QStringLiteral("#include <arpa/inet.h>\n#include <netinet/in.h>\n#include <string.h>\n"
                                "#include <sys/socket.h>\n#include <unistd.h>\n");
    a.code = QStringLiteral("int attack(void) { struct sockaddr_in to; int s = socket(AF_INET, SOCK_STREAM, 0);\n"
                            "memset(&to, 0, sizeof to); to.sin_family = AF_INET; to.sin_port = htons(%1);\n"
                            "to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);\n"
                            "if (s < 0 || connect(s, (struct sockaddr *)&to, sizeof to) != 0) return 2;\n"
                            "return write(s, \"stolen\\n\", 7) == 7 ? 1 : 2; }")
                 .arg(port);
    return a;
}

Attack writeFiles(const QStringList &paths)
{
    Attack a;
    a.includes = QStringLiteral("#include <stdio.h>\n");
    QString body;
    for (const QString &path : paths)
        body += QStringLiteral("f = fopen(%1, \"a\"); if (f) { fputs(\"echo owned\\n\", f); fclose(f); ++n; }\n").arg(cString(path));
    a.code = QStringLiteral("int attack(void) { FILE *f; int n = 0;\n%1return n + 100; }").arg(body);
    return a;
}

Attack writeDescriptors()
{
    Attack a;
    a.includes = QStringLiteral("#include <sys/stat.h>\n#include <unistd.h>\n");
    a.code = QStringLiteral("int attack(void) { int fd, n = 0; struct stat st; for (fd = 3; fd < 1024; ++fd) "
                            "if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && write(fd, \"owned\\n\", 6) == 6) ++n; "
                            "return n + 100; }");
    return a;
}

Attack signalParent(int signal)
{
    Attack a;
    a.includes = QStringLiteral("#include <signal.h>\n#include <unistd.h>\n");
    a.code = QStringLiteral("int attack(void) { kill(getppid(), %1); return 1; }").arg(signal);
    return a;
}

Attack constructorFirst(const QString &path)
{
    Attack a;
    a.includes = QStringLiteral("#include <stdio.h>\n#include <sys/resource.h>\n");
    a.code = QStringLiteral("__attribute__((constructor)) static void early(void) {\n"
                            "FILE *f = fopen(%1, \"w\"); struct rlimit r;\n"
                            "if (f) { fputs(\"before main\\n\", f); fclose(f); }\n"
                            "r.rlim_cur = r.rlim_max = RLIM_INFINITY; setrlimit(RLIMIT_AS, &r);\n"
                            "printf(\"kestro-sim 1 0 0 0\\nok\\ncycle 0 1 -1 1\\nok\\n\"); fflush(stdout); }\n"
                            "int attack(void) { return 1; }")
                 .arg(cString(path));
    return a;
}

Attack bigAllocation()
{
    Attack a;
    a.includes = QStringLiteral("#include <stdlib.h>\n");
    a.code = QStringLiteral("int setrlimit(int resource, const void *limit) { (void)resource; (void)limit; return 0; }\n"
                            "int attack(void) { void *p = malloc((size_t)1536 << 20); return p ? 1 : 2; }");
    return a;
}

Attack forgeProtocol(int fd, const QString &lines)
{
    Attack a;
    a.includes = QStringLiteral("#include <stdio.h>\n");
    const QString text = cString(lines).replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    if (fd < 0)
        a.code = QStringLiteral("int attack(void) { printf(%1); fflush(stdout); return 1; }").arg(text);
    else
        a.code = QStringLiteral("int attack(void) { dprintf(%1, %2); return 1; }").arg(fd).arg(text);
    return a;
}

} // namespace HostileProject
