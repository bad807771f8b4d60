// What every handler shares.
#pragma once

#include "Rtl_exceptions.h"

// The exception with which every handler reports a failure.
RTL_DECLARE_EXCEPTION(EHandlerError, rtl::Exception);
