#include <arkseal/guard/file_type.h>

#include <magic.h>

#include <algorithm>
#include <iterator>
#include <string_view>

namespace arkseal {

namespace {

class MagicCookie {
public:
    MagicCookie() : cookie_(magic_open(MAGIC_NONE)) {
        if (cookie_ != nullptr && magic_load(cookie_, nullptr) != 0) {
            magic_close(cookie_);
            cookie_ = nullptr;
        }
    }
    ~MagicCookie() {
        if (cookie_ != nullptr) magic_close(cookie_);
    }
    MagicCookie(const MagicCookie&) = delete;
    MagicCookie& operator=(const MagicCookie&) = delete;

    std::string Describe(std::span<const std::uint8_t> bytes, int flags) {
        if (cookie_ == nullptr || magic_setflags(cookie_, flags) != 0) return "unknown";
        const char* text = magic_buffer(cookie_, bytes.data(), bytes.size());
        return text != nullptr ? text : "unknown";
    }

private:
    magic_t cookie_;
};

MagicCookie& ThreadCookie() {
    thread_local MagicCookie cookie;
    return cookie;
}

bool KnownMime(const std::string& mime) {
    return mime != "application/octet-stream" && mime != "application/x-empty" && mime != "unknown";
}

}  // namespace

bool IsTypeFoundInRandomBytes(const std::string& mime) {
    static constexpr std::string_view kTypes[] = {
        "application/postscript",
        "application/vnd.hp-HPGL",
        "application/x-compress",
        "application/x-cpio",
        "application/x-dosexec",
        "application/x-ibm-dsk",
        "application/x-lanalyzer",
        "application/x-object",
        "application/x-tex-tfm",
        "application/zlib",
        "audio/mpeg",
        "audio/vnd.dolby.dd-raw",
        "audio/x-hx-aac-adts",
        "audio/x-mp4a-latm",
        "audio/x-syx",
        "font/x-amiga-font",
        "image/x-award-bioslogo",
        "text/PGP",
    };
    return std::find(std::begin(kTypes), std::end(kTypes), mime) != std::end(kTypes);
}

FileType RecogniseFileType(std::span<const std::uint8_t> bytes) {
    MagicCookie& cookie = ThreadCookie();
    FileType type;
    type.description = cookie.Describe(bytes, MAGIC_NONE);
    type.mime = cookie.Describe(bytes, MAGIC_MIME_TYPE);
    type.recognised = KnownMime(type.mime);
    return type;
}

std::string ShortTypeName(const std::string& description) { return description.substr(0, description.find(',')); }

}  // namespace arkseal
