// The worker: encrypts or decrypts the job's file in place.
#pragma once

#include <cstddef>

namespace arkseal {

// Bytes read, transformed and written back per pass.
inline constexpr std::size_t kJobChunkSize = 0x40000;

// Thread entry; parameter is the address of the CryptJob. Always returns 0.
//
// Keys the stream cipher with the first 32 bytes of the SHA-512 digest of
// the passphrase, then rewrites the file chunk by chunk over itself: seek
// to position, read up to kJobChunkSize bytes, transform them, seek back,
// write them, advance position, and post WM_JOB_PROGRESS to the owner. A
// short chunk is the last: the file is flushed, synced to disk and closed
// before done is set, so a job counts as complete only once its data is
// safe. Any failure stops the job at once: the file is closed, a message
// box says what failed and how many bytes were processed, and done is set
// and posted so that the dialog becomes idle again.
unsigned TransformFileThread(void* parameter);

}  // namespace arkseal
