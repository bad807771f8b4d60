// The component library's exception family, as the rest of the program relies on it.
#pragma once

#include "Rtl_texts.h"

#include <exception>
#include <functional>
#include <string>

namespace rtl {

// Base of every exception the program raises. It carries a message, and the message can be
// replaced on the same object so that a handler can rethrow it (`throw;`) under a new text.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const std::string& Message() const noexcept { return FMessage; }
    void SetMessage(std::string message) { FMessage = std::move(message); }
    const char* what() const noexcept override { return FMessage.c_str(); }
    // The system's reason shown beneath the message, such as "No space left on device:
    // /home/u/disk.d88"; empty when the failure is the program's own. A new message keeps it,
    // so that a caller can put its own sentence above the cause found deeper down.
    const std::string& Reason() const noexcept { return FReason; }
    void SetReason(std::string reason) { FReason = std::move(reason); }

private:
    std::string FMessage;
    std::string FReason;
};

// Declares an exception class deriving from `Base` with a message-only constructor.
#define RTL_DECLARE_EXCEPTION(Name, Base)                                                          \
    class Name : public Base {                                                                     \
        using TInherited = Base;                                                                   \
                                                                                                   \
    public:                                                                                        \
        using TInherited::TInherited;                                                              \
    }

// The silent abort: unwinds an operation the user cancelled and is never shown.
class EAbort : public Exception {
public:
    EAbort() : Exception(rtl::Tr("Operation aborted")) {}
    using Exception::Exception;
};

RTL_DECLARE_EXCEPTION(EInvalidOperation, Exception);
RTL_DECLARE_EXCEPTION(EConvertError, Exception);
RTL_DECLARE_EXCEPTION(EOutOfMemory, Exception);
RTL_DECLARE_EXCEPTION(EListError, Exception);
RTL_DECLARE_EXCEPTION(EStringListError, Exception);

// Raises EAbort: the way every cancelled dialog or question ends an operation.
[[noreturn]] void Abort();

// The application's exception display. Every place where a toolkit calls into the program (a
// slot, an event handler, a queued call) catches there and calls HandleException from inside its
// catch block, so that the toolkit never sees an exception.
using TExceptionHandler = std::function<void(std::exception_ptr)>;
// Replaces the display and returns the one it replaces; an empty handler restores the default,
// which writes the message to standard error.
TExceptionHandler SetExceptionHandler(TExceptionHandler handler);
// Hands the exception being handled to the display. The silent abort reaches the display too;
// it is the display's rule to show nothing for it.
void HandleException();

// A reason in its one form: the system's text for the error number, then the path it concerns.
std::string SystemReason(int error, const std::string& path);

// printf-style formatting into a std::string, for messages that carry values.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace rtl
