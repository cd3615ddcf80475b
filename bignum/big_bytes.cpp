// Big-endian byte strings.
#include <algorithm>

#include "bignum/big_arithmetic.h"
#include "bignum/conversions.h"
#include "bignum/digit_kernels.h"
#include "bignum/number_internal.h"

namespace arkseal {

using namespace detail;

void BigFromBytes(int len, const std::uint8_t* bytes, BigNumber x) {
  if (ErrorPending()) return;
  BigZero(x);
  for (int i = 0; i < len && !ErrorPending(); ++i) {
    BigMultiplyInt(x, 256, x);
    BigAddInt(x, bytes[i], x);
  }
}

int BigToBytes(int max, const std::uint32_t* x, std::uint8_t* bytes) {
  if (ErrorPending()) return 0;
  NumberSystem& s = Workspace();
  BigNumber rest = s.scratch[1];
  BigAbs(x, rest);
  int length = NumeratorLength(rest);
  int count = 0;
  // Bytes come out least significant first and are turned round at the end.
  while (length > 0) {
    if (max > 0 && count == max) {
      RaiseNumberError(kErrorTooLong);
      return 0;
    }
    bytes[count++] = static_cast<std::uint8_t>(DigitsDivideByWord(s.base, Digits(rest), Digits(rest), length, 256));
    length = StrippedLength(Digits(rest), length);
    rest[0] = static_cast<std::uint32_t>(length);
  }
  std::reverse(bytes, bytes + count);
  return count;
}

}  // namespace arkseal
