// The program's static objects (see arkseal.cpp).
#pragma once

#include <arkseal/app/arithmetic_workspace.h>
#include <arkseal/app/arkseal_app.h>
#include <arkseal/job/crypt_job.h>

namespace arkseal {

extern CArksealApp theApp;
extern CryptJob theJob;
extern ArithmeticWorkspace theWorkspace;

}  // namespace arkseal
