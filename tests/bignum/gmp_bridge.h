// Test helpers: moving values between BigNumbers and GMP, random operands,
// and the shape every finished number must have.
#pragma once

#include <gmp.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <arkseal/bignum/workspace/number_system.h>

namespace arkseal::test {

// -1, 0 or +1 by the sign of v.
inline int Sign(mpz_srcptr v) { return mpz_sgn(v); }

// Value of an integer BigNumber in the current working base.
void ToMpz(const std::uint32_t* x, mpz_t out);
// Writes v into x directly (digits and length word), bypassing the library.
void FromMpz(const mpz_t v, BigNumber x);
std::string MpzText(const mpz_t v);
// GMP's digits in our alphabet: upper case up to base 36, 0-9A-Za-z above.
std::string GmpText(const mpz_t v, int base);

// Empty string when x is in normal form within blockWords words: length in
// range, top digit non-zero, every digit below the base, no signed zero, and
// every word above the total length zero. Otherwise what is wrong.
std::string ShapeProblem(const std::uint32_t* x, int blockWords);

// Owns an mpz_t.
class Mpz {
public:
    Mpz() { mpz_init(v_); }
    explicit Mpz(long n) { mpz_init_set_si(v_, n); }
    ~Mpz() { mpz_clear(v_); }
    Mpz(const Mpz& o) { mpz_init_set(v_, o.v_); }
    Mpz& operator=(const Mpz& o) {
        mpz_set(v_, o.v_);
        return *this;
    }
    mpz_ptr get() { return v_; }
    mpz_srcptr get() const { return v_; }
    operator mpz_ptr() { return v_; }
    operator mpz_srcptr() const { return v_; }

private:
    mpz_t v_;
};

// Random operands in the current working base: lengths from 1 word to
// maxWords, both signs, and the shapes at word boundaries (zero, all-ones
// digits, powers of two, a single top digit).
class OperandSource {
public:
    explicit OperandSource(std::uint64_t seed) : rng_(seed) {}
    Mpz Next(int maxWords);
    Mpz NextPositive(int maxWords);
    int Int();  // any 32-bit int, edge values often
    int Below(int n) { return static_cast<int>(rng_() % static_cast<std::uint64_t>(n)); }

private:
    Mpz Magnitude(int words);
    std::mt19937_64 rng_;
};

// A number allocated by NewBig and freed at scope end.
class Big {
public:
    Big() : x_(NewBig(0)) {}
    explicit Big(const mpz_t v) : x_(NewBig(0)) { FromMpz(v, x_); }
    ~Big() { FreeBig(x_); }
    Big(const Big&) = delete;
    Big& operator=(const Big&) = delete;
    BigNumber get() const { return x_; }
    operator BigNumber() const { return x_; }
    Mpz value() const {
        Mpz v;
        ToMpz(x_, v);
        return v;
    }

private:
    BigNumber x_;
};

}  // namespace arkseal::test
