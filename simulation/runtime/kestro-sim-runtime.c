/* Runtime of a Kestro simulation, written by Kestro. It drives the machine
 * compiled in the glue unit and answers Kestro over a line protocol on
 * descriptor 3, which Kestro opened before the program started: one command
 * a line; every command ends with exactly one line that starts with "ok",
 * "error" or "break". What the machine's own code prints on standard output
 * and error is shown as its output and never read as a reply. */
#define _XOPEN_SOURCE 700
#define _DEFAULT_SOURCE 1
#include <errno.h>
#include <fcntl.h>
#include <float.h>
#include <limits.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/time.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

struct kestro_sim_var
{
    const char *name;
    void *address;
    int size;
    char kind; /* 'b' bool, 'i' signed, 'u' unsigned, 'f' floating, 'r' other */
    char constant; /* declared const: it is never written */
};

extern const struct kestro_sim_var kestro_sim_vars[];
extern const int kestro_sim_var_count;
extern const int kestro_sim_state_count;
extern const int kestro_sim_condition_count;
extern const int kestro_sim_transition_count;
extern volatile int kestro_sim_fired;
int kestro_sim_state(void);
void kestro_sim_initialize(void);
void kestro_sim_cycle(void);
int kestro_sim_condition(int index);

/* What the explorer gives values: the scalar inputs, and anything else the
 * glue lists (a variable with null_only is set to all zero bytes, as a
 * pointer that a stub returns). */
struct kestro_sim_explored
{
    int var;          /* index into kestro_sim_vars */
    char null_only;
};
extern const struct kestro_sim_explored kestro_sim_explored[];
extern const int kestro_sim_explored_count;
/* The numbers the machine's conditions compare with. */
extern const double kestro_sim_constants[];
extern const int kestro_sim_constant_count;

#define KS_LINE 4096
#define KS_RAW_SHOWN 64
#define KS_PROTOCOL_FD 3

static FILE *ks_out;
static int ks_out_fd = -1;
static unsigned char *ks_shadow;
static size_t *ks_offset;
static char *ks_state_break;
static char *ks_condition_on;
static char *ks_condition_was;

/* Where the machine is, for a report from a signal handler. */
static volatile long ks_cycle;
static volatile sig_atomic_t ks_phase;      /* 0 idle, 1 machine code, 2 breakpoint condition */
static volatile sig_atomic_t ks_condition;
/* The longest one cycle may take, in milliseconds (the program's argument). */
static long ks_timeout_ms;
/* Cycles run so far, for the watchdog of long runs. */
static volatile unsigned long ks_progress;
/* A long run writes nothing on the protocol's stream meanwhile: the
 * watchdog may then say "alive" straight to the descriptor. */
static volatile sig_atomic_t ks_quiet;

/* How often each state was entered and each transition fired in a run;
 * self transitions enter their state again. */
static unsigned long long *ks_entered;
static unsigned long long *ks_fired;

/* The values the explorer gave since its last restart, so that a crash or
 * a timeout can say how to reproduce it. */
#define KS_REPLAY 8192
struct ks_replay_entry
{
    long cycle;
    int var;
    unsigned long long bits;
};
static struct ks_replay_entry ks_replay[KS_REPLAY];
static volatile int ks_replay_count;
static volatile sig_atomic_t ks_exploring;

static size_t ks_put_text(char *to, size_t at, const char *text)
{
    while (*text)
        to[at++] = *text++;
    return at;
}

static size_t ks_put_long(char *to, size_t at, long value)
{
    char digits[24];
    int n = 0;
    unsigned long magnitude = value < 0 ? 0UL - (unsigned long)value : (unsigned long)value;
    if (value < 0)
        to[at++] = '-';
    do {
        digits[n++] = (char)('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    while (n)
        to[at++] = digits[--n];
    return at;
}

static size_t ks_put_unsigned(char *to, size_t at, unsigned long long value)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = (char)('0' + value % 10);
        value /= 10;
    } while (value);
    while (n)
        to[at++] = digits[--n];
    return at;
}

static void ks_write_all(const char *bytes, size_t n)
{
    while (n > 0) {
        ssize_t written = write(ks_out_fd, bytes, n);
        if (written <= 0) {
            if (written < 0 && errno == EINTR)
                continue;
            return;
        }
        bytes += written;
        n -= (size_t)written;
    }
}

/* "replay CYCLE VARIABLE BITS" for each value the explorer gave since its
 * last restart, written with write() from a signal handler too. */
static void ks_dump_replay(void)
{
    char lines[4096];
    size_t n = 0;
    int i;
    if (!ks_exploring)
        return;
    ks_exploring = 0;
    for (i = 0; i < ks_replay_count; ++i) {
        n = ks_put_text(lines, n, "replay ");
        n = ks_put_long(lines, n, ks_replay[i].cycle);
        lines[n++] = ' ';
        n = ks_put_long(lines, n, ks_replay[i].var);
        lines[n++] = ' ';
        n = ks_put_unsigned(lines, n, ks_replay[i].bits);
        lines[n++] = '\n';
        if (n > sizeof lines - 100) {
            ks_write_all(lines, n);
            n = 0;
        }
    }
    ks_write_all(lines, n);
}

