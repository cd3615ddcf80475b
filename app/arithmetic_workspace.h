// Holder of the program's arithmetic workspace: created during static
// initialisation on the thread that runs the user interface (640 words in
// full 32-bit digits, fractions written with a radix point), destroyed at
// exit, before the job block and the application object.
#pragma once

#include <arkseal/bignum/workspace/number_system.h>

namespace arkseal {

class ArithmeticWorkspace {
public:
    ArithmeticWorkspace();
    ~ArithmeticWorkspace();
    ArithmeticWorkspace(const ArithmeticWorkspace&) = delete;
    ArithmeticWorkspace& operator=(const ArithmeticWorkspace&) = delete;

    NumberSystem* system() const { return system_; }

private:
    NumberSystem* system_;
};

}  // namespace arkseal
