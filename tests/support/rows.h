#pragma once

#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <utility>

// Table-driven tests: every row of a table carries a `name`. It names the
// row's test,
//     INSTANTIATE_TEST_SUITE_P(Rows, Suite, ::testing::ValuesIn(rows), quenby::test::RowName());
// and it stands for the row wherever GoogleTest prints one (a failing case,
// the list of tests), once the file that holds the rows says
//     using quenby::test::operator<<;
// in their namespace (GoogleTest finds printers by argument-dependent lookup).
namespace quenby::test {

struct RowName {
    template <class Row> std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
        return std::string(info.param.name);
    }
};

template <class Row, class = decltype(std::string(std::declval<const Row&>().name))>
std::ostream& operator<<(std::ostream& os, const Row& row) {
    return os << row.name;
}

} // namespace quenby::test
