#include "Vix_clipboard_qt.h"

#include "Rtl_texts.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

QClipboard& Clipboard() {
    return *QGuiApplication::clipboard();
}

} // namespace

TQtClipboard::TQtClipboard() {
    connect(&Clipboard(), &QClipboard::dataChanged, this, [this] {
        try {
            NotifyChanged();
        } catch (...) {
            rtl::HandleException();
        }
    });
}

bool TQtClipboard::HasText() const {
    const QMimeData* data = Clipboard().mimeData();
    return data != nullptr && data->hasText();
}

std::string TQtClipboard::GetText() const {
    if (!HasText())
        throw EClipboardError(rtl::Tr("The program could not get the text in the clipboard."));
    return Clipboard().text().toStdString();
}

void TQtClipboard::SetText(const std::string& text) {
    Clipboard().setText(QString::fromStdString(text));
}

void TQtClipboard::SetTextWithData(const std::string& text, const std::string& data) {
    auto mimeData = std::make_unique<QMimeData>();
    mimeData->setText(QString::fromStdString(text));
    mimeData->setData(DataFormat, QByteArray::fromStdString(data));
    Clipboard().setMimeData(mimeData.release());
}

std::optional<std::string> TQtClipboard::GetData() const {
    const QMimeData* data = Clipboard().mimeData();
    if (data == nullptr || !data->hasFormat(DataFormat))
        return std::nullopt;
    return data->data(DataFormat).toStdString();
}
