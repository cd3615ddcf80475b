// The small-prime table, trial division, the probabilistic primality test and
// prime searches.
#pragma once

#include <cstdint>

#include <arkseal/bignum/workspace/number_system.h>

namespace arkseal {

// Builds smallPrimes with the primes up to about max(maxp, 1000); maxp <= 0
// releases the table. Error 8 for maxp >= 2^30.
void BuildSmallPrimes(int maxp);
// 0 when x is found composite (or x <= 1), 1 when prime or fully factored
// (y then 1 when it is a different number), 2 when x has no factor in the
// table; y receives the cofactor left after the divisions.
int BigTrialDivision(const std::uint32_t* x, BigNumber y);
// 1 when x passes the Miller-Rabin tests, else 0; 1 while an error is pending.
int BigIsPrime(const std::uint32_t* x);
// x = the smallest prime above w (2 for w < 2); returns 1, or 0 when the
// progress callback aborts.
int BigNextPrime(const std::uint32_t* w, BigNumber x);
// p = the next prime above w for which (p - 1) / 2 (type 0) or (p + 1) / 2
// (type 1) is prime too, in the residue class chosen by subset; returns 1,
// or 0 when the progress callback aborts.
int BigNextSafePrime(int type, int subset, const std::uint32_t* w, BigNumber p);

}  // namespace arkseal
