// BigValue over the modular arithmetic, random numbers and primes.
#include "bignum/big_arithmetic.h"
#include "bignum/montgomery.h"
#include "bignum/modular_power.h"
#include "bignum/primes.h"
#include "bignum/random_numbers.h"
#include "curve/big_value.h"

namespace arkseal {
namespace {

template <typename Op>
BigValue Result(Op op) {
    BigValue r;
    if (r.Handle() != nullptr) op(r.Handle());
    return r;
}

}  // namespace

BigValue PowerMod(const BigValue& x, const BigValue& e, const BigValue& m) {
    return Result([&](BigNumber r) { PowerMod(x.Handle(), e.Handle(), m.Handle(), r); });
}
BigValue SquareRootMod(const BigValue& x, const BigValue& p) {
    return Result([&](BigNumber r) { SquareRootMod(x.Handle(), p.Handle(), r); });
}
BigValue RandomBelow(const BigValue& w) { return Result([&](BigNumber r) { BigRandomBelow(w.Handle(), r); }); }
BigValue NextPrime(const BigValue& w) { return Result([&](BigNumber r) { BigNextPrime(w.Handle(), r); }); }
bool IsPrime(const BigValue& x) { return BigIsPrime(x.Handle()) == 1; }

void SetModulus(const BigValue& n) { MontgomerySetModulus(n.Handle()); }
BigValue GetModulus() {
    const BigNumber modulus = CurrentNumberSystem()->modulus;
    BigValue r;
    if (modulus != nullptr && r.Handle() != nullptr) BigCopy(modulus, r.Handle());
    return r;
}
BigValue ToMontgomery(const BigValue& x) { return Result([&](BigNumber r) { ToMontgomery(x.Handle(), r); }); }
BigValue FromMontgomery(const BigValue& x) { return Result([&](BigNumber r) { FromMontgomery(x.Handle(), r); }); }
BigValue MontgomeryMultiply(const BigValue& x, const BigValue& y) {
    return Result([&](BigNumber r) { MontgomeryMultiply(x.Handle(), y.Handle(), r); });
}
BigValue MontgomeryAdd(const BigValue& x, const BigValue& y) {
    return Result([&](BigNumber r) { MontgomeryAdd(x.Handle(), y.Handle(), r); });
}
BigValue MontgomerySubtract(const BigValue& x, const BigValue& y) {
    return Result([&](BigNumber r) { MontgomerySubtract(x.Handle(), y.Handle(), r); });
}
BigValue MontgomeryNegate(const BigValue& x) {
    return Result([&](BigNumber r) { MontgomeryNegate(x.Handle(), r); });
}
BigValue MontgomeryDivide(const BigValue& x, const BigValue& y) {
    return Result([&](BigNumber r) { MontgomeryDivide(x.Handle(), y.Handle(), r); });
}
BigValue MontgomeryPower(const BigValue& x, const BigValue& e) {
    return Result([&](BigNumber r) { MontgomeryPower(x.Handle(), e.Handle(), r); });
}

}  // namespace arkseal
