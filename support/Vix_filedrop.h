// Files dropped on a control from the desktop's file manager: a watcher that sees every drop on
// the control first, and the object that stands for one drop while it is handled.
#pragma once

#include "Rtl_exceptions.h"

#include <functional>
#include <memory>
#include <string>

RTL_DECLARE_EXCEPTION(EFileDropError, rtl::Exception);

// One drop as the platform delivers it: the paths of the dropped files, and the answer that
// ends the drop.
class TDropHandle {
public:
    TDropHandle() = default;
    TDropHandle(const TDropHandle&) = delete;
    TDropHandle& operator=(const TDropHandle&) = delete;
    virtual ~TDropHandle() = default;

    virtual int Count() const = 0;
    // 0 <= index < Count().
    virtual std::string Path(int index) const = 0;
    // Tells the platform that the drop was taken; called once at most.
    virtual void Release() = 0;
};

// What sees a control's drops before the control does; true when it took the drop.
class TFileDropFilter {
public:
    virtual ~TFileDropFilter() = default;
    virtual bool FilterDrop(TDropHandle& handle) = 0;
};

// A control that files can be dropped on. It hands every drop to its filter first and handles
// the drop itself only when the filter does not take it.
class TFileDropControl {
public:
    TFileDropControl() = default;
    TFileDropControl(const TFileDropControl&) = delete;
    TFileDropControl& operator=(const TFileDropControl&) = delete;
    virtual ~TFileDropControl() = default;

    virtual TFileDropFilter* DropFilter() const = 0;
    // nullptr: no filter.
    virtual void SetDropFilter(TFileDropFilter* filter) = 0;
};

class TDroppedFiles {
public:
    // EFileDropError "Information about the dropped files is unavailable." without a handle.
    // The handle is borrowed: it lives as long as the drop it stands for.
    explicit TDroppedFiles(TDropHandle* handle);
    TDroppedFiles(const TDroppedFiles&) = delete;
    TDroppedFiles& operator=(const TDroppedFiles&) = delete;
    // Does not finish the drop.
    virtual ~TDroppedFiles() = default;

    virtual int Count() const;
    virtual std::string Paths(int index) const;
    // Releases the drop once; later calls do nothing.
    virtual void Finish();
    virtual bool Finished() const { return FHandle == nullptr; }

private:
    TDropHandle* FHandle;
};

class TFileDropWatcher : private TFileDropFilter {
public:
    using TDropFilesEvent =
        std::function<void(TFileDropWatcher& sender, TDroppedFiles& files, bool& handled)>;

    explicit TFileDropWatcher(TFileDropControl* control = nullptr);
    TFileDropWatcher(const TFileDropWatcher&) = delete;
    TFileDropWatcher& operator=(const TFileDropWatcher&) = delete;
    virtual ~TFileDropWatcher() { Detach(); }

    TFileDropControl* Control() const { return FControl; }
    bool Enabled() const { return FEnabled; }
    // EFileDropError "The program cannot set the enabled state of a file-drop watcher." while
    // detached.
    void SetEnabled(bool value);
    // EFileDropError "The program cannot attach the control to a file-drop watcher." without a
    // control. Attaching another control detaches the first.
    void Attach(TFileDropControl* control);
    void Detach();

    TDropFilesEvent OnDropFiles;

protected:
    // Fires OnDropFiles; false when nobody took the drop.
    virtual bool DoDropFiles(TDroppedFiles& files);

private:
    bool FilterDrop(TDropHandle& handle) override;

    TFileDropControl* FControl = nullptr;
    // The filter the control had before, which gets what the watcher does not take.
    TFileDropFilter* FPreviousFilter = nullptr;
    bool FEnabled = false;
};
