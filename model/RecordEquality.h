#pragma once

// Whether two records of one kind would be written to a project file alike:
// every stored field (RecordFields) compares equal. Used to tell whether an
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
    RecordFields<Record>::visit(record, [&values](const char *, const auto &member) {
        values.emplace_back(member);
        return true;
    });
    return values;
}

template <typename Record>
bool sameStoredFields(const Record &a, const Record &b)
{
    return storedValues(a) == storedValues(b);
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

} // namespace RecordEquality
