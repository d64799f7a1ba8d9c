/* kestro-sandbox: the last step before a program Kestro runs on a project's
 * behalf (the compiler, the simulated machine) starts. Run inside the
 * bubblewrap container, it sets the program's resource limits, closes every
 * descriptor the program was not meant to get, installs a seccomp filter and
 * then executes the program, so that all of this holds from the program's
 * first instruction: a constructor of the machine's C, or a function of the
 * machine that replaces setrlimit() or prctl(), can no longer undo it.
 *
 *   kestro-sandbox [--no-new-processes] [--memory BYTES] [--cpu SECONDS]
 *                  [--file-size BYTES] [--open-files N] [--keep-fd FD]
 *                  -- PROGRAM [ARGUMENT...]
 *
 * The filter always refuses ptrace, writing into other processes, io_uring,
 * bpf, mounts, namespaces and kernel keys. With --no-new-processes it also
 * refuses fork, vfork and clone without CLONE_THREAD (threads stay allowed),
 * and answers clone3 with ENOSYS, so that the C library falls back to clone,
 * whose flags the filter can see. A compiler driver starts its passes as
 * processes, so only the machine's program gets that option.
 *
 * Exit status 125 when the limits or the filter could not be set up (and
 * the program did not run), else the program's. */
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sched.h>
#include <seccomp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#define SETUP_FAILED 125

struct options
{
    int no_new_processes;
    rlim_t memory;
    rlim_t cpu;
    rlim_t file_size;
    rlim_t open_files;
    int keep_fd;
    char **program;
};

static void fail(const char *what, int error)
{
    fprintf(stderr, "kestro-sandbox: %s: %s\n", what, strerror(error));
    exit(SETUP_FAILED);
}

static void usage(const char *problem)
{
    fprintf(stderr, "kestro-sandbox: %s\n"
                    "usage: kestro-sandbox [--no-new-processes] [--memory BYTES] [--cpu SECONDS] "
                    "[--file-size BYTES] [--open-files N] [--keep-fd FD] -- PROGRAM [ARGUMENT...]\n",
            problem);
    exit(SETUP_FAILED);
}

static rlim_t number(const char *text)
{
    char *end;
    unsigned long long value;
    errno = 0;
    value = strtoull(text ? text : "", &end, 10);
    if (!text || !*text || *end || errno || text[0] == '-')
        usage("a limit needs a whole number");
    return (rlim_t)value;
}

static void parse(int argc, char **argv, struct options *o)
{
    int i;
    memset(o, 0, sizeof *o);
    o->memory = o->cpu = o->file_size = o->open_files = RLIM_INFINITY;
    o->keep_fd = -1;
    for (i = 1; i < argc; ++i) {
        const char *a = argv[i];
        if (strcmp(a, "--") == 0) {
            if (i + 1 >= argc)
                usage("no program to run");
            o->program = argv + i + 1;
            return;
        }
        if (strcmp(a, "--no-new-processes") == 0)
            o->no_new_processes = 1;
        else if (strcmp(a, "--memory") == 0)
            o->memory = number(argv[++i]);
        else if (strcmp(a, "--cpu") == 0)
            o->cpu = number(argv[++i]);
        else if (strcmp(a, "--file-size") == 0)
            o->file_size = number(argv[++i]);
        else if (strcmp(a, "--open-files") == 0)
            o->open_files = number(argv[++i]);
        else if (strcmp(a, "--keep-fd") == 0)
            o->keep_fd = (int)number(argv[++i]);
        else
            usage("unknown option");
    }
    usage("no program to run");
}

static void limit(int resource, rlim_t value, const char *what)
{
    struct rlimit l;
    if (value == RLIM_INFINITY)
        return;
    l.rlim_cur = l.rlim_max = value;
    if (setrlimit(resource, &l) != 0)
        fail(what, errno);
}

static void set_limits(const struct options *o)
{
    limit(RLIMIT_CORE, 0, "core file size");
    limit(RLIMIT_AS, o->memory, "address space");
    limit(RLIMIT_CPU, o->cpu, "CPU time");
    limit(RLIMIT_FSIZE, o->file_size, "file size");
    limit(RLIMIT_NOFILE, o->open_files, "open files");
}

/* Every descriptor but 0-2 and the one kept (the protocol's). */
static void close_others(int keep)
{
    DIR *dir = opendir("/proc/self/fd");
    struct dirent *entry;
    if (!dir) {
        /* No /proc: close the whole range the limit allows. */
        long most = sysconf(_SC_OPEN_MAX);
        int fd;
        for (fd = 3; fd < (most > 0 ? most : 1024); ++fd) {
            if (fd != keep)
                close(fd);
        }
        return;
    }
    while ((entry = readdir(dir)) != NULL) {
        char *end;
        long fd = strtol(entry->d_name, &end, 10);
        if (*end || entry->d_name[0] == '.' || fd <= 2 || fd == keep || fd == dirfd(dir))
            continue;
        close((int)fd);
    }
    closedir(dir);
}

static void refuse(scmp_filter_ctx ctx, int error, int syscall_number)
{
    /* A call the kernel or libseccomp does not know is no threat. */
    if (syscall_number < 0)
        return;
    if (seccomp_rule_add(ctx, SCMP_ACT_ERRNO(error), syscall_number, 0) != 0)
        fail("seccomp rule", EINVAL);
}

static void install_filter(const struct options *o)
{
    static const char *const refused[] = {
        "ptrace", "process_vm_writev", "process_vm_readv", "io_uring_setup", "io_uring_enter",
        "io_uring_register", "bpf", "mount", "umount2", "pivot_root", "move_mount", "open_tree",
        "fsopen", "fsmount", "fsconfig", "fspick", "mount_setattr", "unshare", "setns", "kexec_load",
        "kexec_file_load", "init_module", "finit_module", "delete_module", "keyctl", "add_key",
        "request_key", "perf_event_open", "userfaultfd", "chroot", "swapon", "swapoff", "reboot",
    };
    scmp_filter_ctx ctx;
    size_t i;
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        fail("no new privileges", errno);
    ctx = seccomp_init(SCMP_ACT_ALLOW);
    if (!ctx)
        fail("seccomp", ENOMEM);
    for (i = 0; i < sizeof refused / sizeof refused[0]; ++i)
        refuse(ctx, EPERM, seccomp_syscall_resolve_name(refused[i]));
    if (o->no_new_processes) {
        refuse(ctx, EPERM, SCMP_SYS(fork));
        refuse(ctx, EPERM, SCMP_SYS(vfork));
        refuse(ctx, ENOSYS, SCMP_SYS(clone3));
        if (seccomp_rule_add(ctx, SCMP_ACT_ERRNO(EPERM), SCMP_SYS(clone), 1,
                             SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, 0)) != 0)
            fail("seccomp rule for clone", EINVAL);
    }
    if (seccomp_load(ctx) != 0)
        fail("loading the seccomp filter", EINVAL);
    seccomp_release(ctx);
}

int main(int argc, char **argv)
{
    struct options o;
    parse(argc, argv, &o);
    set_limits(&o);
    close_others(o.keep_fd);
    install_filter(&o);
    execv(o.program[0], o.program);
    fprintf(stderr, "kestro-sandbox: cannot run %s: %s\n", o.program[0], strerror(errno));
    return SETUP_FAILED;
}
