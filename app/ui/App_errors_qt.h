// The application's error display: a modal box with the exception's message, and the system's
// reason on a line beneath it when there is one, captioned with the application's title. The
// silent abort shows nothing.
#pragma once

#include <QString>

#include <exception>

// The application's title: the caption of its message boxes. It is the program's own, not Qt's
// application display name, which Qt's window systems append to the title of every window that
// does not end with it ("Add New — Trackwell - a.d88"); the program leaves that name unset.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

void ShowException(std::exception_ptr exception);
// Makes ShowException the display that rtl::HandleException uses.
void InstallErrorDisplay();
