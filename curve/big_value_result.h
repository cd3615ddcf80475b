// The result of a BigValue operation: a new value that the number operation
// writes, or a missing one (while an error is pending) that it never sees.
// Internal to curve/.
#pragma once

#include <arkseal/curve/big_value.h>

namespace arkseal::curve_detail {

template <typename Op>
BigValue Result(Op op) {
    BigValue r;
    if (r.Handle() != nullptr) op(r.Handle());
    return r;
}

}  // namespace arkseal::curve_detail
