#include "App_dialogs.h"

#include "Rtl_paths.h"

const char* const TScriptedUserInterface::UnansweredMessage =
    "the operation needs an answer that a script cannot give";

namespace {

class TScriptedFileDialog : public TFileDialog {
public:
    TScriptedFileDialog(TFileDialogKind kind, TScriptedUserInterface& owner)
        : TFileDialog(kind), FOwner(owner) {}

    bool Execute() override {
        FOwner.DialogsSeen.push_back(
            {Kind(), Title, Filter, FileName, DefaultExt, FilterIndex, Options});
        FOwner.Shown.push_back({"file dialog", Title, FileName});
        if (FOwner.FileAnswers.empty())
            throw EUnansweredError(TScriptedUserInterface::UnansweredMessage);
        TScriptedUserInterface::TFileAnswer answer = std::move(FOwner.FileAnswers.front());
        FOwner.FileAnswers.pop_front();
        if (answer.FilterIndex != 0 && answer.FilterIndex != FilterIndex) {
            FilterIndex = answer.FilterIndex;
            if (OnTypeChange)
                OnTypeChange(*this);
        }
        if (answer.Files.empty())
            return false;
        Files = std::move(answer.Files);
        // A save dialog completes a typed name that has no extension, as the real ones do.
        if (Kind() == TFileDialogKind::Save && !DefaultExt.empty())
            for (std::string& file : Files)
                if (rtl::ExtractFileExt(file).empty())
                    file += "." + DefaultExt;
        FileName = Files.front();
        return true;
    }

private:
    TScriptedUserInterface& FOwner;
};

template <typename T> T TakeAnswer(std::deque<T>& answers) {
    if (answers.empty())
        throw EUnansweredError(TScriptedUserInterface::UnansweredMessage);
    T answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

} // namespace

std::unique_ptr<TFileDialog> TScriptedUserInterface::NewFileDialog(TFileDialogKind kind) {
    return std::make_unique<TScriptedFileDialog>(kind, *this);
}

bool TScriptedUserInterface::BrowseForFolder(const std::string& caption,
                                             const std::string& initialFolder,
                                             std::string& folder) {
    Shown.push_back({"folder", caption, initialFolder});
    const std::optional<std::string> answer = TakeAnswer(FolderAnswers);
    if (!answer)
        return false;
    folder = *answer;
    return true;
}

int TScriptedUserInterface::MessageBox(const std::string& text, const std::string& caption,
                                       TMessageButtons, TMessageIcon) {
    Shown.push_back({"message", caption, text});
    return TakeAnswer(MessageAnswers);
}

bool TScriptedUserInterface::ExecuteAddNewDialog(TDiskFormat& format) {
    Shown.push_back({"add new", "Add New", ""});
    const std::optional<TDiskFormat> answer = TakeAnswer(AddNewAnswers);
    if (!answer)
        return false;
    format = *answer;
    return true;
}

bool TScriptedUserInterface::ExecuteEnterDialog(const std::string& caption,
                                                const std::string& message, std::string& value) {
    Shown.push_back({"enter", caption, message + "\n" + value});
    const std::optional<std::string> answer = TakeAnswer(EnterAnswers);
    if (!answer)
        return false;
    value = *answer;
    return true;
}

bool TScriptedUserInterface::ExecuteFormatDialog(const std::string& fileName,
                                                 const std::vector<std::string>& formats,
                                                 int& index) {
    std::string text = fileName;
    for (size_t i = 0; i < formats.size(); ++i)
        text += (static_cast<int>(i) == index ? "\n* " : "\n  ") + formats[i];
    Shown.push_back({"format", "Disk Format", text});
    const std::optional<int> answer = TakeAnswer(FormatAnswers);
    if (!answer)
        return false;
    index = *answer;
    return true;
}

void TScriptedUserInterface::ShowFindings(const std::string& caption,
                                          const std::vector<TFindingItem>& findings,
                                          const std::function<void(int row)>& select) {
    Shown.push_back({"findings", caption, std::to_string(findings.size())});
    FindingsSeen = findings;
    for (const int row : FindingChoices)
        select(row);
}

void TScriptedUserInterface::ShowIdentification(const std::string& caption,
                                                const std::vector<TIdentifiedItem>& items,
                                                const std::function<void(int row)>& select) {
    Shown.push_back({"identification", caption, std::to_string(items.size())});
    IdentifiedSeen = items;
    for (const int row : IdentifiedChoices)
        select(row);
}

bool TScriptedUserInterface::EditSoftwareLists(TSoftwareListsSetup& setup,
                                               const TSoftwareListsStatus& status) {
    std::string shown = setup.MameFolder + "\n";
    for (const std::string& path : setup.Lists)
        shown += path + "\n";
    Shown.push_back({"lists", "Software Lists", shown});
    ListsStatusSeen = status;
    const std::optional<TSoftwareListsSetup> answer = TakeAnswer(ListsAnswers);
    if (!answer)
        return false;
    setup = *answer;
    return true;
}

std::unique_ptr<TProgressView> TScriptedUserInterface::ShowProgress(const std::string& caption,
                                                                    const std::string& text) {
    class TScriptedProgress : public TProgressView {
    public:
        explicit TScriptedProgress(TScriptedUserInterface& owner) : FOwner(owner) {}
        bool Step(size_t done, size_t total) override {
            FOwner.ProgressSteps.emplace_back(done, total);
            return !FOwner.StopProgressAt || done < *FOwner.StopProgressAt;
        }

    private:
        TScriptedUserInterface& FOwner;
    };
    Shown.push_back({"progress", caption, text});
    return std::make_unique<TScriptedProgress>(*this);
}

void TScriptedUserInterface::ShowAudit(const std::string& caption, const std::string& summary,
                                       const std::vector<TAuditLine>& lines,
                                       const std::function<void(const TAuditLine&)>& open,
                                       const std::function<void()>& saveMissing) {
    Shown.push_back({"audit", caption, summary});
    AuditSummarySeen = summary;
    AuditSeen = lines;
    for (const size_t index : AuditChoices)
        open(lines.at(index));
    if (AuditSavesMissing) {
        if (!saveMissing)
            throw EUnansweredError(UnansweredMessage);
        saveMissing();
    }
}

bool TScriptedUserInterface::OpenDocument(const std::string& path) {
    Shown.push_back({"open", "", path});
    return TakeAnswer(OpenDocumentAnswers);
}

TConflictAnswer TScriptedUserInterface::AskConflict(const std::string&, const std::string& text,
                                                    bool more) {
    Shown.push_back({"conflict", more ? "more" : "", text});
    return TakeAnswer(ConflictAnswers);
}