/* "WORD SIGNAL CYCLE STATE FIRED PHASE CONDITION", written with write(),
 * which a signal handler may call. */
static void ks_report_position(const char *word, int signal_number)
{
    char line[200];
    size_t n = ks_put_text(line, 0, word);
    const long values[] = { signal_number, ks_cycle, kestro_sim_state(), kestro_sim_fired, ks_phase, ks_condition };
    size_t i;
    for (i = 0; i < sizeof values / sizeof values[0]; ++i) {
        n = ks_put_long(line, n, values[i]);
        line[n++] = i + 1 < sizeof values / sizeof values[0] ? ' ' : '\n';
    }
    ks_dump_replay();
    ks_write_all(line, n);
}

/* "crash ...", or "stopped ..." when Kestro ended the machine (SIGTERM) or
 * a cycle ran out of time (SIGALRM); then the signal takes its default
 * course. Kestro also ends the program from outside a little later, so a
 * machine that turns the alarm off only loses the report. */
static void ks_on_signal(int signal_number)
{
    ks_report_position(signal_number == SIGTERM || signal_number == SIGALRM ? "stopped " : "crash ", signal_number);
    signal(signal_number, SIG_DFL);
    raise(signal_number);
}

/* "ended ..." when the machine's code calls exit(). */
static void ks_on_exit(void)
{
    if (ks_phase != 0)
        ks_report_position("ended ", 0);
}

static void ks_install_handlers(void)
{
    static char alternate_stack[1 << 16];
    const int signals[] = { SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS, SIGTERM, SIGALRM };
    struct sigaction action;
    stack_t stack;
    size_t i;
    stack.ss_sp = alternate_stack;
    stack.ss_size = sizeof alternate_stack;
    stack.ss_flags = 0;
    sigaltstack(&stack, NULL);
    memset(&action, 0, sizeof action);
    action.sa_handler = ks_on_signal;
    action.sa_flags = SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (i = 0; i < sizeof signals / sizeof signals[0]; ++i)
        sigaction(signals[i], &action, NULL);
    atexit(ks_on_exit);
}

/* The protocol's descriptor, read and written through streams of its own. */
static FILE *ks_open_protocol(void)
{
    int in_fd = dup(KS_PROTOCOL_FD);
    ks_out_fd = KS_PROTOCOL_FD;
    if (in_fd < 0)
        exit(71);
    fcntl(in_fd, F_SETFD, FD_CLOEXEC);
    fcntl(ks_out_fd, F_SETFD, FD_CLOEXEC);
    ks_out = fdopen(ks_out_fd, "w");
    setvbuf(stdout, NULL, _IOLBF, 0);
    return fdopen(in_fd, "r");
}

/* The limits are set from outside before the program starts (the machine's
 * C could undo any it set itself); this only keeps a program run without
 * the sandbox from outliving Kestro. */
static void ks_end_with_parent(void)
{
#ifdef __linux__
    prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
}

/* One cycle's time, measured by the program itself for the report of where
 * it was; 0 disarms. */
static void ks_arm_alarm(long ms)
{
    struct itimerval timer;
    memset(&timer, 0, sizeof timer);
    timer.it_value.tv_sec = ms / 1000;
    timer.it_value.tv_usec = (ms % 1000) * 1000;
    setitimer(ITIMER_REAL, &timer, NULL);
}

static const struct kestro_sim_var *ks_find(const char *name)
{
    int i;
    for (i = 0; i < kestro_sim_var_count; ++i) {
        if (strcmp(kestro_sim_vars[i].name, name) == 0)
            return &kestro_sim_vars[i];
    }
    return NULL;
}

static int ks_read_unsigned(const struct kestro_sim_var *v, unsigned long long *value)
{
    uint8_t u8;
    uint16_t u16;
    uint32_t u32;
    uint64_t u64;
    switch (v->size) {
    case 1: memcpy(&u8, v->address, 1); *value = u8; return 1;
    case 2: memcpy(&u16, v->address, 2); *value = u16; return 1;
    case 4: memcpy(&u32, v->address, 4); *value = u32; return 1;
    case 8: memcpy(&u64, v->address, 8); *value = u64; return 1;
    default: return 0;
    }
}

/* Two's complement of the variable's width, widened. */
static int ks_read_signed(const struct kestro_sim_var *v, long long *value)
{
    unsigned long long u;
    if (!ks_read_unsigned(v, &u))
        return 0;
    if (v->size < 8 && ((u >> (8 * v->size - 1)) & 1ULL))
        u |= ~0ULL << (8 * v->size);
    memcpy(value, &u, sizeof u);
    return 1;
}

static int ks_read_real(const struct kestro_sim_var *v, long double *value)
{
    float f;
    double d;
    long double l;
    if (v->size == (int)sizeof f) {
        memcpy(&f, v->address, sizeof f);
        *value = f;
    } else if (v->size == (int)sizeof d) {
        memcpy(&d, v->address, sizeof d);
        *value = d;
    } else if (v->size == (int)sizeof l) {
        memcpy(&l, v->address, sizeof l);
        *value = l;
    } else {
        return 0;
    }
    return 1;
}

