// The program's static objects (see arkseal.cpp).
#pragma once

#include "app/arithmetic_workspace.h"
#include "app/arkseal_app.h"
#include "job/crypt_job.h"

namespace arkseal {

extern CArksealApp theApp;
extern CryptJob theJob;
extern ArithmeticWorkspace theWorkspace;

}  // namespace arkseal
