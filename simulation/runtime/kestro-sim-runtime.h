/* Shared by the two units of a Kestro simulation's runtime, written by
 * Kestro: kestro-sim-runtime.c (the protocol, single cycles, breakpoints)
 * and kestro-sim-runs.c (long runs, coverage counts and the explorer).
 * The glue unit defines the machine's side. */
#ifndef KESTRO_SIM_RUNTIME_H
#define KESTRO_SIM_RUNTIME_H

#include <signal.h>
#include <stddef.h>
#include <stdio.h>

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

/* The levels of the machine: its own diagram (level 0) and each of its
 * sub-machines. The states and transitions of every level are numbered in
 * one row of slots (the machine's own first); kestro_sim_transition_count
 * and the fired hook count transition slots. A machine without
 * sub-machines has one level, whose slots are its states and transitions. */
struct kestro_sim_level
{
    int parent;            /* the level holding it, -1 for level 0 */
    int holder;            /* the holding state in the parent level */
    int states;
    int first_state;       /* its first state slot */
    int transitions;
    int first_transition;  /* its first transition slot */
};
extern const struct kestro_sim_level kestro_sim_levels[];
extern const int kestro_sim_level_count;
extern const int kestro_sim_slot_count;
/* A level's state variable: 0 .. states - 1, or its start value. */
int kestro_sim_level_state(int level);

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

/* The functions the machine calls that nothing defines, stubbed in the
 * stub unit (kestro-sim-stubs.c): each returns the next of its values
 * (kind 'v' returns nothing, 'p' a null pointer) and reports its calls. */
struct kestro_sim_stub
{
    const char *name;
    void *values; /* kestro_sim_stub_capacity values of the return type */
    int size;
    char kind;
};

extern const struct kestro_sim_stub kestro_sim_stubs[];
extern const int kestro_sim_stub_count;
extern const int kestro_sim_stub_capacity;
int kestro_sim_stub_call(int index);
void kestro_sim_stub_signed(long long value);
void kestro_sim_stub_unsigned(unsigned long long value);
void kestro_sim_stub_real(double value);
void kestro_sim_stub_pointer(const void *value);

/* The numbers the machine's conditions compare with. */
extern const double kestro_sim_constants[];
extern const int kestro_sim_constant_count;

/* The runtime's state its units share. */
extern FILE *ks_out;
extern int ks_out_fd;
extern size_t *ks_offset;
extern char *ks_state_break;
extern char *ks_condition_on;
extern char *ks_condition_was;
/* Where the machine is, for a report from a signal handler. */
extern volatile long ks_cycle;
extern volatile sig_atomic_t ks_phase;   /* 0 idle, 1 machine code, 2 breakpoint condition */
/* The longest one cycle may take, in milliseconds (the program's argument). */
extern long ks_timeout_ms;

/* A C integer or floating literal with an optional sign. */
struct ks_literal
{
    int floating;
    int negative;
    unsigned long long magnitude;
    long double real;
};

/* kestro-sim-runtime.c */
size_t ks_put_text(char *to, size_t at, const char *text);
size_t ks_put_long(char *to, size_t at, long value);
/* write() until all is written; for signal handlers too. */
void ks_write_all(const char *bytes, size_t n);
void ks_report_position(const char *word, int signal_number);
void ks_on_signal(int signal_number);
void ks_store_integer(const struct kestro_sim_var *v, unsigned long long bits);
void ks_report_changes(void);
void ks_evaluate_conditions(char *into);
void ks_print_value(const struct kestro_sim_var *v);
/* 1 for a literal; 0 after the error reply. */
int ks_literal_or_error(const char *text, struct ks_literal *literal);
/* A literal stored in `v` (of an integer or floating kind): null, or why not. */
const char *ks_set_integer(const struct kestro_sim_var *v, const struct ks_literal *literal);
const char *ks_set_real(const struct kestro_sim_var *v, const struct ks_literal *literal);

/* kestro-sim-calls.c */
/* Its arrays; 0 when there was no memory. */
int ks_allocate_stubs(void);
void ks_stub_single(int index);
/* A new cycle's calls are counted from none. */
void ks_clear_calls(void);
/* "call NAME ARGUMENTS..." per recorded call, then "calls NAME COUNT" per
 * stub called in the cycle. */
void ks_report_calls(void);
/* "stub NAME returns V" and "stub NAME sequence V...". */
void ks_stub_command(const char *name, const char *mode, char *value);

/* kestro-sim-runs.c */
/* The most levels of an active path. */
#define KS_MAX_PATH 16
/* The slots of the active states, the machine's own first; their number. */
int ks_active_path(int *slots);
/* The first index of `after` that a cycle entered (na for none). */
int ks_first_entered(const int *before, int nb, const int *after, int na, int fired);
/* "path SLOT..." after a cycle's report, for a machine with sub-machines. */
void ks_print_path(const int *slots, int n);
/* Its arrays; `start` holds every variable's start value (`size` bytes). */
void ks_runs_allocate(const unsigned char *start, size_t size);
void ks_run(long count);
void ks_explore(long count, unsigned long long seed);
void ks_dump_replay(void);

#endif
