#pragma once

#include <QtTest>

#include <optional>

// The value in a column of the current row of a data-driven test, read where it is used; QFETCH
// would declare a variable for it.
#define FETCHED(Type, column) (*static_cast<Type*>(QTest::qData(#column, ::qMetaTypeId<Type>())))

// Optional values in a failed comparison: the value, or "none".
template <> inline char* QTest::toString(const std::optional<int>& value) {
    return qstrdup(value ? QByteArray::number(*value).constData() : "none");
}
template <> inline char* QTest::toString(const std::optional<double>& value) {
    return qstrdup(value ? QByteArray::number(*value, 'g', 17).constData() : "none");
}
