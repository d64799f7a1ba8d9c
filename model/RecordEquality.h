#pragma once

// Whether two records of one kind would be written to a project file alike:
// every stored field (RecordFields) compares equal. Used to tell whether an
// edit changed anything that is saved. QtCore only.

#include "RecordFields.h"

#include <QString>
#include <QStringList>

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

} // namespace RecordEquality
