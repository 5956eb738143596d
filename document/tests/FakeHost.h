#pragma once

// A document host that records what the document asks of the framework: messages, reports,
// the title, the wait cursor and window drawing (which must end balanced), the placement and
// the positions selected. The save dialog answers `saveAnswer`.

#include "document/DocPos.h"
#include "document/DocumentHost.h"
#include "platform/Exceptions.h"

#include <optional>
#include <string>
#include <vector>

namespace fakes {

class Host final : public DocumentHost {
public:
    struct Report {
        std::string path;
        std::string what;
        bool saving;
        Prompt prompt;
    };
    struct Dialog {
        std::string extension, proposed, filter;
    };

    std::string GetTitle() const override { return title; }
    void SetTitle(const std::string& text) override { title = text; }
    void UpdateFrameCounts() override { ++frameUpdates; }
    std::string GetPathName() const override { return path; }
    bool IsModified() const override { return modified; }
    void SetModified(bool flag) override { modified = flag; }

    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void ReportSaveLoadError(const std::string& file, const platform::Exception& error, bool saving,
                             Prompt prompt) override {
        reports.push_back({file, error.what(), saving, prompt});
    }
    std::optional<std::string> AskSaveFileName(const std::string& extension,
                                               const std::string& proposed,
                                               const std::string& filter) override {
        dialogs.push_back({extension, proposed, filter});
        return saveAnswer;
    }

    void BeginWaitCursor() override { ++waitDepth; }
    void EndWaitCursor() override { --waitDepth; }
    void BeginWindowDraw() override {
        ++drawDepth;
        ++drawCount;
    }
    void EndWindowDraw() override { --drawDepth; }

    Rect GetFramePlacement() const override { return placement; }
    void SetFramePlacement(const Rect& rect) override { placement = rect; }
    void SelectPosition(const DocPos& pos) override { selected.push_back(pos); }
    void ShowBody() override { ++bodiesShown; }

    std::string title;
    std::string path;
    bool modified = false;
    int frameUpdates = 0;
    std::vector<std::string> messages;
    std::vector<Report> reports;
    std::vector<Dialog> dialogs;
    std::optional<std::string> saveAnswer;
    int waitDepth = 0;
    int drawDepth = 0;
    int drawCount = 0;
    Rect placement{0, 0, 600, 480};
    std::vector<DocPos> selected;
    int bodiesShown = 0;
};

} // namespace fakes
