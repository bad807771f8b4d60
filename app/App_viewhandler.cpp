#include "App_viewhandler.h"

#include "Rtl_exceptions.h"
#include "Rtl_texts.h"

namespace {

const char* const SectionName = "ViewHandler";
const char* const WidthKey = "Width";

template <typename T> T& Require(T* control) {
    if (control == nullptr)
        throw EHandlerError(rtl::Tr("The program cannot create a view handler."));
    return *control;
}

std::string ColumnSection(int index) {
    return rtl::Format("%s.Placement.ListView.Column:%d", SectionName, index);
}

const std::string WindowSection = std::string(SectionName) + ".Placement.MainForm";

} // namespace

TViewHandler::TViewHandler(TViewBar* toolBar, TViewList* listView, TViewBar* statusBar,
                           TViewWindow* window)
    : FToolBar(Require(toolBar)), FListView(Require(listView)), FStatusBar(Require(statusBar)),
      FWindow(window) {}

void TViewHandler::SetShowToolbar(bool value) {
    if (value == ShowToolbar())
        return;
    FToolBar.SetVisible(value);
    Changed();
}

void TViewHandler::SetShowStatusBar(bool value) {
    if (value == ShowStatusBar())
        return;
    FStatusBar.SetVisible(value);
    Changed();
}

void TViewHandler::SetRowSelect(bool value) {
    if (value == RowSelect())
        return;
    FListView.SetRowSelect(value);
    // Rows already drawn keep their old highlight until they are drawn again.
    FListView.Redraw();
    Changed();
}

void TViewHandler::ToggleToolbar() {
    if (!CanToggleToolbar())
        RaiseUnavailable();
    SetShowToolbar(!ShowToolbar());
}

void TViewHandler::ToggleStatusBar() {
    if (!CanToggleStatusBar())
        RaiseUnavailable();
    SetShowStatusBar(!ShowStatusBar());
}

void TViewHandler::ToggleRowSelect() {
    if (!CanToggleRowSelect())
        RaiseUnavailable();
    SetRowSelect(!RowSelect());
}

// Each value defaults to what the window shows now, so a missing key changes nothing.
void TViewHandler::LoadSettings(rtl::TMemIniFile& settings) {
    THandlerChange change(*this);
    SetShowToolbar(settings.ReadBool(SectionName, "ShowToolbar", ShowToolbar()));
    SetShowStatusBar(settings.ReadBool(SectionName, "ShowStatusBar", ShowStatusBar()));
    SetRowSelect(settings.ReadBool(SectionName, "RowSelect", RowSelect()));
    for (int i = 0; i < FListView.ColumnCount(); ++i)
        FListView.SetColumnWidth(
            i, settings.ReadInteger(ColumnSection(i), WidthKey, FListView.ColumnWidth(i)));
    if (FWindow == nullptr)
        return;
    const TWindowPlacement current = FWindow->Placement();
    TWindowPlacement placement;
    placement.Left = settings.ReadInteger(WindowSection, "Left", current.Left);
    placement.Top = settings.ReadInteger(WindowSection, "Top", current.Top);
    placement.Width = settings.ReadInteger(WindowSection, WidthKey, current.Width);
    placement.Height = settings.ReadInteger(WindowSection, "Height", current.Height);
    placement.Maximized = settings.ReadBool(WindowSection, "Maximized", current.Maximized);
    // A window never placed before is left where the window system puts it.
    if (placement != current)
        FWindow->SetPlacement(placement);
}

void TViewHandler::SaveSettings(rtl::TMemIniFile& settings) {
    THandlerChange change(*this);
    settings.WriteBool(SectionName, "ShowToolbar", ShowToolbar());
    settings.WriteBool(SectionName, "ShowStatusBar", ShowStatusBar());
    settings.WriteBool(SectionName, "RowSelect", RowSelect());
    for (int i = 0; i < FListView.ColumnCount(); ++i)
        settings.WriteInteger(ColumnSection(i), WidthKey, FListView.ColumnWidth(i));
    if (FWindow == nullptr)
        return;
    const TWindowPlacement placement = FWindow->Placement();
    settings.WriteInteger(WindowSection, "Left", placement.Left);
    settings.WriteInteger(WindowSection, "Top", placement.Top);
    settings.WriteInteger(WindowSection, WidthKey, placement.Width);
    settings.WriteInteger(WindowSection, "Height", placement.Height);
    settings.WriteBool(WindowSection, "Maximized", placement.Maximized);
}
