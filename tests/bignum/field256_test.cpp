// The four-limb field on every product route, against the general Montgomery
// operations of the workspace (the residues must be the same digits; the
// product against the full product and word-by-word reduction, since on the
// mulx route the general product of 8-word moduli is this field's) and
// against OpenSSL's modular arithmetic, for several 256-bit primes: the
// curve's, primes close to 2^256 (so the product's top bit is used), one
// whose low limb makes -p^-1 equal 1, and one of 255 bits.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/field256/field_routes.h>
#include <arkseal/bignum/montgomery/montgomery.h>
#include <arkseal/tests/curve/openssl_curve.h>

namespace arkseal {
namespace {

using field256::Element;
using field256::Field;
using field256::Route;
using test::Bn;

struct FieldCase {
    const char* name;
    const char* prime;  // decimal
};

const FieldCase kPrimes[] = {
    {"curve", test::kCurvePrime},
    {"two256_minus_189", "115792089237316195423570985008687907853269984665640564039457584007913129639747"},
    {"p256", "115792089210356248762697446949407573530086143415290314195533631308867097853951"},
    {"secp256k1", "115792089237316195423570985008687907853269984665640564039457584007908834671663"},
    {"two255_minus_19", "57896044618658097711785492504343953926634992332820282019728792003956564819949"},
};

struct Params {
    FieldCase prime;
    Route route;
};

const char* RouteName(Route route) {
    switch (route) {
        case Route::Portable: return "portable";
        case Route::Mulx: return "mulx";
        case Route::Ifma: return "ifma";
    }
    return "";
}

std::string ParamName(const ::testing::TestParamInfo<Params>& info) {
    return std::string(info.param.prime.name) + "_" + RouteName(info.param.route);
}

std::vector<Params> AllParams() {
    std::vector<Params> all;
    for (const FieldCase& c : kPrimes)
        for (Route r : {Route::Portable, Route::Mulx, Route::Ifma}) all.push_back({c, r});
    return all;
}

class Field256Test : public ::testing::TestWithParam<Params> {
protected:
    void SetUp() override {
        if (GetParam().route == Route::Mulx && !field256::MulxAvailable())
            GTEST_SKIP() << "this processor lacks BMI2 or ADX; the mulx route cannot run here";
        if (GetParam().route == Route::Ifma && !field256::IfmaAvailable())
            GTEST_SKIP() << "this processor lacks AVX-512 IFMA; the ifma route cannot run here";
        ASSERT_NE(CreateNumberSystem(640, 0), nullptr);
        ASSERT_TRUE(field256::SelectRoute(GetParam().route));
        p_ = NewBig(0);
        BigFromString(p_, GetParam().prime.prime);
        MontgomerySetModulus(p_);
        field_ = field256::CurrentField();
        ASSERT_NE(field_, nullptr);
        for (BigNumber& n : numbers_) n = NewBig(0);
    }
    void TearDown() override {
        field256::SelectRoute(startRoute_);
        if (CurrentNumberSystem() != nullptr) {
            EXPECT_EQ(CurrentNumberSystem()->errorCode, 0);
            for (BigNumber n : numbers_) FreeBig(n);
            FreeBig(p_);
            DestroyNumberSystem();
        }
    }

    // Residues below p: the edges first, then random ones.
    std::vector<std::string> Residues() {
        const Bn p = Bn::From(p_);
        std::vector<std::string> out = {"0", "1", "2"};
        for (int d : {1, 2}) {
            Bn v(p);
            BN_sub_word(v.get(), d);
            out.push_back(v.Decimal());
        }
        Bn half(p);
        BN_rshift1(half.get(), half.get());
        out.push_back(half.Decimal());
        std::mt19937_64 rng(2026);
        BN_CTX* ctx = BN_CTX_new();
        for (int i = 0; i < 40; ++i) {
            std::uint8_t bytes[32];
            for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
            Bn v;
            BN_bin2bn(bytes, 32, v.get());
            BN_mod(v.get(), v.get(), p.get(), ctx);
            out.push_back(v.Decimal());
        }
        BN_CTX_free(ctx);
        return out;
    }

