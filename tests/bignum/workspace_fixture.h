// Fixtures of the bignum tests. Every test runs with the guard allocator
// under NumberAlloc, so a write past any number's block fails it; a test that
// leaves a workspace behind has it destroyed (and every block checked) after.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include <arkseal/bignum/workspace/number_system.h>
#include <arkseal/tests/bignum/gmp_bridge.h>
#include <arkseal/tests/bignum/guard_allocator.h>

namespace arkseal::test {

class GuardedTest : public ::testing::Test {
protected:
    void SetUp() override { GuardAllocator::Install(); }
    void TearDown() override {
        GuardAllocator::CheckLiveBlocks();
        if (CurrentNumberSystem() != nullptr) DestroyNumberSystem();
    }
};

struct WorkspaceShape {
    int digits;
    std::uint32_t base;
    const char* name;
};

inline std::ostream& operator<<(std::ostream& out, const WorkspaceShape& shape) { return out << shape.name; }

// The workspaces the differential tests run in: the program's own, full
// words with a capacity small enough that every edge is near, and working
// bases that are not 2^32 (10^9, 2^30 and the odd 7^11).
constexpr WorkspaceShape kFullWords640 = {640, 0, "FullWords640"};
constexpr WorkspaceShape kFullWords8 = {-32, 0, "FullWords8"};
constexpr WorkspaceShape kFullWords4 = {-16, 0, "FullWords4"};
constexpr WorkspaceShape kDecimal96 = {9 * 96, 10, "Decimal96"};
constexpr WorkspaceShape kOctal24 = {10 * 24, 8, "Octal24"};
constexpr WorkspaceShape kSeptenary24 = {11 * 24, 7, "Septenary24"};
constexpr WorkspaceShape kWorkspaceShapes[] = {kFullWords640, kFullWords8, kFullWords4,
                                               kDecimal96,    kOctal24,    kSeptenary24};

inline std::string ShapeName(const ::testing::TestParamInfo<WorkspaceShape>& info) { return info.param.name; }

class WorkspaceTest : public GuardedTest, public ::testing::WithParamInterface<WorkspaceShape> {
protected:
    void SetUp() override {
        GuardedTest::SetUp();
        system_ = CreateNumberSystem(GetParam().digits, GetParam().base);
        ASSERT_NE(system_, nullptr);
        ASSERT_EQ(system_->errorCode, 0);
    }

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
