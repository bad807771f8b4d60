// The desktop clipboard through Qt: plain text in UTF-8 and the program's own data beside it.
#pragma once

#include "Vix_clipboard.h"

#include <QObject>

class TQtClipboard : public QObject, public TClipboard {
    Q_OBJECT
public:
    // The MIME type of the data put beside the text.
    static constexpr const char* DataFormat = "application/x-trackwell-names";

    TQtClipboard();

    bool HasText() const override;
    std::string GetText() const override;
    void SetText(const std::string& text) override;
    void SetTextWithData(const std::string& text, const std::string& data) override;
    std::optional<std::string> GetData() const override;
};
