// What a job is asked to do to its file, from the dialog's buttons or the
// command line down to the worker: one type all the way.
#pragma once

namespace arkseal {

// kResume finishes the file's unfinished job in its journal's direction.
enum class JobMode { kEncrypt, kDecrypt, kResume };

}  // namespace arkseal
