// OpenSSL's prime-field curve arithmetic on our 256-bit curve, as an
// independent reference for the curve tests and the benchmark.
#pragma once

#include <openssl/bn.h>
#include <openssl/ec.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/conversion/conversions.h>

namespace arkseal::test {

inline constexpr const char* kCurvePrime =
    "115324781748134865946503563657643838352352623747656242345890742746828256867467";
inline constexpr const char* kCurveB = "25389140340672155341527372976612393184553582461816899055687141548002290977046";
inline constexpr const char* kGeneratorY =
    "51289739734510562976895380525256763300476168821636300126346201758371757118206";

// An owned BIGNUM.
class Bn {
public:
    Bn() : bn_(BN_new()) {}
    explicit Bn(const char* decimal) : bn_(nullptr) { BN_dec2bn(&bn_, decimal); }
    ~Bn() { BN_free(bn_); }
    Bn(const Bn& other) : bn_(BN_dup(other.bn_)) {}
    Bn& operator=(const Bn&) = delete;
    BIGNUM* get() const { return bn_; }

    // From and to our numbers, sign included.
    static Bn From(const std::uint32_t* x) {
        std::vector<std::uint8_t> bytes(8 * 700);
        const int n = BigToBytes(0, x, bytes.data());
        Bn r;
        BN_bin2bn(bytes.data(), n, r.bn_);
        BN_set_negative(r.bn_, BigSign(x) < 0 && x[0] != 0);
        return r;
    }
    void To(BigNumber x) const {
        std::vector<std::uint8_t> bytes(BN_num_bytes(bn_) + 1);
        const int n = BN_bn2bin(bn_, bytes.data());
        BigFromBytes(n, bytes.data(), x);
        if (BN_is_negative(bn_)) BigNegate(x, x);
    }
    std::string Decimal() const {
        char* s = BN_bn2dec(bn_);
        std::string r(s);
        OPENSSL_free(s);
        return r;
    }

private:
    BIGNUM* bn_;
};

// Affine coordinates, or infinity.
struct AffinePoint {
    bool infinity = true;
    std::string x, y;  // decimal
    bool operator==(const AffinePoint& o) const {
        return infinity == o.infinity && (infinity || (x == o.x && y == o.y));
    }
};

inline std::ostream& operator<<(std::ostream& os, const AffinePoint& p) {
    return p.infinity ? os << "(infinity)" : os << "(" << p.x << ", " << p.y << ")";
}

// The curve y^2 = x^3 - 3x + B mod p in OpenSSL's generic prime-field method
// (EC_GROUP_new_curve_GFp), without an order: EC_POINT_mul multiplies
// plainly.
class OpenSslCurve {
public:
    OpenSslCurve() : OpenSslCurve(kCurvePrime, -3, kCurveB) {}
    // y^2 = x^3 + a x + b mod p for a small a.
    OpenSslCurve(const char* prime, int smallA, const char* b) : ctx_(BN_CTX_new()) {
        Bn p(prime), bb(b), a;
        BN_set_word(a.get(), static_cast<BN_ULONG>(smallA < 0 ? -smallA : smallA));
        if (smallA < 0) BN_sub(a.get(), p.get(), a.get());
        group_ = EC_GROUP_new_curve_GFp(p.get(), a.get(), bb.get(), ctx_);
        if (group_ == nullptr) throw std::runtime_error("EC_GROUP_new_curve_GFp");
    }
    ~OpenSslCurve() {
        EC_GROUP_free(group_);
        BN_CTX_free(ctx_);
    }
    OpenSslCurve(const OpenSslCurve&) = delete;
    OpenSslCurve& operator=(const OpenSslCurve&) = delete;

    EC_GROUP* group() const { return group_; }
    BN_CTX* ctx() const { return ctx_; }

    EC_POINT* NewPoint(const AffinePoint& a) const {
        EC_POINT* p = EC_POINT_new(group_);
        if (a.infinity) {
            EC_POINT_set_to_infinity(group_, p);
        } else {
            Bn x(a.x.c_str()), y(a.y.c_str());
            if (!EC_POINT_set_affine_coordinates(group_, p, x.get(), y.get(), ctx_))
                throw std::runtime_error("point not on the curve");
        }
        return p;
    }
    AffinePoint Affine(const EC_POINT* p) const {
        AffinePoint a;
        if (EC_POINT_is_at_infinity(group_, p)) return a;
        Bn x, y;
        EC_POINT_get_affine_coordinates(group_, p, x.get(), y.get(), ctx_);
        a.infinity = false;
        a.x = x.Decimal();
        a.y = y.Decimal();
        return a;
    }

    // k P for any signed k.
    AffinePoint Multiply(const Bn& k, const AffinePoint& P) const {
        EC_POINT* p = NewPoint(P);
        EC_POINT* r = EC_POINT_new(group_);
        Bn magnitude(k);
        BN_set_negative(magnitude.get(), 0);
        EC_POINT_mul(group_, r, nullptr, p, magnitude.get(), ctx_);
        if (BN_is_negative(k.get())) EC_POINT_invert(group_, r, ctx_);
        AffinePoint a = Affine(r);
        EC_POINT_free(p);
        EC_POINT_free(r);
        return a;
    }
    AffinePoint Add(const AffinePoint& P, const AffinePoint& Q) const {
        EC_POINT* p = NewPoint(P);
        EC_POINT* q = NewPoint(Q);
        EC_POINT_add(group_, p, p, q, ctx_);
        AffinePoint a = Affine(p);
        EC_POINT_free(p);
        EC_POINT_free(q);
        return a;
    }
    // The point with this x and y parity, or infinity when there is none.
    AffinePoint Decompress(const Bn& x, int parity) const {
        EC_POINT* p = EC_POINT_new(group_);
        AffinePoint a;
        if (EC_POINT_set_compressed_coordinates(group_, p, x.get(), parity, ctx_)) a = Affine(p);
        EC_POINT_free(p);
        return a;
    }

private:
    BN_CTX* ctx_;
    EC_GROUP* group_ = nullptr;
};

}  // namespace arkseal::test