static void ks_print_raw(const struct kestro_sim_var *v)
{
    const unsigned char *bytes = (const unsigned char *)v->address;
    int i;
    fputs("bytes:", ks_out);
    for (i = 0; i < v->size && i < KS_RAW_SHOWN; ++i)
        fprintf(ks_out, "%02x", bytes[i]);
    if (v->size > KS_RAW_SHOWN)
        fputs("...", ks_out);
}

/* A value as text that reads back to the same value. */
static void ks_print_value(const struct kestro_sim_var *v)
{
    unsigned long long u;
    long long s;
    long double r;
    if ((v->kind == 'u' || v->kind == 'b') && ks_read_unsigned(v, &u))
        fprintf(ks_out, "%llu", u);
    else if (v->kind == 'i' && ks_read_signed(v, &s))
        fprintf(ks_out, "%lld", s);
    else if (v->kind == 'f' && v->size == (int)sizeof(float) && ks_read_real(v, &r))
        fprintf(ks_out, "%.9g", (double)r);
    else if (v->kind == 'f' && v->size == (int)sizeof(double) && ks_read_real(v, &r))
        fprintf(ks_out, "%.17g", (double)r);
    else if (v->kind == 'f' && ks_read_real(v, &r))
        fprintf(ks_out, "%.21Lg", r);
    else
        ks_print_raw(v);
}

/* A C integer or floating literal with an optional sign. */
struct ks_literal
{
    int floating;
    int negative;
    unsigned long long magnitude;
    long double real;
};

static int ks_strip_suffix(char *text, const char *suffixes)
{
    size_t n = strlen(text);
    int stripped = 0;
    while (n > 0 && strchr(suffixes, text[n - 1]) && stripped < 3) {
        text[--n] = '\0';
        ++stripped;
    }
    return n > 0;
}

/* 1 for a literal, 0 for anything else, -1 for a whole number too large for any integer type. */
static int ks_parse_literal(const char *text, struct ks_literal *literal)
{
    char digits[KS_LINE];
    char *end;
    int hex;
    memset(literal, 0, sizeof *literal);
    if (*text == '+' || *text == '-')
        literal->negative = *text++ == '-';
    if (strlen(text) >= sizeof digits || !(*text == '.' || (*text >= '0' && *text <= '9')))
        return 0;
    strcpy(digits, text);
    hex = digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    literal->floating = hex ? strpbrk(digits, "pP") != NULL : strpbrk(digits, ".eE") != NULL;
    if (!ks_strip_suffix(digits, literal->floating ? "fFlL" : "uUlL"))
        return 0;
    errno = 0;
    if (literal->floating) {
        literal->real = strtold(digits, &end);
        if (*end != '\0' || literal->real - literal->real != 0)
            return 0;
        if (literal->negative)
            literal->real = -literal->real;
        return 1;
    }
    literal->magnitude = strtoull(digits, &end, 0);
    if (*end != '\0')
        return 0;
    if (errno == ERANGE)
        return -1;
    literal->real = (long double)literal->magnitude;
    if (literal->negative)
        literal->real = -literal->real;
    return 1;
}

/* A whole literal as sign and magnitude; 0 when it has a fraction or is too large. */
static int ks_whole(const struct ks_literal *literal, int *negative, unsigned long long *magnitude)
{
    long double r = literal->real;
    long double size;
    if (!literal->floating) {
        *negative = literal->negative && literal->magnitude != 0;
        *magnitude = literal->magnitude;
        return 1;
    }
    *negative = r < 0;
    size = *negative ? -r : r;
    if (size >= 18446744073709551616.0L)
        return 0;
    *magnitude = (unsigned long long)size;
    return (long double)*magnitude == size;
}

static void ks_store_integer(const struct kestro_sim_var *v, unsigned long long bits)
{
    uint8_t u8 = (uint8_t)bits;
    uint16_t u16 = (uint16_t)bits;
    uint32_t u32 = (uint32_t)bits;
    uint64_t u64 = (uint64_t)bits;
    switch (v->size) {
    case 1: memcpy(v->address, &u8, 1); break;
    case 2: memcpy(v->address, &u16, 2); break;
    case 4: memcpy(v->address, &u32, 4); break;
    case 8: memcpy(v->address, &u64, 8); break;
    }
}

static const char *ks_set_integer(const struct kestro_sim_var *v, const struct ks_literal *literal)
{
    int negative;
    unsigned long long magnitude;
    unsigned long long largest;
    int bits = v->size * 8;
    if (v->size != 1 && v->size != 2 && v->size != 4 && v->size != 8)
        return "has an integer type of an unusual size and cannot be set to";
    if (!ks_whole(literal, &negative, &magnitude))
        return "takes whole numbers only, not";
    if (v->kind == 'b')
        largest = 1;
    else if (v->kind == 'u')
        largest = bits == 64 ? ULLONG_MAX : (1ULL << bits) - 1;
    else
        largest = (1ULL << (bits - 1)) - 1;
    if (negative && v->kind != 'i')
        return "takes no negative values, not";
    if (magnitude > largest + (negative ? 1 : 0))
        return "cannot hold";
    ks_store_integer(v, negative ? 0ULL - magnitude : magnitude);
    return NULL;
}

