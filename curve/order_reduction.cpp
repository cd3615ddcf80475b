// s mod n by Horner's rule over 256-bit chunks c_j of s, from the top:
// acc = acc 2^256 + c_j mod n. acc 2^256 mod n is the Montgomery product of
// acc with R^2 mod n (R = 2^256), on the four-limb field arithmetic with n
// as its modulus; c_j < 2^256 < 2n is brought below n by one subtraction
// chosen by a mask.
#include <arkseal/curve/order_reduction.h>

#include <arkseal/base/wipe.h>
#include <arkseal/bignum/field256/field_routes.h>
#include <arkseal/curve/curve_domain.h>

namespace arkseal::curve_detail {
namespace {

struct OrderField {
    field256::Field f;     // only p = n and the factor are read
    field256::Element r2;  // R^2 mod n
};

const OrderField& Order() {
    static const OrderField order = [] {
        OrderField o{};
        field256::Copy(kDomainOrder, o.f.p);
        o.f.factor = kDomainOrderFactor;
        field256::Element r = {1, 0, 0, 0};
        for (int i = 0; i < 512; ++i) field256::Add(o.f, r, r, r);
        field256::Copy(r, o.r2);
        return o;
    }();
    return order;
}

}  // namespace

void ReduceModOrder(const Limb* s, int limbs, Limb r[4]) {
    const OrderField& order = Order();
    field256::Element acc = {}, chunk;
    field256::WithActiveRoute([&](auto ops) {
        using Ops = decltype(ops);
        for (int j = (limbs + 3) / 4 - 1; j >= 0; --j) {
            Ops::Multiply(order.f, acc, order.r2, acc);
            for (int i = 0; i < 4; ++i) chunk[i] = 4 * j + i < limbs ? s[4 * j + i] : 0;
            field256::SubtractPIfNotBelow(order.f, chunk, 0, chunk);
            Ops::Add(order.f, acc, chunk, acc);
        }
    });
    field256::Copy(acc, r);
    SecureWipe(acc, sizeof acc);
    SecureWipe(chunk, sizeof chunk);
}

}  // namespace arkseal::curve_detail
