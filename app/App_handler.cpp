#include "App_handler.h"

void THandler::RaiseUnavailable() {
    throw EHandlerError("The feature is unavailable.");
}

void THandler::DoChange() {
    if (OnChange)
        OnChange(*this);
}

void THandler::Changed() {
    if (FChangeCount == 0)
        DoChange();
}

void THandler::BeginChange() {
    ++FChangeCount;
}

void THandler::EndChange() {
    if (FChangeCount == 0)
        throw EHandlerError("The program cannot end any change operations.");
    --FChangeCount;
    Changed();
}
