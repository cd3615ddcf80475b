// The type of a run of bytes as libmagic (the library behind file(1)) sees
// it, from the bytes alone.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace arkseal {

struct FileType {
    std::string description;  // "PDF document, version 1.4", "data", "empty"
    std::string mime;         // "application/pdf", "application/octet-stream"
    bool recognised = false;  // of a known type: more than "data" or "empty"
};

// Opens libmagic's database once per thread. A database that cannot be
// loaded recognises nothing (description "unknown").
FileType RecogniseFileType(std::span<const std::uint8_t> bytes);

// The description up to its first comma: "PDF document" for
// "PDF document, version 1.4".
std::string ShortTypeName(const std::string& description);

}  // namespace arkseal
