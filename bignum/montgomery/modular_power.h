// Modular powers, roots and Lucas values on ordinary (not Montgomery form)
// numbers with an explicit modulus. Each sets its modulus as the workspace's
// current one where it takes the Montgomery path, replacing any other.
// Results are non-negative residues. Scratch numbers: those of the Montgomery
// operation each runs (see montgomery.h), plus 1-3 on the plain path of
// PowerMod and IntPowerMod, 17 and 18 in PowerMod2 and SquareRootMod.
#pragma once

#include <cstdint>

#include <arkseal/bignum/workspace/number_system.h>

namespace arkseal {

// w = x^e mod n. Even n takes a plain binary method; there n and w must be
// different numbers (error 7).
void PowerMod(const std::uint32_t* x, const std::uint32_t* e, BigNumber n, BigNumber w);
// w = a^e mod n for a small int a; returns BigToInt(w). Leaves the current
// modulus alone unless none is set or n equals it.
int IntPowerMod(int a, const std::uint32_t* e, BigNumber n, BigNumber w);
// w = x^e * a^f mod n.
void PowerMod2(const std::uint32_t* x, const std::uint32_t* e, const std::uint32_t* a, const std::uint32_t* f,
               const std::uint32_t* n, BigNumber w);
// w = product of x[i]^e[i] mod n; the bases end reduced mod n.
void PowerModMany(int m, BigNumber* x, const BigNumber* e, const std::uint32_t* n, BigNumber w);
// w = a square root of x mod p, returns 1; 0 and w = 0 when p is even or x is
// not a square.
int SquareRootMod(const std::uint32_t* x, const std::uint32_t* p, BigNumber w);
// v = V_e(p) mod n and vp = V_(e-1)(p) mod n (when vp differs from v).
void LucasMod(const std::uint32_t* p, const std::uint32_t* e, const std::uint32_t* n, BigNumber vp, BigNumber v);

}  // namespace arkseal
