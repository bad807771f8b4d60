#include "Vix_filedrop.h"

#include "Rtl_texts.h"

TDroppedFiles::TDroppedFiles(TDropHandle* handle) : FHandle(handle) {
    if (handle == nullptr)
        throw EFileDropError(rtl::Tr("Information about the dropped files is unavailable."));
}

int TDroppedFiles::Count() const {
    if (Finished())
        throw EFileDropError(rtl::Tr("The program cannot get the number of dropped files."));
    return FHandle->Count();
}

std::string TDroppedFiles::Paths(int index) const {
    if (Finished() || index < 0 || index >= FHandle->Count())
        throw EFileDropError(rtl::Tr("The program cannot get the path of a dropped file."));
    return FHandle->Path(index);
}

void TDroppedFiles::Finish() {
    if (Finished())
        return;
    TDropHandle* handle = FHandle;
    FHandle = nullptr;
    handle->Release();
}

TFileDropWatcher::TFileDropWatcher(TFileDropControl* control) {
    if (control != nullptr)
        Attach(control);
}

void TFileDropWatcher::SetEnabled(bool value) {
    if (FControl == nullptr)
        throw EFileDropError(
            rtl::Tr("The program cannot set the enabled state of a file-drop watcher."));
    FEnabled = value;
}

void TFileDropWatcher::Attach(TFileDropControl* control) {
    if (control == nullptr)
        throw EFileDropError(
            rtl::Tr("The program cannot attach the control to a file-drop watcher."));
    if (control == FControl)
        return;
    Detach();
    FPreviousFilter = control->DropFilter();
    control->SetDropFilter(this);
    FControl = control;
}

void TFileDropWatcher::Detach() {
    if (FControl == nullptr)
        return;
    FEnabled = false;
    FControl->SetDropFilter(FPreviousFilter);
    FControl = nullptr;
    FPreviousFilter = nullptr;
}

bool TFileDropWatcher::DoDropFiles(TDroppedFiles& files) {
    bool handled = false;
    if (OnDropFiles)
        OnDropFiles(*this, files, handled);
    return handled;
}

bool TFileDropWatcher::FilterDrop(TDropHandle& handle) {
    if (FEnabled) {
        TDroppedFiles files(&handle);
        bool handled = false;
        try {
            handled = DoDropFiles(files);
        } catch (...) {
            // A drop the program saw is released exactly once, also when its handler fails.
            files.Finish();
            throw;
        }
        if (handled) {
            files.Finish();
            return true;
        }
    }
    return FPreviousFilter != nullptr && FPreviousFilter->FilterDrop(handle);
}
