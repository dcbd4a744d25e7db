#pragma once
// Names parameterised test cases after the "name" field of their case.

#include <gtest/gtest.h>

#include <string>

namespace remote::test {

template <class Case>
std::string case_name(const testing::TestParamInfo<Case>& param_info) {
    return std::string(param_info.param.name);
}

}  // namespace remote::test
