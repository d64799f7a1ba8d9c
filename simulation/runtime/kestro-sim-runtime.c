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

#include "kestro-sim-runtime.h"


#define KS_LINE 4096
#define KS_RAW_SHOWN 64
#define KS_PROTOCOL_FD 3

FILE *ks_out;
int ks_out_fd = -1;
static unsigned char *ks_shadow;
size_t *ks_offset;
char *ks_state_break;
char *ks_condition_on;
char *ks_condition_was;

/* Where the machine is, for a report from a signal handler. */
volatile long ks_cycle;
volatile sig_atomic_t ks_phase;      /* 0 idle, 1 machine code, 2 breakpoint condition */
static volatile sig_atomic_t ks_condition;
/* The longest one cycle may take, in milliseconds (the program's argument). */
long ks_timeout_ms;

size_t ks_put_text(char *to, size_t at, const char *text)
{
    while (*text)
        to[at++] = *text++;
    return at;
}

size_t ks_put_long(char *to, size_t at, long value)
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


void ks_write_all(const char *bytes, size_t n)
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


/* "WORD SIGNAL CYCLE STATE FIRED PHASE CONDITION", written with write(),
 * which a signal handler may call. */
void ks_report_position(const char *word, int signal_number)
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
void ks_on_signal(int signal_number)
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
void ks_print_value(const struct kestro_sim_var *v)
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

void ks_store_integer(const struct kestro_sim_var *v, unsigned long long bits)
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

const char *ks_set_integer(const struct kestro_sim_var *v, const struct ks_literal *literal)
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

const char *ks_set_real(const struct kestro_sim_var *v, const struct ks_literal *literal)
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
int ks_literal_or_error(const char *text, struct ks_literal *literal)
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
void ks_report_changes(void)
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

void ks_evaluate_conditions(char *into)
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

/* One cycle (or the initial one) and its report; 1 when a breakpoint hit:
 * the first state the cycle entered (outermost first) with one, then the
 * first condition that became true. */
static int ks_cycle_and_report(int initialize)
{
    static char now[1];
    char *after_conditions = kestro_sim_condition_count > 0 ? ks_condition_was + kestro_sim_condition_count : now;
    int before = kestro_sim_state();
    int before_path[KS_MAX_PATH];
    int after_path[KS_MAX_PATH];
    const int nb = initialize ? 0 : ks_active_path(before_path);
    int na;
    int after;
    int k;
    ks_evaluate_conditions(ks_condition_was);
    kestro_sim_fired = -1;
    ks_clear_calls();
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
    na = ks_active_path(after_path);
    fprintf(ks_out, "cycle %ld %d %d %d\n", ks_cycle, before, kestro_sim_fired, after);
    ks_print_path(after_path, na);
    ks_report_changes();
    ks_report_calls();
    for (k = ks_first_entered(before_path, nb, after_path, na, kestro_sim_fired); k < na; ++k) {
        if (ks_state_break[after_path[k]]) {
            fprintf(ks_out, "break state %d\n", after_path[k]);
            return 1;
        }
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

static void ks_breakpoint(const char *kind, const char *index_text, const char *on_text)
{
    char *end;
    long index = strtol(index_text ? index_text : "", &end, 10);
    int on = on_text && strcmp(on_text, "1") == 0;
    if (!index_text || *end != '\0' || !on_text || (!on && strcmp(on_text, "0") != 0)) {
        fputs("error usage: break state|condition INDEX 1|0\n", ks_out);
    } else if (strcmp(kind, "state") == 0 && index >= 0 && index <= kestro_sim_slot_count) {
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
    fprintf(ks_out, "kestro-sim 3 %d %d %d %d %d\n", kestro_sim_state_count, kestro_sim_condition_count,
            kestro_sim_var_count, kestro_sim_transition_count, kestro_sim_slot_count);
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
    ks_state_break = (char *)calloc((size_t)kestro_sim_slot_count + 1, 1);
    ks_condition_on = (char *)calloc((size_t)kestro_sim_condition_count + 1, 1);
    ks_condition_was = (char *)calloc(2 * (size_t)kestro_sim_condition_count + 1, 1);
    if (!ks_offset || !ks_shadow || !ks_state_break || !ks_condition_on || !ks_condition_was || !ks_allocate_stubs())
        exit(71);
    for (i = 0; i < kestro_sim_var_count; ++i)
        ks_remember(&kestro_sim_vars[i]);
    ks_runs_allocate(ks_shadow, total);
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
    } else if (strcmp(command, "stub") == 0 && first) {
        ks_stub_command(first, second, third);
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
