/* Basecase products on 64-bit limbs.
 *
 * Two adjacent 32-bit words w0 + w1 2^32 form one limb; an odd top word is a
 * limb with a zero upper half. A limb product plus two limbs of carry is at
 * most (2^64 - 1)^2 + 2 (2^64 - 1) = 2^128 - 1, so each column fits one
 * 128-bit intermediate, exactly as the word kernels do at half the width.
 * Operands are packed into limb buffers on the stack and the product is
 * unpacked into the caller's words, so the caller's arrays may have any
 * length and alignment. Squaring forms each cross product once, then doubles
 * the sum and adds the diagonal squares in one pass.
 */
#include "bignum/limb_products.h"

namespace arkseal {

#if defined(__SIZEOF_INT128__)

namespace {

using Limb = std::uint64_t;
using WideLimb = unsigned __int128;

// Operands up to 1024 words (twice the largest single-length number of the
// program's workspace is 1280 words; those fall back to words).
constexpr int kMaxLimbs = 512;

int Pack(Limb* out, const std::uint32_t* x, int n) {
  const int limbs = (n + 1) / 2;
  for (int i = 0; i < n / 2; ++i) out[i] = x[2 * i] | static_cast<Limb>(x[2 * i + 1]) << 32;
  if (n % 2) out[limbs - 1] = x[n - 1];
  return limbs;
}

void Unpack(std::uint32_t* z, const Limb* in, int words) {
  for (int i = 0; i < words / 2; ++i) {
    z[2 * i] = static_cast<std::uint32_t>(in[i]);
    z[2 * i + 1] = static_cast<std::uint32_t>(in[i] >> 32);
  }
  if (words % 2) z[words - 1] = static_cast<std::uint32_t>(in[words / 2]);
}

Limb MultiplyRow(Limb* z, const Limb* x, int n, Limb m) {
  WideLimb c = 0;
  for (int i = 0; i < n; ++i) {
    c += static_cast<WideLimb>(x[i]) * m;
    z[i] = static_cast<Limb>(c);
    c >>= 64;
  }
  return static_cast<Limb>(c);
}

Limb MultiplyAddRow(Limb* z, const Limb* x, int n, Limb m) {
  WideLimb c = 0;
  for (int i = 0; i < n; ++i) {
    c += static_cast<WideLimb>(x[i]) * m + z[i];
    z[i] = static_cast<Limb>(c);
    c >>= 64;
  }
  return static_cast<Limb>(c);
}

void MultiplyLimbs(Limb* z, const Limb* x, int n, const Limb* y, int m) {
  z[m] = MultiplyRow(z, y, m, x[0]);
  for (int i = 1; i < n; ++i) z[i + m] = MultiplyAddRow(z + i, y, m, x[i]);
}

void SquareLimbs(Limb* z, const Limb* x, int n) {
  z[0] = 0;
  z[2 * n - 1] = 0;
  if (n > 1) {
    z[n] = MultiplyRow(z + 1, x + 1, n - 1, x[0]);
    for (int i = 1; i < n - 1; ++i) z[n + i] = MultiplyAddRow(z + 2 * i + 1, x + i + 1, n - i - 1, x[i]);
  }
  // One pass doubles the cross products (bit 63 of each limb moves up) and
  // adds the diagonal squares.
  WideLimb c = 0;
  Limb shiftedOut = 0;
  for (int i = 0; i < n; ++i) {
    const Limb low = z[2 * i];
    const Limb high = z[2 * i + 1];
    c += static_cast<WideLimb>(x[i]) * x[i] + ((low << 1) | shiftedOut);
    z[2 * i] = static_cast<Limb>(c);
    c >>= 64;
    c += (high << 1) | (low >> 63);
    z[2 * i + 1] = static_cast<Limb>(c);
    c >>= 64;
    shiftedOut = high >> 63;
  }
}

}  // namespace

bool MultiplyWordsInLimbs(std::uint32_t* z, const std::uint32_t* x, int n, const std::uint32_t* y, int m) {
  if (n > 2 * kMaxLimbs || m > 2 * kMaxLimbs) return false;
  Limb xs[kMaxLimbs];
  Limb ys[kMaxLimbs];
  Limb zs[2 * kMaxLimbs];
  const int nl = Pack(xs, x, n);
  const int ml = Pack(ys, y, m);
  MultiplyLimbs(zs, xs, nl, ys, ml);
  Unpack(z, zs, n + m);
  return true;
}

bool SquareWordsInLimbs(std::uint32_t* z, const std::uint32_t* x, int n) {
  if (n > 2 * kMaxLimbs) return false;
  Limb xs[kMaxLimbs];
  Limb zs[2 * kMaxLimbs];
  const int nl = Pack(xs, x, n);
  SquareLimbs(zs, xs, nl);
  Unpack(z, zs, 2 * n);
  return true;
}

#else

bool MultiplyWordsInLimbs(std::uint32_t*, const std::uint32_t*, int, const std::uint32_t*, int) { return false; }
bool SquareWordsInLimbs(std::uint32_t*, const std::uint32_t*, int) { return false; }

#endif

}  // namespace arkseal