static const char *ks_set_real(const struct kestro_sim_var *v, const struct ks_literal *literal)
{
    float f = (float)literal->real;
    double d = (double)literal->real;
    long double l = literal->real;
    if (v->size == (int)sizeof f) {
        if (f - f != 0)
            return "cannot hold";
        memcpy(v->address, &f, sizeof f);
    } else if (v->size == (int)sizeof d) {
        if (d - d != 0)
            return "cannot hold";
        memcpy(v->address, &d, sizeof d);
    } else if (v->size == (int)sizeof l) {
        memcpy(v->address, &l, sizeof l);
    } else {
        return "has a floating type of an unusual size and cannot be set to";
    }
    return NULL;
}

/* Reports why `text` is no usable literal; 1 when it is one. */
static int ks_literal_or_error(const char *text, struct ks_literal *literal)
{
    const int parsed = ks_parse_literal(text, literal);
    if (parsed < 0)
        fprintf(ks_out, "error %s is too large for any integer type\n", text);
    else if (parsed == 0)
        fprintf(ks_out, "error %s is not a C integer or floating literal\n", text);
    return parsed > 0;
}

static size_t ks_index(const struct kestro_sim_var *v)
{
    return (size_t)(v - kestro_sim_vars);
}

static void ks_remember(const struct kestro_sim_var *v)
{
    memcpy(ks_shadow + ks_offset[ks_index(v)], v->address, (size_t)v->size);
}

static void ks_set(const char *name, const char *text)
{
    const struct kestro_sim_var *v = ks_find(name);
    struct ks_literal literal;
    const char *problem;
    if (!v) {
        fprintf(ks_out, "error no variable %s\n", name);
        return;
    }
    if (!ks_literal_or_error(text, &literal))
        return;
    if (v->constant)
        problem = "is constant and cannot be set to";
    else if (v->kind == 'f')
        problem = ks_set_real(v, &literal);
    else if (v->kind == 'b' || v->kind == 'i' || v->kind == 'u')
        problem = ks_set_integer(v, &literal);
    else
        problem = "has no numeric type and cannot be set to";
    if (problem) {
        fprintf(ks_out, "error %s %s %s\n", name, problem, text);
        return;
    }
    ks_remember(v);
    fputs("ok ", ks_out);
    ks_print_value(v);
    fputc('\n', ks_out);
}

/* Numeric equality: a whole value compares exactly with a whole literal;
 * a floating variable compares with the literal converted to its type. */
static int ks_equal(const struct kestro_sim_var *v, const struct ks_literal *literal)
{
    unsigned long long u;
    long long s;
    long double r;
    int negative;
    unsigned long long magnitude;
    if (v->kind == 'f' && ks_read_real(v, &r)) {
        if (v->size == (int)sizeof(float))
            return (float)r == (float)literal->real;
        if (v->size == (int)sizeof(double))
            return (double)r == (double)literal->real;
        return r == literal->real;
    }
    if (literal->floating && !ks_whole(literal, &negative, &magnitude))
        return 0;
    ks_whole(literal, &negative, &magnitude);
    if ((v->kind == 'u' || v->kind == 'b') && ks_read_unsigned(v, &u))
        return !negative && u == magnitude;
    if (v->kind == 'i' && ks_read_signed(v, &s)) {
        if (s < 0)
            return negative && magnitude == 0ULL - (unsigned long long)s;
        return !negative && magnitude == (unsigned long long)s;
    }
    return -1;
}

static void ks_compare(const char *name, const char *text)
{
    const struct kestro_sim_var *v = ks_find(name);
    struct ks_literal literal;
    int equal;
    if (!v) {
        fprintf(ks_out, "error no variable %s\n", name);
        return;
    }
    if (!ks_literal_or_error(text, &literal))
        return;
    equal = ks_equal(v, &literal);
    if (equal < 0) {
        fprintf(ks_out, "error %s has no numeric type and cannot be compared\n", name);
        return;
    }
    fprintf(ks_out, "ok %d ", equal);
    ks_print_value(v);
    fputc('\n', ks_out);
}

/* The variables whose bytes changed since they were last reported. */
static void ks_report_changes(void)
{
    int i;
    for (i = 0; i < kestro_sim_var_count; ++i) {
        const struct kestro_sim_var *v = &kestro_sim_vars[i];
        if (memcmp(ks_shadow + ks_offset[i], v->address, (size_t)v->size) == 0)
            continue;
        ks_remember(v);
        fprintf(ks_out, "changed %s ", v->name);
        ks_print_value(v);
        fputc('\n', ks_out);
    }
}

/* Whether the cycle entered `after`: another state, or the same one again
 * through a self transition. */
static int ks_entry(int before, int fired, int after)
{
    return (after != before || fired >= 0) && after >= 0 && after < kestro_sim_state_count;
}

static void ks_evaluate_conditions(char *into)
{
    int k;
    for (k = 0; k < kestro_sim_condition_count; ++k) {
        if (!ks_condition_on[k])
            continue;
        ks_condition = k;
        ks_phase = 2;
        into[k] = (char)(kestro_sim_condition(k) != 0);
        ks_phase = 0;
    }
}

