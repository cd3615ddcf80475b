// The program's static objects (see arkseal.cpp).
#pragma once

#include "app/arkseal_app.h"
#include "job/crypt_job.h"

namespace arkseal {

extern CArksealApp theApp;
extern CryptJob theJob;

}  // namespace arkseal
