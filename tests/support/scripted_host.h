// A host for headless runs: message boxes are answered from a script and
// recorded, modal dialogs are run by scripts, and a test drives a dialog the
// way a person would (pick, type, click) through the same dispatch the window
// uses.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog.h"

namespace qm {

class ScriptedHost : public Host {
public:
    struct Box {
        std::string text;
        std::string caption;
        unsigned type = 0;
        int answer = 0;
        friend bool operator==(const Box&, const Box&) = default;
    };
    // What a modal run does once its dialog is initialised: drive it, usually
    // to its end. A run its script leaves open ends as if its close box was
    // used (WM_SYSCOMMAND SC_CLOSE), and if even that leaves it open, with -1.
    using ModalScript = std::function<void(CDialog&)>;

    ScriptedHost();   // installs itself as the current host
    ~ScriptedHost() override;  // restores the host that was current before

    // The answer to the next box. Boxes without a scripted answer get IDOK
    // when OK is their only button; any other box then answers 0 (not shown).
    void AnswerNextBox(int answer) { answers_.push_back(answer); }
    // The script of the next modal run. A run without one fails with -1.
    void OnNextModal(ModalScript script) { scripts_.push_back(std::move(script)); }
    // Make the next modal run fail to show (DoModal gives -1).
    void FailNextModal() { scripts_.push_back(nullptr); }

    // Opens `dialog` as its modal run would, without waiting for its end: the
    // test then drives it and looks at HasEnded()/ModalResult(). Returns what
    // OnInitDialog returned.
    bool Open(CDialog& dialog);
    // Ends what Open began.
    void Close(CDialog& dialog);

    const std::vector<Box>& Boxes() const { return boxes_; }
    void ClearBoxes() { boxes_.clear(); }
    int PendingAnswers() const { return static_cast<int>(answers_.size()); }
    int ModalRuns() const { return modalRuns_; }

    int ShowMessageBox(CDialog* owner, std::string_view text, std::string_view caption,
                       unsigned type) override;
    std::intptr_t RunModal(CDialog& dialog) override;

private:
    Host* previous_;
    std::deque<int> answers_;
    std::deque<ModalScript> scripts_;
    std::vector<Box> boxes_;
    int modalRuns_ = 0;
};

// What a person does to a dialog: each is dispatched as the window would.
// A pick of the list item `index` in list `id`.
void PickItem(CDialog& dialog, int id, int index);
// A pick of the first item whose text is `text` (fails with false when none).
bool PickText(CDialog& dialog, int id, std::string_view text);
void TypeText(CDialog& dialog, int id, std::string_view text);
void ClickButton(CDialog& dialog, int id);
void PressEnter(CDialog& dialog);   // IDOK
void PressEscape(CDialog& dialog);  // IDCANCEL
void CloseBox(CDialog& dialog);     // the window's close box
void SystemCommand(CDialog& dialog, unsigned command);

}  // namespace qm