/* One cycle (or the initial one) and its report; 1 when a breakpoint hit. */
static int ks_cycle_and_report(int initialize)
{
    static char now[1];
    char *after_conditions = kestro_sim_condition_count > 0 ? ks_condition_was + kestro_sim_condition_count : now;
    int before = kestro_sim_state();
    int after;
    int k;
    ks_evaluate_conditions(ks_condition_was);
    kestro_sim_fired = -1;
    ks_phase = 1;
    if (initialize) {
        ks_cycle = 0;
        kestro_sim_initialize();
    } else {
        ++ks_cycle;
        kestro_sim_cycle();
    }
    ks_phase = 0;
    after = kestro_sim_state();
    fprintf(ks_out, "cycle %ld %d %d %d\n", ks_cycle, before, kestro_sim_fired, after);
    ks_report_changes();
    if (ks_entry(before, kestro_sim_fired, after) && ks_state_break[after]) {
        fprintf(ks_out, "break state %d\n", after);
        return 1;
    }
    ks_evaluate_conditions(after_conditions);
    for (k = 0; k < kestro_sim_condition_count; ++k) {
        if (ks_condition_on[k] && after_conditions[k] && !ks_condition_was[k]) {
            fprintf(ks_out, "break condition %d\n", k);
            return 1;
        }
    }
    return 0;
}

/* The breakpoint conditions count to the cycle's time too. */
static int ks_run_cycle(int initialize)
{
    int hit;
    ks_arm_alarm(ks_timeout_ms);
    hit = ks_cycle_and_report(initialize);
    ks_arm_alarm(0);
    return hit;
}

static void ks_step(long count)
{
    long i;
    for (i = 0; i < count; ++i) {
        if (ks_run_cycle(0))
            return;
        fflush(ks_out);
    }
    fputs("ok\n", ks_out);
}

/* --- long runs: many cycles, one report ------------------------------- */

#define KS_TICK_MS 50
#define KS_ALIVE_TICKS 10

/* Every tick: a cycle that has not ended for the cycle's time is stopped as
 * one step's alarm stops it; every half second "alive" tells Kestro that
 * the run goes on. */
static void ks_on_tick(int signal_number)
{
    static unsigned long seen;
    static long still_ms;
    static int ticks;
    (void)signal_number;
    if (ks_phase == 0 || ks_progress != seen) {
        seen = ks_progress;
        still_ms = 0;
    } else {
        still_ms += KS_TICK_MS;
        if (ks_timeout_ms > 0 && still_ms >= ks_timeout_ms) {
            ks_report_position("stopped ", SIGALRM);
            signal(SIGALRM, SIG_DFL);
            raise(SIGALRM);
            return;
        }
    }
    if (++ticks >= KS_ALIVE_TICKS) {
        ticks = 0;
        if (ks_quiet)
            ks_write_all("alive\n", 6);
    }
}

static void ks_watch(int on)
{
    struct sigaction action;
    struct itimerval timer;
    memset(&action, 0, sizeof action);
    memset(&timer, 0, sizeof timer);
    sigemptyset(&action.sa_mask);
    if (on) {
        fflush(ks_out);
        ks_quiet = 1;
        action.sa_handler = ks_on_tick;
        action.sa_flags = SA_ONSTACK | SA_RESTART;
        sigaction(SIGALRM, &action, NULL);
        timer.it_value.tv_usec = KS_TICK_MS * 1000;
        timer.it_interval.tv_usec = KS_TICK_MS * 1000;
        setitimer(ITIMER_REAL, &timer, NULL);
        return;
    }
    setitimer(ITIMER_REAL, &timer, NULL);
    ks_quiet = 0;
    action.sa_handler = ks_on_signal;
    action.sa_flags = SA_ONSTACK | SA_RESETHAND;
    sigaction(SIGALRM, &action, NULL);
}

static void ks_clear_coverage(void)
{
    memset(ks_entered, 0, ((size_t)kestro_sim_state_count + 1) * sizeof *ks_entered);
    memset(ks_fired, 0, ((size_t)kestro_sim_transition_count + 1) * sizeof *ks_fired);
}

/* Counts the cycle; 1 when a breakpoint hit (`hit` says which). */
static int ks_count_cycle(int before, int after, int conditions, char *hit_kind, int *hit)
{
    const int fired = kestro_sim_fired;
    int k;
    if (fired >= 0 && fired < kestro_sim_transition_count)
        ++ks_fired[fired];
    if (ks_entry(before, fired, after)) {
        ++ks_entered[after];
        if (ks_state_break[after]) {
            *hit_kind = 's';
            *hit = after;
            return 1;
        }
    }
    if (!conditions)
        return 0;
    ks_evaluate_conditions(ks_condition_was + kestro_sim_condition_count);
    for (k = 0; k < kestro_sim_condition_count; ++k) {
        if (ks_condition_on[k] && ks_condition_was[kestro_sim_condition_count + k] && !ks_condition_was[k]) {
            *hit_kind = 'c';
            *hit = k;
            return 1;
        }
    }
    return 0;
}

static void ks_report_coverage(void)
{
    int i;
    for (i = 0; i < kestro_sim_state_count; ++i) {
        if (ks_entered[i])
            fprintf(ks_out, "covered state %d %llu\n", i, ks_entered[i]);
    }
    for (i = 0; i < kestro_sim_transition_count; ++i) {
        if (ks_fired[i])
            fprintf(ks_out, "covered transition %d %llu\n", i, ks_fired[i]);
    }
}

