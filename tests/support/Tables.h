#pragma once

#include <QtTest>

#include <array>
#include <initializer_list>
#include <optional>
#include <tuple>
#include <utility>

// The value in a column of the current row of a data-driven test, read where it is used; QFETCH
// would declare a variable for it.
#define FETCHED(Type, column)                                                                      \
    (*static_cast<Type*>(QTest::qData(#column, ::qMetaTypeId<Type>())))

namespace roteka::test {

// A data-driven test's table in one call, for its _data() function: the columns' names, then one
// row a line, each row its name first.
template <class... Columns>
void table(const std::array<const char*, sizeof...(Columns)>& names,
           std::initializer_list<std::tuple<const char*, Columns...>> rows) {
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        (QTest::addColumn<Columns>(names[I]), ...);
    }(std::index_sequence_for<Columns...>{});
    for (const auto& row : rows)
        std::apply([](const char* name, const auto&... values) { (QTest::newRow(name) << ... << values); },
                   row);
}

} // namespace roteka::test

// Optional values in a failed comparison: the value, or "none".
template <> inline char* QTest::toString(const std::optional<int>& value) {
    return qstrdup(value ? QByteArray::number(*value).constData() : "none");
}
template <> inline char* QTest::toString(const std::optional<double>& value) {
    return qstrdup(value ? QByteArray::number(*value, 'g', 17).constData() : "none");
}
