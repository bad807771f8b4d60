// The application's error display: a modal box with the exception's message, and the system's
// reason on a line beneath it when there is one, captioned with the application's title. The
// silent abort shows nothing.
#pragma once

#include <exception>

void ShowException(std::exception_ptr exception);
// Makes ShowException the display that rtl::HandleException uses.
void InstallErrorDisplay();
