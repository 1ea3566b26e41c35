#pragma once
#include <gtest/gtest.h>

#include <cctype>
#include <string>

// Test names from the name field of table-driven cases: letters and digits,
// everything else an underscore.
template <typename Case> std::string CaseName(const ::testing::TestParamInfo<Case> &testInfo) {
  std::string name = testInfo.param.name;
  for (char &ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch)))
      ch = '_';
  return name;
}