static int ks_any_condition(void)
{
    int k;
    for (k = 0; k < kestro_sim_condition_count; ++k) {
        if (ks_condition_on[k])
            return 1;
    }
    return 0;
}

/* One machine cycle as a long run makes it. */
static int ks_quiet_cycle(int conditions, char *hit_kind, int *hit)
{
    const int before = kestro_sim_state();
    if (conditions)
        ks_evaluate_conditions(ks_condition_was);
    kestro_sim_fired = -1;
    ks_phase = 1;
    ++ks_cycle;
    kestro_sim_cycle();
    ks_phase = 0;
    ++ks_progress;
    return ks_count_cycle(before, kestro_sim_state(), conditions, hit_kind, hit);
}

/* "run N": N cycles as step runs them, breakpoints included, reported
 * once: how often each state was entered and each transition fired,
 * "ran CYCLE STATE FIRED" for the last cycle, the variables changed since
 * the run began, then "ok" or the breakpoint. */
static void ks_run(long count)
{
    const int conditions = ks_any_condition();
    char hit_kind = 0;
    int hit = -1;
    long i;
    ks_clear_coverage();
    ks_watch(1);
    for (i = 0; i < count; ++i) {
        if (ks_quiet_cycle(conditions, &hit_kind, &hit))
            break;
    }
    ks_watch(0);
    ks_report_coverage();
    fprintf(ks_out, "ran %ld %d %d\n", ks_cycle, kestro_sim_state(), kestro_sim_fired);
    ks_report_changes();
    if (hit_kind == 's')
        fprintf(ks_out, "break state %d\n", hit);
    else if (hit_kind == 'c')
        fprintf(ks_out, "break condition %d\n", hit);
    else
        fputs("ok\n", ks_out);
}

/* --- exploration: random inputs from reset ----------------------------- */

static unsigned long long ks_random_state;

