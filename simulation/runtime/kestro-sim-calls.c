/* Runtime of a Kestro simulation: the values the stubbed functions return
 * and the calls they report, the protocol's "stub" command and the "call"
 * and "calls" lines of a cycle. Part of the runtime in
 * kestro-sim-runtime.c; the stubs themselves are the stub unit
 * (kestro-sim-stubs.c) Kestro writes for the machine. */
#define _XOPEN_SOURCE 700
#define _DEFAULT_SOURCE 1
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "kestro-sim-runtime.h"

/* Calls reported with their arguments per cycle, and arguments per call;
 * calls beyond are counted only. */
#define KS_CALLS_RECORDED 64
#define KS_ARGUMENTS_RECORDED 8

/* The stubs: how many values each has (a sequence, or one value), which
 * one its next call returns, its calls in this cycle; the calls recorded
 * in this cycle with their arguments. */
struct ks_argument
{
    char kind; /* 'i' signed, 'u' unsigned, 'f' floating, 'p' pointer */
    long long i;
    unsigned long long u;
    double f;
};

struct ks_call
{
    int stub;
    int count;
    struct ks_argument arguments[KS_ARGUMENTS_RECORDED];
};

static int *ks_stub_length;
static int *ks_stub_next;
static long *ks_stub_calls;
static unsigned char *ks_stub_scratch;
static struct ks_call ks_calls[KS_CALLS_RECORDED];
static int ks_calls_recorded;
static struct ks_call *ks_recording;
static int ks_any_call;

int ks_allocate_stubs(void)
{
    size_t count = (size_t)kestro_sim_stub_count + 1;
    size_t largest = 1;
    int i;
    ks_stub_length = (int *)calloc(count, sizeof *ks_stub_length);
    ks_stub_next = (int *)calloc(count, sizeof *ks_stub_next);
    ks_stub_calls = (long *)calloc(count, sizeof *ks_stub_calls);
    for (i = 0; i < kestro_sim_stub_count; ++i) {
        if ((size_t)kestro_sim_stubs[i].size > largest)
            largest = (size_t)kestro_sim_stubs[i].size;
    }
    ks_stub_scratch = (unsigned char *)malloc(largest * (size_t)(kestro_sim_stub_capacity + 1));
    if (!ks_stub_length || !ks_stub_next || !ks_stub_calls || !ks_stub_scratch)
        return 0;
    for (i = 0; i < kestro_sim_stub_count; ++i)
        ks_stub_length[i] = 1;
    return 1;
}

/* Stub `index` returns its first value on every call from now on (the
 * explorer wrote it there). */
void ks_stub_single(int index)
{
    ks_stub_length[index] = 1;
    ks_stub_next[index] = 0;
}

/* A call of stub `index`: counted, recorded while there is room; the
 * index of the value it returns. */
int kestro_sim_stub_call(int index)
{
    const int slot = ks_stub_next[index];
    if (slot + 1 < ks_stub_length[index])
        ks_stub_next[index] = slot + 1;
    ++ks_stub_calls[index];
    ks_any_call = 1;
    ks_recording = NULL;
    if (ks_calls_recorded < KS_CALLS_RECORDED) {
        ks_recording = &ks_calls[ks_calls_recorded++];
        ks_recording->stub = index;
        ks_recording->count = 0;
    }
    return slot;
}

static struct ks_argument *ks_next_argument(char kind)
{
    struct ks_argument *argument;
    if (!ks_recording || ks_recording->count >= KS_ARGUMENTS_RECORDED)
        return NULL;
    argument = &ks_recording->arguments[ks_recording->count++];
    argument->kind = kind;
    return argument;
}

void kestro_sim_stub_signed(long long value)
{
    struct ks_argument *argument = ks_next_argument('i');
    if (argument)
        argument->i = value;
}

void kestro_sim_stub_unsigned(unsigned long long value)
{
    struct ks_argument *argument = ks_next_argument('u');
    if (argument)
        argument->u = value;
}

void kestro_sim_stub_real(double value)
{
    struct ks_argument *argument = ks_next_argument('f');
    if (argument)
        argument->f = value;
}

void kestro_sim_stub_pointer(const void *value)
{
    struct ks_argument *argument = ks_next_argument('p');
    if (argument)
        argument->u = value ? 1ULL : 0ULL;
}

void ks_clear_calls(void)
{
    if (!ks_any_call)
        return;
    memset(ks_stub_calls, 0, (size_t)kestro_sim_stub_count * sizeof *ks_stub_calls);
    ks_calls_recorded = 0;
    ks_recording = NULL;
    ks_any_call = 0;
}

