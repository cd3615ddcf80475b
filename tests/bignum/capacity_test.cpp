// Numbers at the edge of the capacity, in every workspace shape: the largest
// operands that fit, one word more, and the aliasing forms each operation
// allows. The guard allocator under every block turns a write past a number
// into a failure of the test that made it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bignum/big_arithmetic.h"
#include "bignum/conversions.h"
#include "tests/bignum/gmp_bridge.h"
#include "tests/bignum/workspace_fixture.h"

namespace arkseal::test {
namespace {

class CapacityTest : public WorkspaceTest {
protected:
    // radix^words - 1: every digit at its largest.
    Mpz AllOnes(int words) const {
        Mpz v, radix;
        mpz_set_ui(radix, system_->base == 0 ? 65536ul : system_->base);
        if (system_->base == 0) mpz_mul(radix, radix, radix);
        mpz_pow_ui(v, radix, static_cast<unsigned long>(words));
        mpz_sub_ui(v, v, 1);
        return v;
    }
    // radix^words: the smallest value of words + 1 digits.
    Mpz RadixPower(int words) const {
        Mpz v = AllOnes(words);
        mpz_add_ui(v, v, 1);
        return v;
    }
    // The text base whose working base is the workspace's, so that reading
    // text involves no change of base.
    int SameBaseText() const { return system_->apparentBase == 0 ? 16 : static_cast<int>(system_->apparentBase); }
};

// GMP's digits in our alphabet (upper case up to base 36).
std::string GmpText(const mpz_t v, int base) {
    char* s = mpz_get_str(nullptr, base <= 36 ? -base : base, v);
    std::string text(s);
    void (*freeFunction)(void*, size_t);
    mp_get_memory_functions(nullptr, nullptr, &freeFunction);
    freeFunction(s, text.size() + 1);
    return text;
}

// Text read in the working base itself (a plain copy, no change of base) and
// in decimal: the largest value that fits is read; one more, one text digit
// more, and text twice as long raise error 3 and return 0.
TEST_P(CapacityTest, TextIsHeldToTheCapacityInEveryTextBase) {
    for (int ioBase : {SameBaseText(), 10}) {
        const Mpz largest = AllOnes(Capacity());
        Mpz beyond = RadixPower(Capacity());
        Mpz doubled;
        mpz_mul(doubled, beyond, beyond);
        struct Case {
            const char* what;
            const Mpz& value;
            bool fits;
        } const cases[] = {{"largest", largest, true}, {"one more", beyond, false}, {"twice as long", doubled, false}};
        for (const Case& c : cases) {
            DestroyNumberSystem();  // a fresh workspace: the error of one case stays
            system_ = CreateNumberSystem(GetParam().digits, GetParam().base);
            system_->ioBase = ioBase;
            const std::string text = GmpText(c.value, ioBase);
            Big x;
            const int count = BigFromString(x, text.c_str());
            if (c.fits) {
                EXPECT_EQ(system_->errorCode, 0) << c.what << " in base " << ioBase;
                EXPECT_EQ(count, static_cast<int>(text.size()));
                EXPECT_EQ(mpz_cmp(x.value(), c.value), 0) << c.what << " in base " << ioBase;
            } else {
                EXPECT_EQ(system_->errorCode, kErrorOverflow) << c.what << " in base " << ioBase;
                EXPECT_EQ(count, 0) << c.what << " in base " << ioBase;
            }
            EXPECT_EQ(ShapeProblem(x, BlockWords()), "") << c.what << " in base " << ioBase;
        }
    }
}

// A quotient of exactly the capacity from a dividend one quotient position
// longer (the top digit of the quotient is zero): the single-digit, 64-bit
// limb and general division paths each write only the digits the quotient
// has.
TEST_P(CapacityTest, MultiplyAddDivideWritesOnlyTheQuotientDigits) {
    const int full = Capacity();
    struct Case {
        int xWords, yWords, wWords;
    } const cases[] = {{full, full, full}, {full, 1, 1}, {full, 2, 2}, {full, full - 1, full - 1}, {full, 3, 3}};
    for (const Case& c : cases) {
        const Mpz a = AllOnes(c.xWords), b = AllOnes(c.yWords);
        Big x(a), y(b), w(b), q, r;
        BigMultiplyAddDivide(x, y, x, w, q, r);  // q = a * b / b = a
        ASSERT_EQ(system_->errorCode, 0) << c.xWords << " " << c.yWords;
        EXPECT_EQ(mpz_cmp(q.value(), a), 0) << c.xWords << " " << c.yWords;
        EXPECT_EQ(Sign(r.value()), 0);
        EXPECT_EQ(ShapeProblem(q, BlockWords()), "");
        Big x2(a), y2(b);
        BigMultiplyAddDivide(x2, y2, x2, w, x2, y2);  // outputs on the inputs
        ASSERT_EQ(system_->errorCode, 0);
        EXPECT_EQ(mpz_cmp(x2.value(), a), 0);
        EXPECT_EQ(Sign(y2.value()), 0);
    }
    // One word more: the quotient does not fit and nothing is written.
    Big x(AllOnes(full)), y(RadixPower(1)), w, q, r;
    BigFromInt(1, w);
    BigFromInt(5, q);
    BigMultiplyAddDivide(x, y, x, w, q, r);
    EXPECT_EQ(system_->errorCode, kErrorOverflow);
    EXPECT_EQ(BigToInt(q), 5);
}

// Orders up to and beyond the bit length of the largest number: the root is
// 1 or 2, and the powers of a start above it run far past the capacity.
TEST_P(CapacityTest, RootsOfOrdersNearTheBitLength) {
    const Mpz largest = AllOnes(Capacity());
    Mpz power;
    mpz_setbit(power, mpz_sizeinbase(largest, 2) - 1);
    for (const Mpz* a : std::vector<const Mpz*>{&largest, &power}) {
        const int bits = static_cast<int>(mpz_sizeinbase(*a, 2));
        for (int n = bits - 20; n <= bits + 1; ++n) {
            Mpz want;
            const int exact = mpz_root(want, *a, static_cast<unsigned long>(n));
            Big x(*a), w;
            const int result = BigRoot(x, n, w);
            ASSERT_EQ(system_->errorCode, 0) << "order " << n << " of a " << bits << "-bit number";
            EXPECT_EQ(mpz_cmp(w.value(), want), 0) << "order " << n;
            EXPECT_EQ(result, exact ? 1 : 0) << "order " << n;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, CapacityTest, ::testing::ValuesIn(kWorkspaceShapes), ShapeName);

}  // namespace
}  // namespace arkseal::test
