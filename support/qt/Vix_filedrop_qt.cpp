#include "Vix_filedrop_qt.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <vector>

std::vector<std::string> LocalFiles(const QMimeData* data) {
    std::vector<std::string> paths;
    if (data == nullptr)
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile().toStdString());
    return paths;
}

namespace {

class TQtDropHandle : public TDropHandle {
public:
    TQtDropHandle(QDropEvent& event, std::vector<std::string> paths)
        : FEvent(event), FPaths(std::move(paths)) {}

    int Count() const override { return static_cast<int>(FPaths.size()); }
    std::string Path(int index) const override { return FPaths[static_cast<size_t>(index)]; }
    void Release() override { FEvent.acceptProposedAction(); }

private:
    QDropEvent& FEvent;
    std::vector<std::string> FPaths;
};

} // namespace

TQtFileDropControl::TQtFileDropControl(QWidget& widget) : QObject(&widget) {
    widget.installEventFilter(this);
}

bool TQtFileDropControl::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (FFilter == nullptr || LocalFiles(drag->mimeData()).empty())
            break;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        std::vector<std::string> paths = LocalFiles(drop->mimeData());
        if (FFilter == nullptr || paths.empty())
            break;
        TQtDropHandle handle(*drop, std::move(paths));
        try {
            if (FFilter->FilterDrop(handle))
                return true;
        } catch (...) {
            rtl::HandleException();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
