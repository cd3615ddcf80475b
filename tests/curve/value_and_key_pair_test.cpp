// The value classes over numbers and points, and the curve key pair.
#include <gtest/gtest.h>

#include <sstream>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/curve/curve_key_pair.h>
#include <arkseal/curve/point_value.h>
#include <arkseal/curve/strong_random.h>
#include <arkseal/tests/curve/fixed_entropy.h>
#include <arkseal/tests/curve/openssl_curve.h>

namespace arkseal {
namespace {

class Workspace : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(CreateNumberSystem(640, 0), nullptr); }
    void TearDown() override {
        EXPECT_EQ(CurrentNumberSystem()->errorCode, 0);
        DestroyNumberSystem();
    }
};

BigValue Text(const char* decimal) {
    BigValue v;
    v = decimal;
    return v;
}

using BigValueTest = Workspace;

TEST_F(BigValueTest, OperatorsFollowTheArithmetic) {
    const BigValue x = Text("-123456789012345678901234567890");
    const BigValue y = Text("987654321");
    EXPECT_EQ((x + y).ToString(), "-123456789012345678900246913569");
    EXPECT_EQ((5 - y).ToString(), "-987654316");
    EXPECT_EQ((x * 3).ToString(), "-370370367037037036703703703670");
    EXPECT_EQ((x / 1000).ToString(), "-123456789012345678901234567");
    EXPECT_EQ(x % 1000, -890);  // the remainder takes the sign of x
    EXPECT_EQ((x / y).ToString(), "-124999998873437499901");
    EXPECT_EQ((x % y).ToString(), "-574845669");
    EXPECT_EQ((y << 4).ToString(), "15802469136");
    EXPECT_EQ((y >> 4).ToString(), "61728395");
    EXPECT_EQ(MultiplyMod(y, y, Text("1000003")).ToString(), "576796");
    EXPECT_EQ(Power(Text("3"), 5).ToString(), "243");
    EXPECT_EQ(Gcd(Text("84"), Text("-36")).ToString(), "12");
    EXPECT_EQ(InverseMod(Text("3"), Text("7")).ToString(), "5");
    EXPECT_EQ(static_cast<int>(-y), -987654321);
}

TEST_F(BigValueTest, CopiesAreDeepAndBytesRoundTrip) {
    BigValue a = Text("4294967296");
    BigValue b(a);
    b += BigValue(1);
    EXPECT_EQ(a.ToString(), "4294967296");
    EXPECT_EQ(b.ToString(), "4294967297");
    a = b;
    b -= BigValue(2);
    EXPECT_EQ(a.ToString(), "4294967297");
    const std::uint8_t bytes[] = {0x00, 0x01, 0x00, 0x00, 0x00, 0x01};
    const BigValue c = BigValue::FromBytes(6, bytes);
    EXPECT_EQ(c, a);
    std::uint8_t out[8] = {};
    EXPECT_EQ(c.ToBytes(8, out), 5);
    std::ostringstream text;
    text << c;
    EXPECT_EQ(text.str(), "4294967297");
}

TEST_F(BigValueTest, ModularPrimeAndTextOperationsForward) {
    EXPECT_EQ(PowerMod(Text("4"), Text("13"), Text("497")).ToString(), "445");
    EXPECT_EQ(IntPowerMod(3, Text("5"), Text("10")).ToString(), "3");
    EXPECT_EQ(SquareRootMod(Text("10"), Text("13")).ToString(), "7");
    EXPECT_EQ(SquareRootMod(Text("2"), Text("17")).ToString(), "11");
    EXPECT_EQ(NextPrime(Text("14")).ToString(), "17");
    EXPECT_EQ(NextSafePrime(0, 0, Text("20")).ToString(), "47");
    EXPECT_EQ(TrialDivision(Text("97")), 1);
    EXPECT_EQ(TrialDivision(Text("91")), 0);
    EXPECT_TRUE(IsPrime(Text("170141183460469231731687303715884105727")));
    const BigValue digits = RandomDigits(3, 10);
    EXPECT_FALSE(digits < Text("100"));
    EXPECT_TRUE(digits < Text("1000"));
    // The caller's bases survive a product of powers: 3^4 * 5^2 mod 7 = 2.
    const BigValue bases[] = {Text("10"), Text("12")}, exponents[] = {Text("4"), Text("2")};
    EXPECT_EQ(PowerModMany(2, bases, exponents, Text("7")).ToString(), "2");
    EXPECT_EQ(bases[0].ToString(), "10");
    // A top digit of 1 scales by 2^31.
    EXPECT_EQ(NormalisingFactor(Text("4294967297")).ToString(), "9223372039002259456");
    std::istringstream in("  12345678901234567890 -7");
    BigValue a, b, c = Text("5");
    in >> a >> b >> c;
    EXPECT_EQ(a.ToString(), "12345678901234567890");
    EXPECT_EQ(b.ToString(), "-7");
    EXPECT_EQ(c.ToString(), "0");  // end of stream
    char buffer[32];
    EXPECT_EQ(b.ToText(buffer), 2);
    EXPECT_STREQ(buffer, "-7");
}

