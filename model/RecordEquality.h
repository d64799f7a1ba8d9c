#pragma once

// Whether two records of one kind would be written to a project file alike:
// every stored field (RecordFields, OptionalFields) compares equal. Used to tell whether an
// edit changed anything that is saved. QtCore only.

#include "ItemRecord.h"
#include "RecordFields.h"

#include <QString>
#include <QStringList>

#include <type_traits>
#include <variant>
#include <vector>

namespace RecordEquality {

using FieldValue = std::variant<int, double, bool, QString, QStringList, PolygonPoints>;

template <typename Record>
std::vector<FieldValue> storedValues(const Record &record)
{
    std::vector<FieldValue> values;
    const auto add = [&values](const char *, const auto &member) {
        values.emplace_back(member);
        return true;
    };
    RecordFields<Record>::visit(record, add);
    OptionalFields<Record>::visit(record, add);
    return values;
}

template <typename Record>
bool sameStoredFields(const Record &a, const Record &b)
{
    return storedValues(a) == storedValues(b);
}

// A process record's optional code style and counter type are stored too.
inline bool sameStoredFields(const ProcessRecord &a, const ProcessRecord &b)
{
    return storedValues(a) == storedValues(b) && a.codeStyle == b.codeStyle && a.counterType == b.counterType;
}

// Records of two different kinds are never alike; two empty ones are.
inline bool sameStoredFields(const ItemRecord &a, const ItemRecord &b)
{
    if (a.index() != b.index())
        return false;
    return std::visit(
        [&b](const auto &record) {
            using Record = std::decay_t<decltype(record)>;
            if constexpr (std::is_same_v<Record, std::monostate>)
                return true;
            else
                return sameStoredFields(record, std::get<Record>(b));
        },
        a);
}

// The names of the stored fields in which two records of one kind differ,
// in file order; every field of the kind when the kinds differ.
template <typename Record>
QStringList changedFields(const Record &a, const Record &b)
{
    const std::vector<FieldValue> before = storedValues(a);
    const std::vector<FieldValue> after = storedValues(b);
    QStringList names;
    std::size_t i = 0;
    const auto compare = [&](const char *name, const auto &) {
        if (!(before[i] == after[i]))
            names.append(QString::fromLatin1(name));
        ++i;
        return true;
    };
    RecordFields<Record>::visit(a, compare);
    OptionalFields<Record>::visit(a, compare);
    return names;
}

inline QStringList changedFields(const ItemRecord &a, const ItemRecord &b)
{
    if (a.index() != b.index())
        return {QStringLiteral("*")};
    return std::visit(
        [&b](const auto &record) -> QStringList {
            using Record = std::decay_t<decltype(record)>;
            if constexpr (std::is_same_v<Record, std::monostate>)
                return {};
            else
                return changedFields(record, std::get<Record>(b));
        },
        a);
}

} // namespace RecordEquality
