// What every handler shares.
#pragma once

#include "Rtl_exceptions.h"
#include "Rtl_inifiles.h"
#include "Vix_commandpattern.h"

#include <cstdint>
#include <functional>

// The exception with which every handler reports a failure.
RTL_DECLARE_EXCEPTION(EHandlerError, rtl::Exception);

class THandler;
// Called with the handler whose observable state has changed.
using THandlerEvent = std::function<void(THandler& sender)>;

// Base of the application's handlers: a change notification that a bracket merges into one,
// the settings hooks, and one way to refuse an operation that is not available now.
class THandler {
public:
    THandler() = default;
    THandler(const THandler&) = delete;
    THandler& operator=(const THandler&) = delete;
    virtual ~THandler() = default;

    // Bound by the owner right after construction; not owned.
    THandlerEvent OnChange;

    // Number of change operations now open.
    int32_t ChangeCount() const { return FChangeCount; }

    // EHandlerError "The feature is unavailable.". Overrides must raise too: callers go no
    // further after it.
    [[noreturn]] virtual void RaiseUnavailable();
    virtual void DoChange();
    // Notifies at once outside a bracket; inside one the call is dropped, because the closing
    // EndChange notifies once for all.
    virtual void Changed();
    virtual void BeginChange();
    // EHandlerError "The program cannot end any change operations." when none is open, with
    // the count left at 0 and nobody notified.
    virtual void EndChange();
    // Read or write this handler's values in the open settings file, each call one bracket.
    virtual void LoadSettings(rtl::TMemIniFile& file) = 0;
    virtual void SaveSettings(rtl::TMemIniFile& file) = 0;

private:
    int32_t FChangeCount = 0;
};

// The bracket every handler opens around a change of several parts: it closes on every way
// out, so an exception still leaves the count as it was and tells the observers.
using THandlerChange = TChangeBracket<THandler>;
