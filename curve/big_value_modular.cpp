// BigValue over the modular arithmetic, random numbers and primes.
#include <vector>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/montgomery/modular_power.h>
#include <arkseal/bignum/montgomery/montgomery.h>
#include <arkseal/bignum/primes/primes.h>
#include <arkseal/bignum/primes/random_numbers.h>
#include <arkseal/curve/big_value.h>
#include <arkseal/curve/big_value_result.h>

namespace arkseal {

using curve_detail::Result;

BigValue PowerMod(const BigValue& x, const BigValue& e, const BigValue& m) {
    return Result([&](BigNumber r) { PowerMod(x.Handle(), e.Handle(), m.Handle(), r); });
}
BigValue SquareRootMod(const BigValue& x, const BigValue& p) {
    return Result([&](BigNumber r) { SquareRootMod(x.Handle(), p.Handle(), r); });
}
BigValue IntPowerMod(int a, const BigValue& e, const BigValue& m) {
    return Result([&](BigNumber r) { IntPowerMod(a, e.Handle(), m.Handle(), r); });
}
BigValue PowerMod2(const BigValue& x, const BigValue& e, const BigValue& a, const BigValue& f, const BigValue& m) {
    return Result([&](BigNumber r) { PowerMod2(x.Handle(), e.Handle(), a.Handle(), f.Handle(), m.Handle(), r); });
}
BigValue PowerModMany(int n, const BigValue* x, const BigValue* e, const BigValue& m) {
    // The operation reduces its bases in place: hand it copies.
    std::vector<BigValue> bases(x, x + n);
    std::vector<BigNumber> xs, es;
    for (int i = 0; i < n; ++i) {
        xs.push_back(bases[static_cast<std::size_t>(i)].Handle());
        es.push_back(e[i].Handle());
    }
    return Result([&](BigNumber r) { PowerModMany(n, xs.data(), es.data(), m.Handle(), r); });
}
BigValue LucasMod(const BigValue& p, const BigValue& e, const BigValue& m) {
    return Result([&](BigNumber r) { LucasMod(p.Handle(), e.Handle(), m.Handle(), r, r); });
}
BigValue RandomDigits(int n, int b) {
    return Result([&](BigNumber r) { BigRandomDigits(n, b, r); });
}
BigValue NextSafePrime(int type, int subset, const BigValue& w) {
    return Result([&](BigNumber r) { BigNextSafePrime(type, subset, w.Handle(), r); });
}
int TrialDivision(const BigValue& x) {
    // x as its own cofactor asks for a verdict on x and leaves it unchanged.
    return BigTrialDivision(x.Handle(), x.Handle());
}
BigValue RandomBelow(const BigValue& w) {
    return Result([&](BigNumber r) { BigRandomBelow(w.Handle(), r); });
}
BigValue NextPrime(const BigValue& w) {
    return Result([&](BigNumber r) { BigNextPrime(w.Handle(), r); });
}
bool IsPrime(const BigValue& x) { return BigIsPrime(x.Handle()) == 1; }

void SetModulus(const BigValue& n) { MontgomerySetModulus(n.Handle()); }
BigValue GetModulus() {
    const BigNumber modulus = CurrentNumberSystem()->modulus;
    BigValue r;
    if (modulus != nullptr && r.Handle() != nullptr) BigCopy(modulus, r.Handle());
    return r;
}
BigValue ToMontgomery(const BigValue& x) {
    return Result([&](BigNumber r) { ToMontgomery(x.Handle(), r); });
}
BigValue FromMontgomery(const BigValue& x) {
    return Result([&](BigNumber r) { FromMontgomery(x.Handle(), r); });
}
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

BigValue MontgomeryMultiplyInt(const BigValue& x, int k) {
    return Result([&](BigNumber r) { MontgomeryMultiplyInt(x.Handle(), k, r); });
}
BigValue MontgomeryPower2(const BigValue& x, const BigValue& e, const BigValue& a, const BigValue& f) {
    return Result([&](BigNumber r) { MontgomeryPower2(x.Handle(), e.Handle(), a.Handle(), f.Handle(), r); });
}
BigValue MontgomeryPowerMany(int n, const BigValue* x, const BigValue* e) {
    std::vector<BigNumber> xs, es;
    for (int i = 0; i < n; ++i) {
        xs.push_back(x[i].Handle());
        es.push_back(e[i].Handle());
    }
    return Result([&](BigNumber r) { MontgomeryPowerMany(n, xs.data(), es.data(), r); });
}
BigValue MontgomeryLucas(const BigValue& p, const BigValue& e) {
    return Result([&](BigNumber r) { MontgomeryLucas(p.Handle(), e.Handle(), r, r); });
}
BigValue MontgomerySquareRoot(const BigValue& x) {
    return Result([&](BigNumber r) { MontgomerySquareRoot(x.Handle(), r); });
}

}  // namespace arkseal
