#pragma once

// The instance style of a machine's C module: a context type holding the
// state and the machine's memory items, so that a program may run several
// instances of one machine. For a module M (upper case U):
//
//   header M.h, guard U_H, C90 plus <stdint.h>, extern "C" for C++ callers:
//     U_STATE_TYPE           the type the state is stored in (uint8_t where
//                            the enumerators fit; the user may define it)
//     U_S_<LABEL>, U_START   the states' values and the start value
//     M_t                    the context: state, the time in state when the
//                            machine reads it, then the memory items
//     void MInit(M_t *me)    zeroes every member, makes the initial transition
//     int MStep(M_t *me)     one cycle; nonzero when a transition fired
//     U_STATE_TYPE MState(const M_t *me)
//     const char *MStateName(const M_t *me)
//   source M.c: state functions M_s_<label>, the start function M_start,
//   the name table M_names, and the fault hook U_INVALID_STATE(me), which
//   the user may define and which by default puts the instance back to the
//   start value.
//
// A machine with sub-machines adds, per sub-machine of holder state H, the
// member state_H (its value U_START_H before the first entry) and, when its
// texts read it, H_kestro_cycles_in_state; its values U_S_<LABEL> stand in
// the header after the machine's. The functions entering, leaving and
// running it are static (M_m_enter_H, M_m_exit_H, M_m_cycle_H, and
// M_m_reset for every level), kestro_in(X) expands to U_IN_<X>.
//
// No generated name can be made from a state label but the state's own
// (they all carry "_s_" or "_S_" after the module name, nothing else does).
// Code texts are written as for the classic module, but every identifier
// naming one of the machine's memory items becomes a member of the instance
// ("me->name"): in conditions, actions and define texts. QtCore only.

#include "CEmitter.h"

namespace InstanceEmitter {

// The generated names of module `module` (see above).
struct Names
{
    explicit Names(const QString &module);

    QString module;
    QString upper;
    QString contextType, init, step, state, stateName;
    QString guard, stateType, faultHook, start, startFunction, nameTable;

    QString stateFunction(const QString &label) const;
    QString enumerator(const QString &label) const;

    // A sub-machine, the one the state `holder` (its label) holds. Its
    // states' values are enumerator(label), as the top-level states'.
    QString subState(const QString &holder) const;      // member state_<holder>
    QString subCounter(const QString &holder) const;    // member <holder>_kestro_cycles_in_state
    QString subStart(const QString &holder) const;      // U_START_<HOLDER>: not entered, nothing to resume
    QString subCycle(const QString &holder) const;      // static int M_m_cycle_<holder>(M_t *me)
    QString subEnter(const QString &holder) const;      // static void M_m_enter_<holder>(M_t *me)
    QString subExit(const QString &holder) const;       // static void M_m_exit_<holder>(M_t *me)
    // static void M_m_reset(M_t *me): every sub-machine back to its start
    // value, every time in state 0 (init, and the default fault hook).
    QString subReset() const;
    // kestro_in(X) (CEmitter::inQuery()) expands to this macro of state X,
    // which reads the instance `me`.
    QString activeMacro(const QString &label) const;    // U_IN_<label>
};

// Fills the texts and line maps of `result`; false when they would pass
// `limit` characters (the texts are then left empty). `counterType` is the
// type of the time in state's member, null when the machine has none.
bool write(const MachineDescription &machine, const ModuleProperties &properties, qint64 limit,
           const QString &counterType, GeneratedModule *result);

// The C type the state is stored in when the user defines none.
QString defaultStateType(int stateCount);

} // namespace InstanceEmitter