static void ks_print_argument(const struct ks_argument *argument)
{
    if (argument->kind == 'i')
        fprintf(ks_out, " %lld", argument->i);
    else if (argument->kind == 'u')
        fprintf(ks_out, " %llu", argument->u);
    else if (argument->kind == 'f')
        fprintf(ks_out, " %.17g", argument->f);
    else
        fputs(argument->u ? " ptr" : " NULL", ks_out);
}

/* "call NAME ARGUMENTS..." per recorded call, then "calls NAME COUNT" per
 * stub called in the cycle. */
void ks_report_calls(void)
{
    int i;
    int k;
    if (!ks_any_call)
        return;
    for (i = 0; i < ks_calls_recorded; ++i) {
        fprintf(ks_out, "call %s", kestro_sim_stubs[ks_calls[i].stub].name);
        for (k = 0; k < ks_calls[i].count; ++k)
            ks_print_argument(&ks_calls[i].arguments[k]);
        fputc('\n', ks_out);
    }
    for (k = 0; k < kestro_sim_stub_count; ++k) {
        if (ks_stub_calls[k])
            fprintf(ks_out, "calls %s %ld\n", kestro_sim_stubs[k].name, ks_stub_calls[k]);
    }
}

static int ks_find_stub(const char *name)
{
    int i;
    for (i = 0; i < kestro_sim_stub_count; ++i) {
        if (strcmp(kestro_sim_stubs[i].name, name) == 0)
            return i;
    }
    return -1;
}

/* Reads the values of "stub NAME returns V" or "stub NAME sequence V..."
 * into the scratch cells; their number, or -1 after an error reply. */
static int ks_stub_values(const struct kestro_sim_stub *stub, char *value)
{
    struct kestro_sim_var cell;
    struct ks_literal literal;
    const char *problem;
    int count = 0;
    for (; value; value = strtok(NULL, " ")) {
        if (count >= kestro_sim_stub_capacity) {
            fprintf(ks_out, "error %s takes at most %d values\n", stub->name, kestro_sim_stub_capacity);
            return -1;
        }
        if (!ks_literal_or_error(value, &literal))
            return -1;
        cell.name = stub->name;
        cell.address = ks_stub_scratch + (size_t)count * (size_t)stub->size;
        cell.size = stub->size;
        cell.kind = stub->kind;
        cell.constant = 0;
        problem = stub->kind == 'f' ? ks_set_real(&cell, &literal)
            : stub->kind == 'b' || stub->kind == 'i' || stub->kind == 'u' ? ks_set_integer(&cell, &literal)
                                                                          : "returns no number and cannot return";
        if (problem) {
            fprintf(ks_out, "error %s %s %s\n", stub->name, problem, value);
            return -1;
        }
        ++count;
    }
    return count;
}

/* The values a stub returns: one for every call, or one per call in turn,
 * the last repeating. The reply lists them as stored. */
void ks_stub_command(const char *name, const char *mode, char *value)
{
    const int index = ks_find_stub(name);
    const struct kestro_sim_stub *stub = index < 0 ? NULL : &kestro_sim_stubs[index];
    struct kestro_sim_var cell;
    int count;
    int k;
    const int single = mode && strcmp(mode, "returns") == 0;
    if (!stub) {
        fprintf(ks_out, "error no stubbed function %s\n", name);
        return;
    }
    if (!value || (!single && (!mode || strcmp(mode, "sequence") != 0))) {
        fputs("error usage: stub NAME returns VALUE | stub NAME sequence VALUE...\n", ks_out);
        return;
    }
    if (stub->kind == 'v' || stub->kind == 'p') {
        fprintf(ks_out, "error %s %s\n", stub->name,
                stub->kind == 'v' ? "returns nothing" : "returns a pointer, which is always a null pointer");
        return;
    }
    count = ks_stub_values(stub, value);
    if (count < 0)
        return;
    if (single && count != 1) {
        fputs("error usage: stub NAME returns VALUE, one value\n", ks_out);
        return;
    }
    memcpy(stub->values, ks_stub_scratch, (size_t)count * (size_t)stub->size);
    ks_stub_length[index] = count;
    ks_stub_next[index] = 0;
    fputs("ok", ks_out);
    for (k = 0; k < count; ++k) {
        cell.name = stub->name;
        cell.address = (unsigned char *)stub->values + (size_t)k * (size_t)stub->size;
        cell.size = stub->size;
        cell.kind = stub->kind;
        cell.constant = 0;
        fputc(' ', ks_out);
        ks_print_value(&cell);
    }
    fputc('\n', ks_out);
}

