// A BigNumber with value semantics: each BigValue owns one number in the
// calling thread's workspace (made with NewBig, released cleared with
// FreeBig); copies are deep, operators return new values. Every operation
// forwards to one arithmetic operation, so results follow the workspace's
// sticky error code: while an error is pending new values have no number
// and read as 0, and operations leave their outputs alone.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include <arkseal/bignum/workspace/number_system.h>

namespace arkseal {

class BigValue {
public:
    BigValue();
    explicit BigValue(int value);
    BigValue(const BigValue& other);
    BigValue& operator=(const BigValue& other);
    BigValue& operator=(const char* text);  // in the workspace's text base
    ~BigValue();

    BigNumber Handle() const { return number_; }
    explicit operator int() const;  // BigToInt: the marker +-2^30 when too big
    std::string ToString() const;   // in the workspace's text base
    // Writes the text and its terminator into buffer (room for every digit,
    // a sign and the terminator); returns the characters without it.
    int ToText(char* buffer) const;

    static BigValue FromBytes(int length, const std::uint8_t* bytes);  // big-endian
    int ToBytes(int max, std::uint8_t* bytes) const;                   // big-endian, returns the count

    BigValue operator-() const;
    BigValue& operator+=(const BigValue& y);
    BigValue& operator-=(const BigValue& y);

private:
    BigNumber number_;
};

BigValue operator+(const BigValue& x, int n);
BigValue operator+(int n, const BigValue& x);
BigValue operator+(const BigValue& x, const BigValue& y);
BigValue operator-(const BigValue& x, int n);
BigValue operator-(int n, const BigValue& x);
BigValue operator-(const BigValue& x, const BigValue& y);
BigValue operator*(const BigValue& x, int n);
BigValue operator*(int n, const BigValue& x);
BigValue operator*(const BigValue& x, const BigValue& y);
BigValue operator/(const BigValue& x, int n);  // truncated
int operator%(const BigValue& x, int n);       // with the sign of x
BigValue operator/(const BigValue& x, const BigValue& y);
BigValue operator%(const BigValue& x, const BigValue& y);
BigValue operator<<(const BigValue& x, int n);
BigValue operator>>(const BigValue& x, int n);
int Compare(const BigValue& x, const BigValue& y);  // -1, 0 or 1
inline bool operator==(const BigValue& x, const BigValue& y) { return Compare(x, y) == 0; }
inline bool operator<(const BigValue& x, const BigValue& y) { return Compare(x, y) < 0; }

BigValue MultiplyMod(const BigValue& x, const BigValue& y, const BigValue& m);  // x y mod m
// x times floor(base / (top digit + 1)), the factor long division scales a
// divisor by so that its top digit is at least half the base.
BigValue NormalisingFactor(const BigValue& x);
BigValue Abs(const BigValue& x);
BigValue Gcd(const BigValue& x, const BigValue& y);
BigValue Root(const BigValue& x, int n);   // truncated n-th root
BigValue Power(const BigValue& x, int n);  // x^n
BigValue PowerMod(const BigValue& x, const BigValue& e, const BigValue& m);
BigValue InverseMod(const BigValue& x, const BigValue& m);  // x^-1 mod m
BigValue SquareRootMod(const BigValue& x, const BigValue& p);
BigValue IntPowerMod(int a, const BigValue& e, const BigValue& m);
BigValue PowerMod2(const BigValue& x, const BigValue& e, const BigValue& a, const BigValue& f, const BigValue& m);
// product of x[i]^e[i] mod m for i < n (the caller's bases are not changed).
BigValue PowerModMany(int n, const BigValue* x, const BigValue* e, const BigValue& m);
BigValue LucasMod(const BigValue& p, const BigValue& e, const BigValue& m);  // V_e(p) mod m
BigValue RandomDigits(int n, int b);                                         // exactly n digits in base b
BigValue NextSafePrime(int type, int subset, const BigValue& w);
// Trial division by the small primes: 0 composite, 1 prime, 2 no verdict.
int TrialDivision(const BigValue& x);
BigValue RandomBelow(const BigValue& w);
BigValue NextPrime(const BigValue& w);
bool IsPrime(const BigValue& x);

// The workspace's Montgomery modulus and residues under it.
void SetModulus(const BigValue& n);
BigValue GetModulus();
BigValue ToMontgomery(const BigValue& x);
BigValue FromMontgomery(const BigValue& x);
BigValue MontgomeryMultiply(const BigValue& x, const BigValue& y);
BigValue MontgomeryAdd(const BigValue& x, const BigValue& y);
BigValue MontgomerySubtract(const BigValue& x, const BigValue& y);
BigValue MontgomeryNegate(const BigValue& x);
BigValue MontgomeryDivide(const BigValue& x, const BigValue& y);
BigValue MontgomeryPower(const BigValue& x, const BigValue& e);
BigValue MontgomeryMultiplyInt(const BigValue& x, int k);
BigValue MontgomeryPower2(const BigValue& x, const BigValue& e, const BigValue& a, const BigValue& f);
BigValue MontgomeryPowerMany(int n, const BigValue* x, const BigValue* e);
BigValue MontgomeryLucas(const BigValue& p, const BigValue& e);  // V_e(p)
BigValue MontgomerySquareRoot(const BigValue& x);                // 0 when x is not a square

std::ostream& operator<<(std::ostream& os, const BigValue& x);
// One whitespace-delimited token (text bases below 61; above, one line);
// at the end of the stream or on a failed read the value becomes 0.
std::istream& operator>>(std::istream& is, BigValue& x);

}  // namespace arkseal
