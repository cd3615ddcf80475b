// Runs a test suite once per way of computing AES: the table rounds, and the
// AES instructions with the mode-10 run in each of its encodings (skipped on
// processors without them).
#pragma once

#include <gtest/gtest.h>

#include <arkseal/crypto/aes.h>
#include <arkseal/crypto/aes_rounds.h>

namespace arkseal::test {

enum class AesRoute { Portable, Sse41, Avx512 };

class OnEveryAesRoute : public ::testing::TestWithParam<AesRoute> {
protected:
    void SetUp() override {
        savedPath_ = AesActivePath();
        savedEncoding_ = aes_rounds::ActiveRunEncoding();
        if (GetParam() == AesRoute::Portable) {
            AesSelectPath(AesPath::Portable);
            return;
        }
        if (!AesSelectPath(AesPath::Hardware)) GTEST_SKIP() << "this processor has no AES instructions";
        const auto encoding =
            GetParam() == AesRoute::Avx512 ? aes_rounds::RunEncoding::Avx512 : aes_rounds::RunEncoding::Sse41;
        if (!aes_rounds::SelectRunEncoding(encoding)) GTEST_SKIP() << "this processor has no AVX-512";
    }
    void TearDown() override {
        AesSelectPath(savedPath_);
        aes_rounds::SelectRunEncoding(savedEncoding_);
    }

private:
    AesPath savedPath_ = AesPath::Portable;
    aes_rounds::RunEncoding savedEncoding_ = aes_rounds::RunEncoding::Sse41;
};

inline std::string AesRouteName(const ::testing::TestParamInfo<AesRoute>& info) {
    switch (info.param) {
        case AesRoute::Portable: return "Portable";
        case AesRoute::Sse41: return "Sse41";
        case AesRoute::Avx512: return "Avx512";
    }
    return "";
}

}  // namespace arkseal::test

#define ARKSEAL_ON_EVERY_AES_ROUTE(Suite)                                                                             \
    INSTANTIATE_TEST_SUITE_P(Routes, Suite,                                                                           \
                             ::testing::Values(::arkseal::test::AesRoute::Portable, ::arkseal::test::AesRoute::Sse41, \
                                               ::arkseal::test::AesRoute::Avx512),                                    \
                             ::arkseal::test::AesRouteName)
