#include "Rtl_codepage.h"

#include <cerrno>
#include <iconv.h>

namespace rtl {

namespace {

// iconv_t keeps shift state: a descriptor is not shared between threads, and is reset before
// each use.
class TIconv {
public:
    TIconv(const char* to, const char* from) : FHandle(iconv_open(to, from)) {}
    ~TIconv() {
        if (Valid())
            iconv_close(FHandle);
    }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;
    bool Valid() const { return FHandle != reinterpret_cast<iconv_t>(-1); }
    iconv_t Handle() const { return FHandle; }

private:
    iconv_t FHandle;
};

// Converts as much as possible; returns false at the first byte sequence that cannot be
// converted, with `in` pointing at it.
bool ConvertRun(iconv_t handle, const char*& in, size_t& inLeft, std::string& out) {
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(handle, const_cast<char**>(&in), &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (result == static_cast<size_t>(-1) && errno != E2BIG)
            return false;
    }
    return true;
}

} // namespace

std::string Cp932ToUtf8(std::string_view bytes) {
    std::string result;
    result.reserve(bytes.size() * 3 / 2);
    // A sort decodes every name, so each thread keeps one descriptor rather than opening one per
    // text; its state is cleared before each use.
    thread_local TIconv converter("UTF-8", "CP932");
    if (converter.Valid())
        iconv(converter.Handle(), nullptr, nullptr, nullptr, nullptr);
    const char* in = bytes.data();
    size_t inLeft = bytes.size();
    while (!converter.Valid() || !ConvertRun(converter.Handle(), in, inLeft, result)) {
        if (inLeft == 0)
            break;
        // An undecodable byte stands for itself no longer: mark it and resume after it.
        result += "\xEF\xBF\xBD";
        ++in;
        --inLeft;
        if (!converter.Valid())
            continue;
        iconv(converter.Handle(), nullptr, nullptr, nullptr, nullptr);
    }
    return result;
}

std::optional<std::string> Utf8ToCp932(std::string_view text) {
    TIconv converter("CP932", "UTF-8");
    if (!converter.Valid())
        return std::nullopt;
    std::string result;
    result.reserve(text.size());
    const char* in = text.data();
    size_t inLeft = text.size();
    if (!ConvertRun(converter.Handle(), in, inLeft, result))
        return std::nullopt;
    return result;
}

} // namespace rtl
