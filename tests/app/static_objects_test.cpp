#include <gtest/gtest.h>

#include <arkseal/app/arkseal.h>
#include <arkseal/bignum/arithmetic/big_arithmetic.h>

namespace arkseal {
namespace {

// The program's workspace exists before main on this (the user-interface)
// thread, with the shape the curve code expects.
TEST(StaticObjects, ArithmeticWorkspaceIsReadyBeforeMain) {
    NumberSystem* system = CurrentNumberSystem();
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system, theWorkspace.system());
    EXPECT_EQ(system->base, 0u);
    EXPECT_EQ(system->wordCapacity, 640);
    EXPECT_EQ(system->radixPoint, 1);
    EXPECT_EQ(system->errorCode, 0);
    BigNumber x = NewBig(12345);
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(BigToInt(x), 12345);
    FreeBig(x);
}

TEST(StaticObjects, JobBlockHasItsBuffers) {
    EXPECT_EQ(theJob.maxFileName, 256u);
    EXPECT_EQ(theJob.maxPassphrase, 256u);
    EXPECT_NE(theJob.fileName, nullptr);
    EXPECT_NE(theJob.passphrase, nullptr);
}

}  // namespace
}  // namespace arkseal
