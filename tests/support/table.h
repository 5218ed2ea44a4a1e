#pragma once

#include <gtest/gtest.h>

#include <string>

namespace pelmar::test {

// Names each row of a parameterised table by its `label` field ("OddDigitCountGetsFFill").
struct ByLabel {
    template <class Row>
    std::string operator()(const testing::TestParamInfo<Row>& row) const {
        return std::string(row.param.label);
    }
};

}  // namespace pelmar::test
