// Drops of local files on a Qt widget, handed to the watcher's filter first.
#pragma once

#include "Vix_filedrop.h"

#include <QObject>

#include <string>
#include <vector>

class QMimeData;
class QWidget;

// The local files among the dropped URLs; links to anything else are not files to open.
std::vector<std::string> LocalFiles(const QMimeData* data);

class TQtFileDropControl : public QObject, public TFileDropControl {
    Q_OBJECT
public:
    // Watches widget's drag and drop events; whether widget accepts drops stays its own setting.
    explicit TQtFileDropControl(QWidget& widget);

    TFileDropFilter* DropFilter() const override { return FFilter; }
    void SetDropFilter(TFileDropFilter* filter) override { FFilter = filter; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TFileDropFilter* FFilter = nullptr;
};
