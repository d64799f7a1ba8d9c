#pragma once

// Compiles a generated module with the system's C compiler, syntax only,
// and turns each diagnostic into a finding that names the state,
// transition, text or memory item whose text produced the offending line
// (through the module's line maps). QtCore only.
//
// The compiler is $CC, or "cc" when CC is not set; it runs as
// CC -std=c99 -fsyntax-only -Wall -Wextra [flags] [-I DIR ...] MODULE.c
// on copies of the two files in a temporary directory, with the C locale so
// that its messages can be read. It runs confined (Sandbox): the include
// folders, the project's among them, read-only; nothing else of the home
// folder, no network, limited memory and time.

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
    // header it names the item behind the line; about another file it names
    // that file and line and belongs to the machine.
    static DesignFinding finding(const Diagnostic &diagnostic, const GeneratedModule &module,
                                 const MachineDescription &machine);

    // The findings of a compiler's output for `module`, one per diagnostic.
    static DesignFindings parse(const QString &output, const GeneratedModule &module,
                                const MachineDescription &machine);
};
