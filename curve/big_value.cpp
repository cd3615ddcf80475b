// BigValue over the integer arithmetic. Numbers are missing only while an
// error is pending, when every arithmetic operation returns at once; the few
// operations that run regardless of the error state (copy, comparison,
// negation, reading an int) are guarded here instead.
#include <arkseal/curve/big_value.h>

#include <istream>
#include <ostream>
#include <string>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/conversion/conversions.h>
#include <arkseal/bignum/workspace/number_access.h>
#include <arkseal/curve/big_value_result.h>

namespace arkseal {

using curve_detail::Result;

namespace {

bool Present(const BigValue& a, const BigValue& b) { return a.Handle() != nullptr && b.Handle() != nullptr; }

}  // namespace

BigValue::BigValue() : number_(NewBig(0)) {}

BigValue::BigValue(int value) : number_(NewBig(value)) {}

BigValue::BigValue(const BigValue& other) : number_(NewBig(0)) {
    if (Present(*this, other)) BigCopy(other.number_, number_);
}

BigValue& BigValue::operator=(const BigValue& other) {
    if (this != &other && Present(*this, other)) BigCopy(other.number_, number_);
    return *this;
}

BigValue& BigValue::operator=(const char* text) {
    if (number_ != nullptr) BigFromString(number_, text);
    return *this;
}

BigValue::~BigValue() { FreeBig(number_); }

BigValue::operator int() const { return number_ != nullptr ? BigToInt(number_) : 0; }

std::string BigValue::ToString() const {
    if (number_ == nullptr) return "0";
    // At most 32 digits per word (base 2), a sign and the terminator.
    std::string text(32 * static_cast<std::size_t>(detail::NumeratorLength(number_) + 1) + 2, '\0');
    const int length = BigToString(number_, text.data());
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return text.empty() ? "0" : text;
}

int BigValue::ToText(char* buffer) const {
    if (number_ == nullptr) {
        buffer[0] = '0';
        buffer[1] = '\0';
        return 1;
    }
    return BigToString(number_, buffer);
}

BigValue BigValue::FromBytes(int length, const std::uint8_t* bytes) {
    return Result([&](BigNumber r) { BigFromBytes(length, bytes, r); });
}

int BigValue::ToBytes(int max, std::uint8_t* bytes) const {
    return number_ != nullptr ? BigToBytes(max, number_, bytes) : 0;
}

BigValue BigValue::operator-() const {
    BigValue r(*this);
    if (r.number_ != nullptr) BigNegate(r.number_, r.number_);
    return r;
}

BigValue& BigValue::operator+=(const BigValue& y) {
    if (number_ != nullptr) BigAdd(number_, y.number_, number_);
    return *this;
}

BigValue& BigValue::operator-=(const BigValue& y) {
    if (number_ != nullptr) BigSubtract(number_, y.number_, number_);
    return *this;
}

BigValue operator+(const BigValue& x, int n) {
    return Result([&](BigNumber r) { BigAddInt(x.Handle(), n, r); });
}
BigValue operator+(int n, const BigValue& x) { return x + n; }
BigValue operator+(const BigValue& x, const BigValue& y) {
    return Result([&](BigNumber r) { BigAdd(x.Handle(), y.Handle(), r); });
}
BigValue operator-(const BigValue& x, int n) {
    return Result([&](BigNumber r) { BigSubtractInt(x.Handle(), n, r); });
}
BigValue operator-(int n, const BigValue& x) { return -(x - n); }
BigValue operator-(const BigValue& x, const BigValue& y) {
    return Result([&](BigNumber r) { BigSubtract(x.Handle(), y.Handle(), r); });
}
BigValue operator*(const BigValue& x, int n) {
    return Result([&](BigNumber r) { BigMultiplyInt(x.Handle(), n, r); });
}
BigValue operator*(int n, const BigValue& x) { return x * n; }
BigValue operator*(const BigValue& x, const BigValue& y) {
    return Result([&](BigNumber r) { BigMultiply(x.Handle(), y.Handle(), r); });
}
BigValue operator/(const BigValue& x, int n) {
    return Result([&](BigNumber r) { BigDivideInt(x.Handle(), n, r); });
}
int operator%(const BigValue& x, int n) {
    BigValue quotient;
    return BigDivideInt(x.Handle(), n, quotient.Handle());
}
BigValue operator/(const BigValue& x, const BigValue& y) {
    BigValue q(x);
    BigDivide(q.Handle(), y.Handle(), q.Handle());  // the quotient replaces the copy
    return q;
}
BigValue operator%(const BigValue& x, const BigValue& y) {
    BigValue r(x);
    BigDivide(r.Handle(), y.Handle(), y.Handle());  // no quotient stored: r is the remainder
    return r;
}
BigValue operator<<(const BigValue& x, int n) {
    return Result([&](BigNumber r) { BigShiftBits(x.Handle(), n, r); });
}
BigValue operator>>(const BigValue& x, int n) {
    return Result([&](BigNumber r) { BigShiftBits(x.Handle(), -n, r); });
}
int Compare(const BigValue& x, const BigValue& y) {
    if (!Present(x, y)) return 0;
    return BigCompare(x.Handle(), y.Handle());
}

BigValue MultiplyMod(const BigValue& x, const BigValue& y, const BigValue& m) {
    // Passing x as the addend adds nothing; m as the quotient stores none.
    return Result(
        [&](BigNumber r) { BigMultiplyAddDivide(x.Handle(), y.Handle(), x.Handle(), m.Handle(), m.Handle(), r); });
}
BigValue NormalisingFactor(const BigValue& x) {
    const BigNumber n = x.Handle();
    const int length = n != nullptr ? detail::NumeratorLength(n) : 0;
    if (length == 0) return x;
    const std::uint32_t base = CurrentNumberSystem()->base;
    const std::uint64_t radix = base == 0 ? std::uint64_t{1} << 32 : base;
    const std::uint64_t factor = radix / (static_cast<std::uint64_t>(n[length]) + 1);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(factor >> 24), static_cast<std::uint8_t>(factor >> 16),
                                   static_cast<std::uint8_t>(factor >> 8), static_cast<std::uint8_t>(factor)};
    return x * BigValue::FromBytes(4, bytes);
}

BigValue Abs(const BigValue& x) {
    BigValue r(x);
    if (r.Handle() != nullptr) BigAbs(r.Handle(), r.Handle());
    return r;
}
BigValue Gcd(const BigValue& x, const BigValue& y) {
    return Result([&](BigNumber r) { BigGcd(x.Handle(), y.Handle(), r); });
}
BigValue Root(const BigValue& x, int n) {
    return Result([&](BigNumber r) { BigRoot(x.Handle(), n, r); });
}
BigValue Power(const BigValue& x, int n) {
    // Passing the result as the modulus gives the plain power.
    return Result([&](BigNumber r) { BigPowerModInt(x.Handle(), n, r, r); });
}
BigValue InverseMod(const BigValue& x, const BigValue& m) {
    BigValue r = Result([&](BigNumber r) { BigExtendedGcd(x.Handle(), m.Handle(), r, r, r); });
    return r < BigValue() ? r + m : r;
}

std::ostream& operator<<(std::ostream& os, const BigValue& x) { return os << x.ToString(); }

std::istream& operator>>(std::istream& is, BigValue& x) {
    std::string token;
    const bool read = CurrentNumberSystem()->ioBase < 61 ? static_cast<bool>(is >> token)
                                                         : static_cast<bool>(std::getline(is, token));
    if (!read) {
        x = BigValue();
        return is;
    }
    x = token.c_str();
    return is;
}

}  // namespace arkseal
