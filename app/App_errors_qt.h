// The application's error display: a modal box with the exception's message, captioned with the
// application's title. The silent abort shows nothing.
#pragma once

#include <exception>

void ShowException(std::exception_ptr exception);
// Makes ShowException the display that rtl::HandleException uses.
void InstallErrorDisplay();
