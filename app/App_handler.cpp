#include "App_handler.h"

#include "Rtl_texts.h"

void THandler::RaiseUnavailable() {
    throw EHandlerError(rtl::Tr("The feature is unavailable."));
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
        throw EHandlerError(rtl::Tr("The program cannot end any change operations."));
    --FChangeCount;
    Changed();
}
