#pragma once

// The declarations of C text (a machine's text items, the simulation
// prelude), read far enough to stub the functions a machine calls that
// nothing defines. QtCore only.
//
// Comments, literals and preprocessor lines are passed over, bodies in
// braces skipped; every statement at file scope whose words before a name
// are type words (identifiers, "*") declares that name: a function when
// "(" follows, an object when ";", "=", "[" or "," follows. Return and
// parameter types are understood when they are scalar: void, the integer
// and floating types with signed/unsigned/short/long, _Bool and bool, the
// <stdint.h> and <stddef.h> types, enums, and pointers to anything. Any
// other type (a struct by value, a typedef of the machine's headers) makes
// a stub that returns int and records no arguments.
//
// Every declarator of an object statement ("int a, *b, c[4];") declares an
// object. The scalar variables among them that the texts define (no
// "static", no "const", no "extern" without an initialiser, no pointer or
// array) are listed for the simulation to watch and set.

#include "SimulationRecords.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

class StubDeclarations
{
public:
    // Parameters beyond this make the prototype unusable.
    static constexpr int MaxParameters = 16;

    explicit StubDeclarations(const QStringList &texts);

    // The stub of `name`: typed by its first understood prototype, else
    // "int NAME()" recording only its calls.
    SimulationStub stub(const QString &name) const;
    // `name` is declared as an object (a variable), which no function can stand for.
    bool declaresObject(const QString &name) const { return m_objects.contains(name); }

    // A scalar variable the texts define at file scope: its name and its
    // type as written, storage class left out.
    struct Variable
    {
        QString name;
        QString type;
    };
    // In order of definition, each name once.
    const QVector<Variable> &scalarVariables() const { return m_variables; }

private:
    struct Declaration
    {
        QStringList returnWords;               // specifiers and "*"
        QVector<QStringList> parameters;       // each parameter's tokens
        bool empty = true;                     // "()"
    };

    void readStatement(const QStringList &tokens);
    // The declarators of an object statement; `first` is the index of the first one's name.
    void readObjects(const QStringList &tokens, int first);
    void addVariable(const QStringList &typeWords, const QString &name, bool initialised);

    QHash<QString, Declaration> m_functions;
    QSet<QString> m_objects;
    QVector<Variable> m_variables;
    QSet<QString> m_variableNames;
};
