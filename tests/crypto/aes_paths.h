// Runs a test suite once on the table rounds and once on the AES
// instructions (skipped on processors without them).
#pragma once

#include <gtest/gtest.h>

#include "crypto/aes.h"

namespace arkseal::test {

class OnBothAesPaths : public ::testing::TestWithParam<AesPath> {
protected:
    void SetUp() override {
        saved_ = AesActivePath();
        if (!AesSelectPath(GetParam())) GTEST_SKIP() << "this processor has no AES instructions";
    }
    void TearDown() override { AesSelectPath(saved_); }

private:
    AesPath saved_ = AesPath::Portable;
};

inline std::string AesPathName(const ::testing::TestParamInfo<AesPath>& info) {
    return info.param == AesPath::Hardware ? "Hardware" : "Portable";
}

}  // namespace arkseal::test

#define ARKSEAL_ON_BOTH_AES_PATHS(Suite)                                                                    \
    INSTANTIATE_TEST_SUITE_P(Paths, Suite,                                                                  \
                             ::testing::Values(::arkseal::AesPath::Portable, ::arkseal::AesPath::Hardware), \
                             ::arkseal::test::AesPathName)
