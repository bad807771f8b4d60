#include "Rtl_exceptions.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

namespace rtl {

namespace {

TExceptionHandler& CurrentExceptionHandler() {
    static TExceptionHandler handler;
    return handler;
}

void WriteToStandardError(std::exception_ptr exception) {
    try {
        std::rethrow_exception(exception);
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "\n");
    }
}

} // namespace

TExceptionHandler SetExceptionHandler(TExceptionHandler handler) {
    return std::exchange(CurrentExceptionHandler(), std::move(handler));
}

void HandleException() {
    const std::exception_ptr exception = std::current_exception();
    if (!exception)
        return;
    // A copy, so that a display that replaces itself while it runs stays alive until it returns.
    const TExceptionHandler handler = CurrentExceptionHandler();
    if (handler)
        handler(exception);
    else
        WriteToStandardError(exception);
}

void Abort() {
    throw EAbort();
}

std::string SystemReason(int error, const std::string& path) {
    return std::string(std::strerror(error)) + ": " + path;
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string result;
    if (length > 0) {
        result.resize(static_cast<size_t>(length));
        std::vsnprintf(result.data(), result.size() + 1, format, args);
    }
    va_end(args);
    return result;
}

} // namespace rtl