/* splitmix64: small, fast and the same on every platform. */
static unsigned long long ks_random(void)
{
    unsigned long long z = (ks_random_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

static unsigned long long ks_below(unsigned long long bound)
{
    return bound ? ks_random() % bound : 0;
}

/* Start values of every variable, for a restart without a new program. */
static unsigned char *ks_start_values;
static long *ks_hold;

static void ks_limits(const struct kestro_sim_var *v, long long *low, unsigned long long *high)
{
    const int bits = v->size * 8;
    if (v->kind == 'b') {
        *low = 0;
        *high = 1;
    } else if (v->kind == 'u') {
        *low = 0;
        *high = bits >= 64 ? ULLONG_MAX : (1ULL << bits) - 1;
    } else {
        *high = bits >= 64 ? (unsigned long long)LLONG_MAX : (1ULL << (bits - 1)) - 1;
        *low = bits >= 64 ? LLONG_MIN : -(long long)(1ULL << (bits - 1));
    }
}

/* A whole value for `v`: most often 0, 1, a limit of its type or a
 * constant of the conditions give or take one, else any value it holds. */
static unsigned long long ks_whole_value(const struct kestro_sim_var *v)
{
    long long low;
    unsigned long long high;
    unsigned long long pick;
    double c;
    ks_limits(v, &low, &high);
    if (v->kind == 'b')
        return ks_random() & 1ULL;
    if (ks_below(4) == 0) {
        pick = ks_random();
        return v->size >= 8 ? pick : (unsigned long long)low + pick % (high - (unsigned long long)low + 1);
    }
    pick = ks_below(4 + 3 * (unsigned long long)kestro_sim_constant_count);
    if (pick < 4)
        return pick == 0 ? 0ULL : pick == 1 ? 1ULL : pick == 2 ? (unsigned long long)low : high;
    c = kestro_sim_constants[(pick - 4) / 3] + (double)((long)((pick - 4) % 3) - 1);
    c = c < 0 ? -(double)(long long)(-c + 0.5) : (double)(long long)(c + 0.5);
    if (c < (double)low || c > (double)high)
        return 0ULL;
    return c < 0 ? (unsigned long long)(long long)c : (unsigned long long)c;
}

static double ks_real_value(const struct kestro_sim_var *v)
{
    const double largest = v->size == (int)sizeof(float) ? FLT_MAX : DBL_MAX;
    double span = 100.0;
    unsigned long long pick;
    int i;
    for (i = 0; i < kestro_sim_constant_count; ++i) {
        const double magnitude = kestro_sim_constants[i] < 0 ? -kestro_sim_constants[i] : kestro_sim_constants[i];
        if (2 * magnitude > span && magnitude < largest / 4)
            span = 2 * magnitude;
    }
    if (ks_below(4) == 0)
        return ((double)(ks_random() >> 11) / 9007199254740992.0 * 2.0 - 1.0) * span;
    pick = ks_below(4 + 3 * (unsigned long long)kestro_sim_constant_count);
    if (pick < 4)
        return pick == 0 ? 0.0 : pick == 1 ? 1.0 : pick == 2 ? -largest : largest;
    return kestro_sim_constants[(pick - 4) / 3] + (double)((long)((pick - 4) % 3) - 1);
}

/* Gives `v` a new value and notes it for a replay. */
static void ks_give(const struct kestro_sim_explored *e)
{
    const struct kestro_sim_var *v = &kestro_sim_vars[e->var];
    unsigned long long bits = 0;
    if (v->constant || (v->kind == 'r' && !e->null_only))
        return;   /* no scalar: left as it is */
    if (e->null_only) {
        memset(v->address, 0, (size_t)v->size);
    } else if (v->kind == 'f') {
        const double d = ks_real_value(v);
        if (v->size == (int)sizeof(float)) {
            const float f = (float)d;
            uint32_t u;
            memcpy(&u, &f, sizeof f);
            bits = u;
            memcpy(v->address, &f, sizeof f);
        } else {
            memcpy(&bits, &d, sizeof bits);
            if (v->size == (int)sizeof(double)) {
                memcpy(v->address, &d, sizeof d);
            } else {
                const long double l = d;
                memcpy(v->address, &l, sizeof l);
            }
        }
    } else {
        bits = ks_whole_value(v);
        ks_store_integer(v, bits);
    }
    if (ks_replay_count < KS_REPLAY) {
        ks_replay[ks_replay_count].cycle = ks_cycle + 1;
        ks_replay[ks_replay_count].var = e->var;
        ks_replay[ks_replay_count].bits = bits;
        ++ks_replay_count;
    }
}

/* Cycles a value is held: often a few, sometimes hundreds, so that
 * debounces and time in a state can pass. */
static long ks_hold_time(void)
{
    return 1 + (long)ks_below(1ULL << ks_below(9));
}

/* Every variable back at its start value and Initialize again: cycle 0. */
static void ks_restart(void)
{
    int i;
    int before;
    for (i = 0; i < kestro_sim_var_count; ++i) {
        if (!kestro_sim_vars[i].constant)
            memcpy(kestro_sim_vars[i].address, ks_start_values + ks_offset[i], (size_t)kestro_sim_vars[i].size);
    }
    for (i = 0; i < kestro_sim_explored_count; ++i)
        ks_hold[i] = 0;
    ks_replay_count = 0;
    ks_cycle = 0;
    before = kestro_sim_state_count;
    kestro_sim_fired = -1;
    ks_phase = 1;
    kestro_sim_initialize();
    ks_phase = 0;
    ++ks_progress;
    if (ks_entry(before, -1, kestro_sim_state()))
        ++ks_entered[kestro_sim_state()];
}

/* "explore N SEED": N cycles with random values of the explored
 * variables, from a restart, restarting every so often; reports how often
 * each state was entered and each transition fired, then
 * "ok CYCLES RESTARTS". A crash or a timeout first lists the values given
 * since the last restart ("replay ..."). */
static void ks_explore(long count, unsigned long long seed)
{
    char hit_kind = 0;
    int hit = -1;
    long done = 0;
    long restarts = 0;
    long segment = 0;
    int i;
    ks_random_state = seed;
    ks_clear_coverage();
    ks_watch(1);
    ks_exploring = 1;
    while (done < count) {
        if (segment <= 0 || ks_replay_count + kestro_sim_explored_count > KS_REPLAY) {
            ks_restart();
            ++restarts;
            segment = 64 + (long)ks_below(16384);
        }
        for (i = 0; i < kestro_sim_explored_count; ++i) {
            if (--ks_hold[i] <= 0) {
                ks_give(&kestro_sim_explored[i]);
                ks_hold[i] = ks_hold_time();
            }
        }
        ks_quiet_cycle(0, &hit_kind, &hit);
        ++done;
        --segment;
    }
    ks_exploring = 0;
    ks_watch(0);
    ks_report_coverage();
    fprintf(ks_out, "ran %ld %d %d\n", ks_cycle, kestro_sim_state(), kestro_sim_fired);
    ks_report_changes();
    fprintf(ks_out, "ok %ld %ld\n", done, restarts);
}

static void ks_breakpoint(const char *kind, const char *index_text, const char *on_text)
{
    char *end;
    long index = strtol(index_text ? index_text : "", &end, 10);
    int on = on_text && strcmp(on_text, "1") == 0;
    if (!index_text || *end != '\0' || !on_text || (!on && strcmp(on_text, "0") != 0)) {
        fputs("error usage: break state|condition INDEX 1|0\n", ks_out);
    } else if (strcmp(kind, "state") == 0 && index >= 0 && index <= kestro_sim_state_count) {
        ks_state_break[index] = (char)on;
        fputs("ok\n", ks_out);
    } else if (strcmp(kind, "condition") == 0 && index >= 0 && index < kestro_sim_condition_count) {
        ks_condition_on[index] = (char)on;
        fputs("ok\n", ks_out);
    } else {
        fputs("error no such breakpoint\n", ks_out);
    }
}

static void ks_hello(void)
{
    int i;
    fprintf(ks_out, "kestro-sim 2 %d %d %d %d\n", kestro_sim_state_count, kestro_sim_condition_count,
            kestro_sim_var_count, kestro_sim_transition_count);
    for (i = 0; i < kestro_sim_var_count; ++i) {
        const struct kestro_sim_var *v = &kestro_sim_vars[i];
        fprintf(ks_out, "var %s %c %d ", v->name, v->kind, v->size);
        ks_print_value(v);
        fputc('\n', ks_out);
    }
    fputs("ok\n", ks_out);
}

static void ks_allocate(void)
{
    size_t total = 0;
    int i;
    ks_offset = (size_t *)calloc((size_t)kestro_sim_var_count + 1, sizeof *ks_offset);
    for (i = 0; ks_offset && i < kestro_sim_var_count; ++i) {
        ks_offset[i] = total;
        total += (size_t)kestro_sim_vars[i].size;
    }
    ks_shadow = (unsigned char *)malloc(total + 1);
    ks_state_break = (char *)calloc((size_t)kestro_sim_state_count + 1, 1);
    ks_condition_on = (char *)calloc((size_t)kestro_sim_condition_count + 1, 1);
    ks_condition_was = (char *)calloc(2 * (size_t)kestro_sim_condition_count + 1, 1);
    ks_start_values = (unsigned char *)malloc(total + 1);
    ks_entered = (unsigned long long *)calloc((size_t)kestro_sim_state_count + 1, sizeof *ks_entered);
    ks_fired = (unsigned long long *)calloc((size_t)kestro_sim_transition_count + 1, sizeof *ks_fired);
    ks_hold = (long *)calloc((size_t)kestro_sim_explored_count + 1, sizeof *ks_hold);
    if (!ks_offset || !ks_shadow || !ks_state_break || !ks_condition_on || !ks_condition_was || !ks_start_values
        || !ks_entered || !ks_fired || !ks_hold)
        exit(71);
    for (i = 0; i < kestro_sim_var_count; ++i)
        ks_remember(&kestro_sim_vars[i]);
    memcpy(ks_start_values, ks_shadow, total);
}

/* Reads one line; 0 at the end of input. An overlong line is skipped and
 * answered with an error. */
static int ks_read_command(FILE *in, char *line)
{
    size_t n;
    for (;;) {
        if (!fgets(line, KS_LINE, in))
            return 0;
        n = strlen(line);
        if (n > 0 && line[n - 1] == '\n') {
            line[n - 1] = '\0';
            return 1;
        }
        if (feof(in))
            return 1;
        while (fgets(line, KS_LINE, in) && line[strlen(line) - 1] != '\n') {
        }
        fputs("error command too long\n", ks_out);
        fflush(ks_out);
    }
}

static void ks_dispatch(char *line)
{
    char *command = strtok(line, " ");
    char *first = strtok(NULL, " ");
    char *second = strtok(NULL, " ");
    char *third = strtok(NULL, " ");
    char *end;
    long count;
    const struct kestro_sim_var *v;
    if (!command) {
        fputs("error empty command\n", ks_out);
    } else if (strcmp(command, "reset") == 0) {
        if (!ks_run_cycle(1))
            fputs("ok\n", ks_out);
    } else if (strcmp(command, "step") == 0) {
        count = first ? strtol(first, &end, 10) : 1;
        if (first && (*end != '\0' || count < 1))
            fputs("error usage: step [N], N at least 1\n", ks_out);
        else
            ks_step(count);
    } else if (strcmp(command, "run") == 0 && first) {
        count = strtol(first, &end, 10);
        if (*end != '\0' || count < 1)
            fputs("error usage: run N, N at least 1\n", ks_out);
        else
            ks_run(count);
    } else if (strcmp(command, "explore") == 0 && first && second) {
        count = strtol(first, &end, 10);
        if (*end != '\0' || count < 1)
            fputs("error usage: explore N SEED, N at least 1\n", ks_out);
        else
            ks_explore(count, strtoull(second, NULL, 10));
    } else if (strcmp(command, "set") == 0 && first && second) {
        ks_set(first, second);
    } else if (strcmp(command, "equal") == 0 && first && second) {
        ks_compare(first, second);
    } else if (strcmp(command, "get") == 0 && first) {
        v = ks_find(first);
        if (!v) {
            fprintf(ks_out, "error no variable %s\n", first);
        } else {
            fputs("ok ", ks_out);
            ks_print_value(v);
            fputc('\n', ks_out);
        }
    } else if (strcmp(command, "dump") == 0) {
        for (count = 0; count < kestro_sim_var_count; ++count) {
            fprintf(ks_out, "value %s ", kestro_sim_vars[count].name);
            ks_print_value(&kestro_sim_vars[count]);
            fputc('\n', ks_out);
        }
        fputs("ok\n", ks_out);
    } else if (strcmp(command, "state") == 0) {
        fprintf(ks_out, "ok %d %d %ld\n", kestro_sim_state(), kestro_sim_fired, ks_cycle);
    } else if (strcmp(command, "break") == 0 && first) {
        ks_breakpoint(first, second, third);
    } else if (strcmp(command, "quit") == 0) {
        fputs("ok\n", ks_out);
        fflush(ks_out);
        exit(0);
    } else {
        fprintf(ks_out, "error unknown command %s\n", command);
    }
}

int main(int argc, char **argv)
{
    static char line[KS_LINE];
    FILE *in;
    ks_timeout_ms = argc > 1 ? strtol(argv[1], NULL, 10) : 0;
    ks_end_with_parent();
    in = ks_open_protocol();
    if (!in || !ks_out)
        return 71;
    ks_install_handlers();
    ks_allocate();
    ks_hello();
    fflush(ks_out);
    while (ks_read_command(in, line)) {
        ks_dispatch(line);
        fflush(ks_out);
    }
    return 0;
}
