// The clipboard's plain text and a watcher that reports every change of the clipboard.
#pragma once

#include "Rtl_exceptions.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

RTL_DECLARE_EXCEPTION(EClipboardError, rtl::Exception);

// The platform clipboard as the program uses it: plain text in UTF-8, and a notification on
// every change of its contents. The window's toolkit supplies one; TMemoryClipboard serves
// tests and programs without a window.
class TClipboard {
public:
    class TListener {
    public:
        virtual ~TListener() = default;
        virtual void ClipboardChanged() = 0;
    };

    TClipboard() = default;
    TClipboard(const TClipboard&) = delete;
    TClipboard& operator=(const TClipboard&) = delete;
    virtual ~TClipboard() = default;

    virtual bool HasText() const = 0;
    // The text, or EClipboardError when the clipboard holds none.
    virtual std::string GetText() const = 0;
    virtual void SetText(const std::string& text) = 0;
    // The text together with the program's own copy of the same content. Another program that
    // takes the clipboard replaces both, so data read back with an unchanged text still belongs
    // to that text.
    virtual void SetTextWithData(const std::string& text, const std::string& data) = 0;
    // The data that was put beside the clipboard's current text; none after a plain SetText or
    // any other program's change.
    virtual std::optional<std::string> GetData() const = 0;

    void AddListener(TListener& listener);
    void RemoveListener(TListener& listener);

protected:
    // Implementations call this after every change of the contents, whoever made it.
    void NotifyChanged();

private:
    std::vector<TListener*> FListeners;
};

class TMemoryClipboard : public TClipboard {
public:
    bool HasText() const override { return FText.has_value(); }
    std::string GetText() const override;
    void SetText(const std::string& text) override;
    void SetTextWithData(const std::string& text, const std::string& data) override;
    std::optional<std::string> GetData() const override { return FData; }
    // Empties the clipboard, as another program putting a picture there would.
    void Clear();

private:
    std::optional<std::string> FText;
    std::optional<std::string> FData;
};

// Reports clipboard changes while active: once when it becomes active, then once per change.
class TClipboardWatcher : private TClipboard::TListener {
public:
    using TNotifyEvent = std::function<void(TClipboardWatcher& sender)>;

    explicit TClipboardWatcher(TClipboard& clipboard) : FClipboard(clipboard) {}
    TClipboardWatcher(const TClipboardWatcher&) = delete;
    TClipboardWatcher& operator=(const TClipboardWatcher&) = delete;
    virtual ~TClipboardWatcher() { SetActive(false); }

    bool Active() const { return FActive; }
    void SetActive(bool value);
    TClipboard& Clipboard() const { return FClipboard; }

    TNotifyEvent OnChange;

protected:
    virtual void DoChange() {
        if (OnChange)
            OnChange(*this);
    }

private:
    void ClipboardChanged() override { DoChange(); }

    TClipboard& FClipboard;
    bool FActive = false;
};
