// The View menu's switches (toolbar, status bar, whole-row selection) and the list's column
// widths, kept in the settings file. The handler reaches the window's controls only through the
// small interfaces below, which the window implements over its widgets.
#pragma once

#include "App_handler.h"

// A bar of the window that can be shown or hidden: the toolbar, the status bar.
class TViewBar {
public:
    TViewBar() = default;
    TViewBar(const TViewBar&) = delete;
    TViewBar& operator=(const TViewBar&) = delete;
    virtual ~TViewBar() = default;

    virtual bool Visible() const = 0;
    virtual void SetVisible(bool value) = 0;
};

// The list view as far as the view's settings go.
class TViewList {
public:
    TViewList() = default;
    TViewList(const TViewList&) = delete;
    TViewList& operator=(const TViewList&) = delete;
    virtual ~TViewList() = default;

    virtual bool RowSelect() const = 0;
    // Whole-row highlighting of selected items; the selection is of rows either way.
    virtual void SetRowSelect(bool value) = 0;
    // Draws every visible row again.
    virtual void Redraw() = 0;
    virtual int ColumnCount() const = 0;
    virtual int ColumnWidth(int index) const = 0;
    // The width as given; what a control cannot show is its own matter.
    virtual void SetColumnWidth(int index, int width) = 0;
};

// Where the main window is and how large, as the rectangle inside its frame, and whether it fills
// the screen (the rectangle is then the one it returns to).
struct TWindowPlacement {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Maximized = false;

    bool operator==(const TWindowPlacement&) const = default;
};

// The main window as far as the view's settings go.
class TViewWindow {
public:
    TViewWindow() = default;
    TViewWindow(const TViewWindow&) = delete;
    TViewWindow& operator=(const TViewWindow&) = delete;
    virtual ~TViewWindow() = default;

    virtual TWindowPlacement Placement() const = 0;
    // The placement as given, as far as the screens show it: a window that would lie off every
    // screen, or a size the window cannot take, is the window's own matter.
    virtual void SetPlacement(const TWindowPlacement& placement) = 0;
};

class TViewHandler : public THandler {
public:
    // EHandlerError "The program cannot create a view handler." when any of the three bars and
    // lists is missing. None of them is owned. Without a window, the window's placement is
    // neither read nor written.
    TViewHandler(TViewBar* toolBar, TViewList* listView, TViewBar* statusBar,
                 TViewWindow* window = nullptr);

    bool ShowToolbar() const { return FToolBar.Visible(); }
    void SetShowToolbar(bool value);
    bool ShowStatusBar() const { return FStatusBar.Visible(); }
    void SetShowStatusBar(bool value);
    bool RowSelect() const { return FListView.RowSelect(); }
    void SetRowSelect(bool value);

    virtual void ToggleToolbar();
    virtual bool CanToggleToolbar() const { return true; }
    virtual void ToggleStatusBar();
    virtual bool CanToggleStatusBar() const { return true; }
    virtual void ToggleRowSelect();
    virtual bool CanToggleRowSelect() const { return true; }

    void LoadSettings(rtl::TMemIniFile& settings) override;
    void SaveSettings(rtl::TMemIniFile& settings) override;

private:
    TViewBar& FToolBar;
    TViewList& FListView;
    TViewBar& FStatusBar;
    TViewWindow* FWindow;
};
