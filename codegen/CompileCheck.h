#pragma once

// Compiles a generated module with the system's C compiler, syntax only,
// and turns each diagnostic into a finding that names the state,
// transition, text or memory item whose text produced the offending line
// (through the module's line maps). QtCore only.
//
// The compiler is $CC, or "cc" when CC is not set. Its family, known by
// the program's name, gives the arguments of a syntax-only run:
//   gcc, clang, cc and their cross compilers (arm-none-eabi-gcc, avr-gcc,
//   clang-17, ...): -std=c99 -fsyntax-only -Wall -Wextra
//   tcc: -std=c99 -Wall -c -o MODULE.o
//   sdcc: --std-c99 -c -o MODULE.rel (sdcc has no syntax-only mode)
// then the extra flags, -I DIR ... and MODULE.c. Any other compiler gets
// the extra flags, -I DIR ... and MODULE.c only (the caller says so). It
// runs on copies of the two files in a temporary directory, with the C
// locale so that its messages can be read. It runs
// confined (Sandbox): the include folders, the project's among them,
// read-only; nothing else of the home folder, no network, limited memory
// and time.

#include "CEmitter.h"
#include "DesignFinding.h"

#include <QString>
#include <QStringList>

class CompileCheck
{
public:
    struct Options
    {
        QStringList compiler;     // program and its own arguments
        QStringList flags;        // extra flags (--cflags)
        QStringList includeDirectories;
        int timeoutMs = 120000;
        // Where the sandbox is missing, run the compiler without it (the
        // user said so); else the check fails with Status::NoSandbox.
        bool allowUnconfined = false;
    };

    enum class Family
    {
        Gcc,       // gcc, cc, clang and their cross compilers
        Tcc,
        Sdcc,
        Unknown,
    };
    // The family of a compiler by its program's name.
    static Family family(const QString &program);
    // What an unknown compiler is told: which are known and how to pass
    // its own syntax-only flags.
    static QString unknownCompilerNote(const QString &program);
    // The arguments after the compiler's own of a run of `family`.
    static QStringList arguments(Family family, const QStringList &flags, const QStringList &includeDirectories,
                                 const QString &directory, const QString &sourceFile);

    enum class Status
    {
        Compiled,          // the compiler ran; findings hold what it said
        CompilerMissing,   // the compiler could not be started
        Failed,            // it crashed, timed out or the files could not be prepared
        NoSandbox,         // it cannot be confined here and was not run
    };

    struct Result
    {
        Status status = Status::Failed;
        DesignFindings findings;   // marked fromCompiler
        QString message;           // why, when not Compiled
        QString note;              // about the compiler, e.g. an unknown one
        bool hasErrors() const;
    };

    // $CC split at blanks (double quotes keep blanks together), or "cc".
    static QStringList defaultCompiler();

    static Result run(const GeneratedModule &module, const MachineDescription &machine,
                      const Options &options);

    // `flags` with the paths of include options made absolute (the compiler
    // runs in its own folder); `folders` gets the folders they name.
    static QStringList absoluteIncludeFlags(const QStringList &flags, QStringList *folders);

    // One error or warning of a compiler's output.
    struct Diagnostic
    {
        QString file;        // as the compiler wrote it; empty for the compiler's own complaints
        int line = 0;        // 1-based; 0 with no file
        DesignFinding::Severity severity = DesignFinding::Error;
        QString text;        // the message; for the compiler's own: "PROGRAM: message"
    };
    // The errors and warnings of a compiler's output, in order (notes and
    // "In file included from" lines are left out).
    static QVector<Diagnostic> diagnostics(const QString &output);

    // A diagnostic as a finding for `module`: about the module's source or
    // header it names the item behind the line, or, when the line is the
    // generator's fixed text, says it is about the template; about another
    // file it names that file and line and belongs to the machine.
    static DesignFinding finding(const Diagnostic &diagnostic, const GeneratedModule &module,
                                 const MachineDescription &machine);

    // The findings of a compiler's output for `module`, one per diagnostic.
    static DesignFindings parse(const QString &output, const GeneratedModule &module,
                                const MachineDescription &machine);
};
