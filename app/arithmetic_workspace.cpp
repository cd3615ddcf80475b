#include <arkseal/app/arithmetic_workspace.h>

namespace arkseal {

ArithmeticWorkspace::ArithmeticWorkspace() : system_(CreateNumberSystem(640, 0)) {
    if (system_ != nullptr) system_->radixPoint = 1;
}

ArithmeticWorkspace::~ArithmeticWorkspace() {
    if (system_ != nullptr) DestroyNumberSystem();
}

}  // namespace arkseal