    void Load(const std::string& decimal, BigNumber n, Element e) {
        BigFromString(n, decimal.c_str());
        field256::LoadLimbs(n, e);
    }

    std::string Stored(const Element e) {
        field256::StoreLimbs(e, numbers_[3]);
        return Bn::From(numbers_[3]).Decimal();
    }

    // w = x y R^-1 by the full product and the word-by-word reduction.
    static void WordByWordProduct(const std::uint32_t* x, const std::uint32_t* y, BigNumber w) {
        BigMultiply(x, y, w);
        FromMontgomery(w, w);
    }

    template <class Body>
    void WithOps(Body body) {
        field256::WithActiveRoute(body);
    }

    BigNumber p_ = nullptr;
    BigNumber numbers_[4] = {};
    const Field* field_ = nullptr;
    const Route startRoute_ = field256::ActiveRoute();  // the processor's route, restored after each case
};

INSTANTIATE_TEST_SUITE_P(Primes, Field256Test, ::testing::ValuesIn(AllParams()), ParamName);

TEST_P(Field256Test, OperationsGiveTheResiduesOfTheGeneralMontgomeryRoute) {
    const auto residues = Residues();
    BigNumber x = numbers_[0], y = numbers_[1], w = numbers_[2];
    WithOps([&](auto ops) {
        using Ops = decltype(ops);
        for (std::size_t i = 0; i < residues.size(); ++i) {
            const std::string& a = residues[i];
            const std::string& b = residues[(i * 7 + 3) % residues.size()];
            Element ex, ey, ez;
            Load(a, x, ex);
            Load(b, y, ey);
            Ops::Multiply(*field_, ex, ey, ez);
            WordByWordProduct(x, y, w);
            EXPECT_EQ(Stored(ez), Bn::From(w).Decimal()) << a << " * " << b;
            Ops::Square(*field_, ex, ez);
            WordByWordProduct(x, x, w);
            EXPECT_EQ(Stored(ez), Bn::From(w).Decimal()) << a << "^2";
            Ops::Add(*field_, ex, ey, ez);
            MontgomeryAdd(x, y, w);
            EXPECT_EQ(Stored(ez), Bn::From(w).Decimal()) << a << " + " << b;
            Ops::Subtract(*field_, ex, ey, ez);
            MontgomerySubtract(x, y, w);
            EXPECT_EQ(Stored(ez), Bn::From(w).Decimal()) << a << " - " << b;
        }
    });
}

// The general MontgomeryMultiply of 8-word operands (on the mulx route this
// field's product, on the portable route the column kernel) for any operands
// below 2^256: those not below p too, whose result is then only congruent,
// with the digits of the word-by-word reduction.
TEST_P(Field256Test, GeneralProductOfUnreducedOperandsMatchesTheWordByWordReduction) {
    const Bn p = Bn::From(p_);
    std::vector<std::string> operands = Residues();
    for (int d : {1, 2, 7}) {
        Bn v;
        BN_set_bit(v.get(), 256);
        BN_sub_word(v.get(), d);
        operands.push_back(v.Decimal());
    }
    operands.push_back(p.Decimal());
    BigNumber x = numbers_[0], y = numbers_[1], w = numbers_[2], want = numbers_[3];
    for (std::size_t i = 0; i < operands.size(); ++i) {
        const std::string& a = operands[i];
        const std::string& b = operands[operands.size() - 1 - i];
        BigFromString(x, a.c_str());
        BigFromString(y, b.c_str());
        MontgomeryMultiply(x, y, w);
        WordByWordProduct(x, y, want);
        EXPECT_EQ(BigCompare(w, want), 0) << a << " * " << b;
        MontgomeryMultiply(x, x, w);
        WordByWordProduct(x, x, want);
        EXPECT_EQ(BigCompare(w, want), 0) << a << "^2";
    }
}

TEST_P(Field256Test, ProductAgreesWithOpenSslAndAliasesItsInputs) {
    const auto residues = Residues();
    const Bn p = Bn::From(p_);
    test::OpenSslCurve curve;
    Bn r;  // R = 2^256 mod p
    BN_set_bit(r.get(), 256);
    BN_mod(r.get(), r.get(), p.get(), curve.ctx());
    WithOps([&](auto ops) {
        using Ops = decltype(ops);
        for (std::size_t i = 0; i + 1 < residues.size(); ++i) {
            Element ex, ey, ez;
            Load(residues[i], numbers_[0], ex);
            Load(residues[i + 1], numbers_[1], ey);
            Ops::Multiply(*field_, ex, ey, ez);
            // z R = x y mod p
            Bn lhs(Stored(ez).c_str()), rhs;
            BN_mod_mul(lhs.get(), lhs.get(), r.get(), p.get(), curve.ctx());
            BN_mod_mul(rhs.get(), Bn(residues[i].c_str()).get(), Bn(residues[i + 1].c_str()).get(), p.get(),
                       curve.ctx());
            EXPECT_EQ(lhs.Decimal(), rhs.Decimal());
            Element inPlace;
            field256::Copy(ex, inPlace);
            Ops::Multiply(*field_, inPlace, ey, inPlace);
            EXPECT_EQ(Stored(inPlace), Stored(ez));
            field256::Copy(ey, inPlace);
            Ops::Multiply(*field_, ex, inPlace, inPlace);
            EXPECT_EQ(Stored(inPlace), Stored(ez));
        }
    });
}

// The doubling's products and the four at once on the IFMA unit give the
// digits of the route's own products, with outputs aliasing inputs.
TEST_P(Field256Test, IfmaDoublingProductsGiveTheResiduesOfTheRouteProducts) {
    if (GetParam().route != Route::Ifma) GTEST_SKIP() << "only the ifma route has them";
#if defined(__x86_64__)
    using Ops = field256::IfmaOps;
    const auto residues = Residues();
    for (std::size_t i = 0; i < residues.size(); ++i) {
        const std::string& a = residues[i];
        const std::string& b = residues[(i * 7 + 3) % residues.size()];
        const std::string& c = residues[(i * 5 + 1) % residues.size()];
        Element t, Z, X, T, wantZ, wantZ2, wantS, wantT4;
        Load(a, numbers_[0], t);
        Load(b, numbers_[1], Z);
        Load(c, numbers_[2], X);
        Ops::Multiply(*field_, t, Z, wantZ);
        Ops::Square(*field_, Z, wantZ2);
        Ops::Square(*field_, t, T);
        Ops::Multiply(*field_, X, T, wantS);
        Ops::Square(*field_, T, wantT4);
        Element z2;
        Limb T52[5];
        Ops::DoublingFirst(*field_, t, Z, Z, z2, T52);
        Ops::DoublingSecond(*field_, T52, X, X, t);
        EXPECT_EQ(Stored(Z), Stored(wantZ)) << a << " * " << b;
        EXPECT_EQ(Stored(z2), Stored(wantZ2)) << b << "^2";
        EXPECT_EQ(Stored(X), Stored(wantS)) << c << " * " << a << "^2";
        EXPECT_EQ(Stored(t), Stored(wantT4)) << a << "^4";
        // Four at once, outputs over inputs: t Z, Z X, X t, t t.
        Load(a, numbers_[0], t);
        Load(b, numbers_[1], Z);
        Load(c, numbers_[2], X);
        Element want[4];
        Ops::Multiply(*field_, t, Z, want[0]);
        Ops::Multiply(*field_, Z, X, want[1]);
        Ops::Multiply(*field_, X, t, want[2]);
        Ops::Square(*field_, t, want[3]);
        const Limb* const x[4] = {t, Z, X, t};
        const Limb* const y[4] = {Z, X, t, t};
        Limb* const z[4] = {Z, X, T, t};
        Ops::MultiplyFour(*field_, x, y, z);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(Stored(z[k]), Stored(want[k])) << a << ", " << b << ", " << c << ": " << k;
    }
#endif
}

TEST_P(Field256Test, InverseHalvingNegationAndOne) {
    const auto residues = Residues();
    WithOps([&](auto ops) {
        using Ops = decltype(ops);
        Element one;
        Load("1", numbers_[0], one);
        ToMontgomery(numbers_[0], numbers_[1]);
        EXPECT_EQ(Stored(field_->one), Bn::From(numbers_[1]).Decimal());
        for (const std::string& a : residues) {
            Element x, z, t;
            Load(a, numbers_[0], x);
            field256::Invert<Ops>(*field_, x, z);
            Ops::Multiply(*field_, x, z, t);
            EXPECT_EQ(Stored(t), a == "0" ? "0" : Stored(field_->one)) << a;
            Ops::Halve(*field_, x, z);
            Ops::Add(*field_, z, z, t);
            EXPECT_EQ(Stored(t), a) << a;
            field256::NegateIf(*field_, ~Limb{0}, x, z);
            Ops::Add(*field_, z, x, t);
            EXPECT_EQ(Stored(t), "0") << a;
            field256::NegateIf(*field_, 0, x, z);
            EXPECT_EQ(Stored(z), a);
        }
    });
}

// The plain inverse against OpenSSL's, on every prime: values whose steps
// run long on one branch (powers of two, long runs of ones or zeros, values
// next to p and to powers of two) and random ones. 0 has the inverse 0.
TEST(Field256, PlainInverseMatchesOpenSsl) {
    ASSERT_NE(CreateNumberSystem(640, 0), nullptr);
    BigNumber p = NewBig(0), n = NewBig(0);
    BN_CTX* ctx = BN_CTX_new();
    std::mt19937_64 rng(590);
    for (const FieldCase& prime : kPrimes) {
        BigFromString(p, prime.prime);
        MontgomerySetModulus(p);
        const Field* field = field256::CurrentField();
        ASSERT_NE(field, nullptr);
        const Bn modulus(prime.prime);
        // Each value is 2^bit + offset (no power where bit < 0), then reduced
        // modulo p; offset -1 below a power of two is a run of ones.
        std::vector<Bn> values;
        const auto add = [&](int bit, long offset, bool fromP = false) {
            Bn v;
            if (fromP) BN_copy(v.get(), modulus.get());
            if (bit >= 0) BN_set_bit(v.get(), bit);
            if (offset >= 0) BN_add_word(v.get(), static_cast<BN_ULONG>(offset));
            if (offset < 0) BN_sub_word(v.get(), static_cast<BN_ULONG>(-offset));
            BN_nnmod(v.get(), v.get(), modulus.get(), ctx);
            values.push_back(v);
        };
        for (long small : {0, 1, 2, 3, 5}) add(-1, small);
        for (long below : {-1, -2, -3}) add(-1, below, true);
        for (int bit : {1, 61, 62, 63, 64, 124, 128, 192, 248, 254, 255}) add(bit, 0);
        for (int bit : {62, 64, 128, 200, 255, 256}) add(bit, -1);
        add(255, 1);
        for (int bit : {64, 128, 250}) {  // p minus a power of two, p plus a power of two
            Bn v(modulus);
            Bn power;
            BN_set_bit(power.get(), bit);
            BN_sub(v.get(), v.get(), power.get());
            values.push_back(v);
            BN_add(v.get(), modulus.get(), power.get());
            BN_nnmod(v.get(), v.get(), modulus.get(), ctx);
            values.push_back(v);
        }
        for (int pattern : {0x55, 0xaa, 0xf0, 0x0f}) {  // alternating bits, runs of four
            std::uint8_t bytes[32];
            for (auto& b : bytes) b = static_cast<std::uint8_t>(pattern);
            Bn v;
            BN_bin2bn(bytes, 32, v.get());
            BN_nnmod(v.get(), v.get(), modulus.get(), ctx);
            values.push_back(v);
        }
        for (int i = 0; i < 200; ++i) {
            std::uint8_t bytes[32];
            for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
            Bn v;
            BN_bin2bn(bytes, 32, v.get());
            BN_nnmod(v.get(), v.get(), modulus.get(), ctx);
            values.push_back(v);
        }
        for (const Bn& v : values) {
            const std::string decimal = v.Decimal();
            Bn want;
            if (!BN_is_zero(v.get())) {
                ASSERT_NE(BN_mod_inverse(want.get(), v.get(), modulus.get(), ctx), nullptr);
            }
            Element x, z;
            BigFromString(n, decimal.c_str());
            field256::LoadLimbs(n, x);
            field256::InvertPlain(*field, x, z);
            field256::StoreLimbs(z, n);
            EXPECT_EQ(Bn::From(n).Decimal(), want.Decimal()) << prime.name << ": 1 / " << decimal;
        }
    }
    BN_CTX_free(ctx);
    FreeBig(n);
    FreeBig(p);
    EXPECT_EQ(CurrentNumberSystem()->errorCode, 0);
    DestroyNumberSystem();
}

// Squares by the Jacobi symbol and by the root, against OpenSSL's Kronecker
// symbol, on plain values and on their Montgomery forms.
TEST_P(Field256Test, SquaresAreFoundByTheSymbolAndByTheRoot) {
    const auto residues = Residues();
    const Bn p = Bn::From(p_);
    BN_CTX* ctx = BN_CTX_new();
    WithOps([&](auto ops) {
        using Ops = decltype(ops);
        int squares = 0;
        for (const std::string& a : residues) {
            Element x, r, check;
            Load(a, numbers_[0], x);
            const bool expected = BN_kronecker(Bn(a.c_str()).get(), p.get(), ctx) >= 0;
            squares += expected;
            EXPECT_EQ(field256::IsSquare(*field_, x), expected) << a;
            if ((field_->p[0] & 3) == 3) {
                EXPECT_EQ(field256::SquareRoot<Ops>(*field_, x, r), expected) << a;
                Ops::Square(*field_, r, check);
                if (expected) {
                    EXPECT_EQ(Stored(check), a) << a;
                }
            }
        }
        EXPECT_GT(squares, 5);
        EXPECT_LT(squares, static_cast<int>(residues.size()) - 5);
    });
    BN_CTX_free(ctx);
}

TEST(Field256, OnlyModuliOfEightWordsInBase2To32HaveAField) {
    ASSERT_NE(CreateNumberSystem(640, 0), nullptr);
    BigNumber p = NewBig(0);
    BigFromString(p, "26959946667150639794667015087019630673557916260026308143510066298881");  // 224 bits
    MontgomerySetModulus(p);
    EXPECT_EQ(field256::CurrentField(), nullptr);
    BigFromString(p, test::kCurvePrime);
    MontgomerySetModulus(p);
    EXPECT_NE(field256::CurrentField(), nullptr);
    FreeBig(p);
    DestroyNumberSystem();
    ASSERT_NE(CreateNumberSystem(80, 10), nullptr);  // a decimal workspace
    p = NewBig(0);
    BigFromString(p, test::kCurvePrime);
    MontgomerySetModulus(p);
    EXPECT_EQ(field256::CurrentField(), nullptr);
    FreeBig(p);
    DestroyNumberSystem();
}

TEST(Field256, StoreNormalisesTheLengthAndClearsTheOldWords) {
    ASSERT_NE(CreateNumberSystem(640, 0), nullptr);
    BigNumber n = NewBig(0);
    BigFromString(n, "340282366920938463463374607431768211455340282366920938463463374607431768211455123");
    const struct {
        Element value;
        const char* decimal;
    } cases[] = {
        {{0, 0, 0, 0}, "0"},
        {{5, 0, 0, 0}, "5"},
        {{0, 1, 0, 0}, "18446744073709551616"},
        {{0, 0, 0, 1ull << 32}, "26959946667150639794667015087019630673637144422540572481103610249216"},
    };
    for (const auto& c : cases) {
        BigFromString(n, "340282366920938463463374607431768211455340282366920938463463374607431768211455123");
        field256::StoreLimbs(c.value, n);
        EXPECT_EQ(Bn::From(n).Decimal(), c.decimal);
        for (int i = (n[0] & kBigLengthMask) + 1; i <= 16; ++i) EXPECT_EQ(n[i], 0u) << c.decimal << " word " << i;
    }
    FreeBig(n);
    DestroyNumberSystem();
}

}  // namespace
}  // namespace arkseal
