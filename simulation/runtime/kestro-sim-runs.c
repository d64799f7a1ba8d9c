/* Long runs of a Kestro simulation, written by Kestro: many cycles with one
 * report ("run N"), how often each state was entered and each transition
 * fired, and the explorer ("explore N SEED"), which gives the inputs and
 * the stubs' returns random values from a restart and keeps what it gave
 * since, so that a crash or a timeout can be replayed. Part of the runtime
 * (kestro-sim-runtime.c). */
#define _XOPEN_SOURCE 700
#define _DEFAULT_SOURCE 1
#include <errno.h>
#include <float.h>
#include <limits.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/time.h>
#include <unistd.h>

#include "kestro-sim-runtime.h"

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
    int var;   /* a variable's index, or -1 - the index of a stub */
    unsigned long long bits;
};
static struct ks_replay_entry ks_replay[KS_REPLAY];
static volatile int ks_replay_count;
static volatile sig_atomic_t ks_exploring;

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

/* "replay CYCLE VARIABLE BITS" or "replay CYCLE stub STUB BITS" for each
 * value the explorer gave since its last restart, written with write()
 * from a signal handler too. */
void ks_dump_replay(void)
{
    char lines[4096];
    size_t n = 0;
    int i;
    ks_quiet = 0;   /* nothing else writes meanwhile */
    if (!ks_exploring)
        return;
    ks_exploring = 0;
    for (i = 0; i < ks_replay_count; ++i) {
        n = ks_put_text(lines, n, "replay ");
        n = ks_put_long(lines, n, ks_replay[i].cycle);
        lines[n++] = ' ';
        if (ks_replay[i].var < 0)
            n = ks_put_text(lines, n, "stub ");
        n = ks_put_long(lines, n, ks_replay[i].var < 0 ? -1 - ks_replay[i].var : ks_replay[i].var);
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
    memset(ks_entered, 0, ((size_t)kestro_sim_slot_count + 1) * sizeof *ks_entered);
    memset(ks_fired, 0, ((size_t)kestro_sim_transition_count + 1) * sizeof *ks_fired);
}

/* --- the active path over the levels --------------------------------- */

int ks_active_path(int *slots)
{
    int n = 0;
    int level = 0;
    int state = kestro_sim_state();
    while (level >= 0 && n < KS_MAX_PATH && state >= 0 && state < kestro_sim_levels[level].states) {
        const int holder = state;
        int k;
        slots[n++] = kestro_sim_levels[level].first_state + state;
        for (k = level + 1; k < kestro_sim_level_count; ++k) {
            if (kestro_sim_levels[k].parent == level && kestro_sim_levels[k].holder == holder)
                break;
        }
        level = k < kestro_sim_level_count ? k : -1;
        state = level >= 0 ? kestro_sim_level_state(level) : -1;
    }
    return n;
}

static int ks_level_of_state(int slot)
{
    int k;
    for (k = kestro_sim_level_count - 1; k >= 0; --k) {
        const struct kestro_sim_level *l = &kestro_sim_levels[k];
        if (slot >= l->first_state && slot < l->first_state + l->states)
            return k;
    }
    return -1;
}

static int ks_level_of_transition(int slot)
{
    int k;
    for (k = kestro_sim_level_count - 1; k >= 0; --k) {
        const struct kestro_sim_level *l = &kestro_sim_levels[k];
        if (slot >= l->first_transition && slot < l->first_transition + l->transitions)
            return k;
    }
    return -1;
}

/* The first level whose state changed; a transition leaves and enters its
 * own level again (a self transition too) and everything below it. */
int ks_first_entered(const int *before, int nb, const int *after, int na, int fired)
{
    int first = 0;
    int level;
    int i;
    while (first < nb && first < na && before[first] == after[first])
        ++first;
    level = fired >= 0 ? ks_level_of_transition(fired) : -1;
    for (i = 0; level >= 0 && i < first; ++i) {
        if (ks_level_of_state(after[i]) == level)
            return i;
    }
    return first;
}

void ks_print_path(const int *slots, int n)
{
    int i;
    if (kestro_sim_level_count < 2)
        return;
    fputs("path", ks_out);
    for (i = 0; i < n; ++i)
        fprintf(ks_out, " %d", slots[i]);
    fputc('\n', ks_out);
}

/* Counts the cycle; 1 when a breakpoint hit (`hit` says which). */
static int ks_count_cycle(const int *before, int nb, int conditions, char *hit_kind, int *hit)
{
    const int fired = kestro_sim_fired;
    int after[KS_MAX_PATH];
    const int na = ks_active_path(after);
    int k;
    if (fired >= 0 && fired < kestro_sim_transition_count)
        ++ks_fired[fired];
    for (k = ks_first_entered(before, nb, after, na, fired); k < na; ++k) {
        ++ks_entered[after[k]];
        if (ks_state_break[after[k]] && !*hit_kind) {
            *hit_kind = 's';
            *hit = after[k];
        }
    }
    if (*hit_kind)
        return 1;
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

/* "ran CYCLE STATE FIRED", then the active path. */
static void ks_report_ran(void)
{
    int path[KS_MAX_PATH];
    const int n = ks_active_path(path);
    fprintf(ks_out, "ran %ld %d %d\n", ks_cycle, kestro_sim_state(), kestro_sim_fired);
    ks_print_path(path, n);
}

static void ks_report_coverage(void)
{
    int i;
    for (i = 0; i < kestro_sim_slot_count; ++i) {
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
    int before[KS_MAX_PATH];
    const int nb = ks_active_path(before);
    if (conditions)
        ks_evaluate_conditions(ks_condition_was);
    kestro_sim_fired = -1;
    ks_phase = 1;
    ++ks_cycle;
    kestro_sim_cycle();
    ks_phase = 0;
    ++ks_progress;
    return ks_count_cycle(before, nb, conditions, hit_kind, hit);
}

/* "run N": N cycles as step runs them, breakpoints included, reported
 * once: how often each state was entered and each transition fired,
 * "ran CYCLE STATE FIRED" for the last cycle, the variables changed since
 * the run began, then "ok" or the breakpoint. */
void ks_run(long count)
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
    ks_report_ran();
    ks_report_changes();
    if (hit_kind == 's')
        fprintf(ks_out, "break state %d\n", hit);
    else if (hit_kind == 'c')
        fprintf(ks_out, "break condition %d\n", hit);
    else
        fputs("ok\n", ks_out);
}

/* --- exploration: random inputs and stub returns from reset ------------ */

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
static long *ks_hold;   /* the explored variables', then the stubs' */
static int *ks_explored_stub;   /* the stubs the explorer gives values */

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

/* Notes a value given from the next cycle on, while there is room. */
static void ks_note_given(int var, unsigned long long bits)
{
    if (ks_replay_count < KS_REPLAY) {
        ks_replay[ks_replay_count].cycle = ks_cycle + 1;
        ks_replay[ks_replay_count].var = var;
        ks_replay[ks_replay_count].bits = bits;
        ++ks_replay_count;
    }
}

/* Stores a random value of `v`'s scalar type; the bits noted for a
 * replay: the integer, widened to 64 bits, or the floating value's bits
 * (a float's own, or those of a double where `as_double` says so). */
static unsigned long long ks_random_scalar(const struct kestro_sim_var *v, int as_double)
{
    unsigned long long bits = 0;
    if (v->kind == 'f') {
        double d = ks_real_value(v);
        if (v->size == (int)sizeof(float)) {
            const float f = (float)d;
            uint32_t u;
            memcpy(&u, &f, sizeof f);
            bits = u;
            memcpy(v->address, &f, sizeof f);
            d = f;
        } else if (v->size == (int)sizeof(double)) {
            memcpy(v->address, &d, sizeof d);
        } else {
            const long double l = d;
            memcpy(v->address, &l, sizeof l);
        }
        if (as_double || v->size != (int)sizeof(float))
            memcpy(&bits, &d, sizeof bits);
        return bits;
    }
    bits = ks_whole_value(v);
    ks_store_integer(v, bits);
    return bits;
}

/* Gives `e`'s variable a new value and notes it for a replay. */
static void ks_give(const struct kestro_sim_explored *e)
{
    const struct kestro_sim_var *v = &kestro_sim_vars[e->var];
    unsigned long long bits = 0;
    if (v->constant || (v->kind == 'r' && !e->null_only))
        return;   /* no scalar: left as it is */
    if (e->null_only)
        memset(v->address, 0, (size_t)v->size);
    else
        bits = ks_random_scalar(v, 0);
    ks_note_given(e->var, bits);
}

/* Whether the explorer gives stub `index` values: those returning a
 * number of a scalar type (a pointer stays null, nothing stays nothing). */
static int ks_stub_explored(int index)
{
    const char kind = kestro_sim_stubs[index].kind;
    return kestro_sim_stubs[index].values
        && (kind == 'b' || kind == 'i' || kind == 'u' || kind == 'f');
}

/* Stub `index` returns a new random value on every call until the next;
 * noted for a replay with a floating value as a double's bits. */
static void ks_give_stub(int index)
{
    const struct kestro_sim_stub *stub = &kestro_sim_stubs[index];
    struct kestro_sim_var cell;
    cell.name = stub->name;
    cell.address = stub->values;
    cell.size = stub->size;
    cell.kind = stub->kind;
    cell.constant = 0;
    ks_note_given(-1 - index, ks_random_scalar(&cell, 1));
    ks_stub_single(index);
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
    int after[KS_MAX_PATH];
    int n;
    for (i = 0; i < kestro_sim_var_count; ++i) {
        if (!kestro_sim_vars[i].constant)
            memcpy(kestro_sim_vars[i].address, ks_start_values + ks_offset[i], (size_t)kestro_sim_vars[i].size);
    }
    for (i = 0; i < kestro_sim_explored_count + kestro_sim_stub_count; ++i)
        ks_hold[i] = 0;
    /* The stubs return 0 in the initial cycle, as after a script's reset. */
    for (i = 0; i < kestro_sim_stub_count; ++i) {
        if (ks_stub_explored(i)) {
            memset(kestro_sim_stubs[i].values, 0, (size_t)kestro_sim_stubs[i].size);
            ks_stub_single(i);
        }
    }
    ks_replay_count = 0;
    ks_cycle = 0;
    kestro_sim_fired = -1;
    ks_phase = 1;
    kestro_sim_initialize();
    ks_phase = 0;
    ++ks_progress;
    /* Everything active after the initial cycle was entered by it. */
    n = ks_active_path(after);
    for (i = 0; i < n; ++i)
        ++ks_entered[after[i]];
}

/* "explore N SEED": N cycles with random values of the explored
 * variables and of the stubs that return a number, from a restart, restarting every so often; reports how often
 * each state was entered and each transition fired, then
 * "ok CYCLES RESTARTS". A crash or a timeout first lists the values given
 * since the last restart ("replay ..."). */
void ks_explore(long count, unsigned long long seed)
{
    char hit_kind = 0;
    int hit = -1;
    long done = 0;
    long restarts = 0;
    long segment = 0;
    int i;
    int held = 0;   /* stubs given values */
    for (i = 0; i < kestro_sim_stub_count; ++i) {
        if (ks_stub_explored(i))
            ks_explored_stub[held++] = i;
    }
    ks_random_state = seed;
    ks_clear_coverage();
    ks_watch(1);
    ks_exploring = 1;
    while (done < count) {
        if (segment <= 0 || ks_replay_count + kestro_sim_explored_count + held > KS_REPLAY) {
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
        for (i = 0; i < held; ++i) {
            if (--ks_hold[kestro_sim_explored_count + i] <= 0) {
                ks_give_stub(ks_explored_stub[i]);
                ks_hold[kestro_sim_explored_count + i] = ks_hold_time();
            }
        }
        ks_quiet_cycle(0, &hit_kind, &hit);
        ++done;
        --segment;
    }
    ks_exploring = 0;
    ks_watch(0);
    ks_report_coverage();
    ks_report_ran();
    ks_report_changes();
    fprintf(ks_out, "ok %ld %ld\n", done, restarts);
}

void ks_runs_allocate(const unsigned char *start, size_t size)
{
    ks_start_values = (unsigned char *)malloc(size + 1);
    ks_entered = (unsigned long long *)calloc((size_t)kestro_sim_slot_count + 1, sizeof *ks_entered);
    ks_fired = (unsigned long long *)calloc((size_t)kestro_sim_transition_count + 1, sizeof *ks_fired);
    ks_hold = (long *)calloc((size_t)kestro_sim_explored_count + (size_t)kestro_sim_stub_count + 1, sizeof *ks_hold);
    ks_explored_stub = (int *)calloc((size_t)kestro_sim_stub_count + 1, sizeof *ks_explored_stub);
    if (!ks_start_values || !ks_entered || !ks_fired || !ks_hold || !ks_explored_stub)
        exit(71);
    memcpy(ks_start_values, start, size);
}
