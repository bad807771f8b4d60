#include "Vix_clipboard.h"

#include "Rtl_texts.h"

#include <algorithm>

void TClipboard::AddListener(TListener& listener) {
    FListeners.push_back(&listener);
}

void TClipboard::RemoveListener(TListener& listener) {
    FListeners.erase(std::remove(FListeners.begin(), FListeners.end(), &listener),
                     FListeners.end());
}

void TClipboard::NotifyChanged() {
    // A listener may leave during the notification; work on a copy.
    const std::vector<TListener*> listeners = FListeners;
    for (TListener* listener : listeners)
        if (std::find(FListeners.begin(), FListeners.end(), listener) != FListeners.end())
            listener->ClipboardChanged();
}

std::string TMemoryClipboard::GetText() const {
    if (!FText)
        throw EClipboardError(rtl::Tr("The program could not get the text in the clipboard."));
    return *FText;
}

void TMemoryClipboard::SetText(const std::string& text) {
    FText = text;
    FData.reset();
    NotifyChanged();
}

void TMemoryClipboard::SetTextWithData(const std::string& text, const std::string& data) {
    FText = text;
    FData = data;
    NotifyChanged();
}

void TMemoryClipboard::Clear() {
    FText.reset();
    FData.reset();
    NotifyChanged();
}

void TClipboardWatcher::SetActive(bool value) {
    if (value == FActive)
        return;
    if (value) {
        FClipboard.AddListener(*this);
        FActive = true;
        // Joining is a change as far as the owner knows: what it computed from the clipboard
        // before may be stale.
        DoChange();
    } else {
        FClipboard.RemoveListener(*this);
        FActive = false;
    }
}