using PointValueTest = Workspace;

TEST_F(PointValueTest, OperatorsAgreeWithOpenSsl) {
    CurveInit(BigValue(-3), Text(test::kCurveB), Text(test::kCurvePrime), 0);
    const test::OpenSslCurve ossl;
    const test::AffinePoint g{false, "1", test::kGeneratorY};
    const PointValue G(BigValue(1), Text(test::kGeneratorY));
    const auto affine = [](const PointValue& P) {
        test::AffinePoint a;
        BigValue x, y;
        if (P.IsInfinity()) return a;
        P.Get(x, y);
        return test::AffinePoint{false, x.ToString(), y.ToString()};
    };
    const BigValue e = Text("98765432109876543210"), ea = Text("-1234567");
    EXPECT_EQ(affine(e * G), ossl.Multiply(test::Bn("98765432109876543210"), g));
    PointValue P = G;
    P *= e;
    P += G;
    EXPECT_EQ(affine(P), ossl.Multiply(test::Bn("98765432109876543211"), g));
    EXPECT_EQ(affine(-G), ossl.Multiply(test::Bn("-1"), g));
    EXPECT_EQ(affine(MultiplyTwo(e, G, ea, P)),
              ossl.Add(ossl.Multiply(test::Bn("98765432109876543210"), g),
                       ossl.Multiply(test::Bn("-1234567"), ossl.Multiply(test::Bn("98765432109876543211"), g))));
    // The compressed constructor picks the parity; GetX reports it.
    BigValue x;
    const int parity = P.GetX(x);
    const PointValue Q(x, parity), R(x, 1 - parity);
    EXPECT_EQ(affine(Q), affine(P));
    EXPECT_EQ(affine(R), affine(-P));
    std::ostringstream text;
    text << PointValue() << G;
    EXPECT_EQ(text.str(), std::string("(0,0)(1,") + test::kGeneratorY + ")");
}

using KeyPairTest = Workspace;

TEST_F(KeyPairTest, GeneratorAndPublicValue) {
    CurveKeyPair pair{RandomSource()};
    BigValue gx, gy;
    EXPECT_EQ(pair.Generator().Get(gx, gy), 0);  // the generator's y is even
    EXPECT_EQ(gx.ToString(), "1");
    EXPECT_EQ(gy.ToString(), test::kGeneratorY);
    int parity = -1;
    BigValue x;
    ASSERT_TRUE(pair.GenerateKey(parity, x));
    EXPECT_TRUE(parity == 0 || parity == 1);
    EXPECT_LT(x, pair.Prime());
    EXPECT_TRUE(pair.IsCurvePoint(x));
}

TEST_F(KeyPairTest, SecretsAgreeBetweenTwoPairs) {
    CurveKeyPair a{RandomSource()}, b{RandomSource()};
    int pa = 0, pb = 0;
    BigValue xa, xb;
    ASSERT_TRUE(a.GenerateKey(pa, xa));
    ASSERT_TRUE(b.GenerateKey(pb, xb));
    EXPECT_EQ(a.SharedSecret(pb, xb), b.SharedSecret(pa, xa));
    const BigValue w = Text("1234567890123456789"), other = Text("1234567890123456788");
    bool finite = false;
    const BigValue scalarBound = a.SharedSecretScalarBound(pb, xb, w, &finite);
    EXPECT_TRUE(finite);
    EXPECT_EQ(scalarBound, b.SharedSecretPointBound(pa, xa, w));
    EXPECT_NE(scalarBound, b.SharedSecretPointBound(pa, xa, other));
    // With w = 0 both bound forms are the plain secret.
    const BigValue zero;
    EXPECT_EQ(a.SharedSecretScalarBound(pb, xb, zero), a.SharedSecret(pb, xb));
    EXPECT_EQ(b.SharedSecretPointBound(pa, xa, zero), b.SharedSecret(pa, xa));
}

TEST(KeyPairKnownAnswer, PublicPointIsThePrivateScalarTimesTheGenerator) {
    // k G from OpenSSL must be the pair's public value.
    const std::string k = test::ScalarFromFixedEntropy();
    ASSERT_FALSE(k.empty());
    ASSERT_NE(CreateNumberSystem(640, 0), nullptr);
    {
        CurveKeyPair pair{RandomSource(test::FixedEntropy)};
        int parity = 0;
        BigValue x;
        ASSERT_TRUE(pair.GenerateKey(parity, x));
        const test::OpenSslCurve ossl;
        const test::AffinePoint Q = ossl.Multiply(test::Bn(k.c_str()), {false, "1", test::kGeneratorY});
        EXPECT_EQ(x.ToString(), Q.x);
        EXPECT_EQ(parity, (Q.y.back() - '0') % 2);
    }
    EXPECT_EQ(CurrentNumberSystem()->errorCode, 0);
    DestroyNumberSystem();
}

}  // namespace
}  // namespace arkseal
