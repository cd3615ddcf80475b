// A fixture that creates a workspace for each test and destroys it after.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "bignum/number_system.h"
#include "tests/bignum/gmp_bridge.h"

namespace arkseal::test {

struct WorkspaceShape {
    int digits;
    std::uint32_t base;
    const char* name;
};

inline std::ostream& operator<<(std::ostream& out, const WorkspaceShape& shape) { return out << shape.name; }

class WorkspaceTest : public ::testing::TestWithParam<WorkspaceShape> {
protected:
    void SetUp() override {
        system_ = CreateNumberSystem(GetParam().digits, GetParam().base);
        ASSERT_NE(system_, nullptr);
        ASSERT_EQ(system_->errorCode, 0);
    }
    void TearDown() override { DestroyNumberSystem(); }

    int Capacity() const { return system_->wordCapacity; }
    int BlockWords() const { return system_->wordCapacity + 1; }
    // Digit words of v in the working base.
    int WordsOf(const mpz_t v) const {
        Mpz m;
        mpz_abs(m, v);
        int words = 0;
        const unsigned long radixHalf = system_->base == 0 ? 65536ul : 0ul;
        while (Sign(m) != 0) {
            if (radixHalf != 0) {
                mpz_tdiv_q_2exp(m, m, 32);
            } else {
                mpz_tdiv_q_ui(m, m, system_->base);
            }
            ++words;
        }
        return words;
    }

    NumberSystem* system_ = nullptr;
};

#ifdef NDEBUG
constexpr int kRounds = 300;
#else
constexpr int kRounds = 40;
#endif

}  // namespace arkseal::test
