#include "support/scripted_host.h"

namespace qm {

ScriptedHost::ScriptedHost() : previous_(&CurrentHost()) { SetHost(this); }

ScriptedHost::~ScriptedHost() {
    if (&CurrentHost() == this) SetHost(previous_);
}

int ScriptedHost::ShowMessageBox(CDialog* /*owner*/, std::string_view text, std::string_view caption,
                                 unsigned type) {
    int answer = 0;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    } else if ((type & MB_TYPEMASK) == MB_OK) {
        answer = IDOK;
    }
    boxes_.push_back({std::string(text), std::string(caption), type, answer});
    return answer;
}

bool ScriptedHost::Open(CDialog& dialog) {
    dialog.BeginModalRun(nullptr);
    return dialog.InitDialogForRun();
}

void ScriptedHost::Close(CDialog& dialog) { dialog.EndModalRun(); }

std::intptr_t ScriptedHost::RunModal(CDialog& dialog) {
    ++modalRuns_;
    ModalScript script;
    if (!scripts_.empty()) {
        script = std::move(scripts_.front());
        scripts_.pop_front();
    }
    if (!script) return -1;
    Open(dialog);
    if (!dialog.HasEnded()) script(dialog);
    if (!dialog.HasEnded()) CloseBox(dialog);
    Close(dialog);
    return dialog.ModalResult();
}

void PickItem(CDialog& dialog, int id, int index) {
    auto* list = dynamic_cast<SortedItemList*>(dialog.FindControl(id));
    if (list == nullptr) return;
    list->SetCurSel(index);
    const int code = dynamic_cast<CListBox*>(list) != nullptr ? LBN_SELCHANGE : CBN_SELCHANGE;
    dialog.Dispatch(CommandMessage(id, code));
}

bool PickText(CDialog& dialog, int id, std::string_view text) {
    auto* list = dynamic_cast<SortedItemList*>(dialog.FindControl(id));
    if (list == nullptr) return false;
    for (int i = 0; i < list->GetCount(); ++i) {
        if (list->GetItemText(i) == text) {
            PickItem(dialog, id, i);
            return true;
        }
    }
    return false;
}

void TypeText(CDialog& dialog, int id, std::string_view text) {
    if (auto* edit = dynamic_cast<CEdit*>(dialog.FindControl(id))) edit->SetWindowText(text);
}

void ClickButton(CDialog& dialog, int id) { dialog.Dispatch(CommandMessage(id, BN_CLICKED)); }

void PressEnter(CDialog& dialog) { ClickButton(dialog, IDOK); }

void PressEscape(CDialog& dialog) { ClickButton(dialog, IDCANCEL); }

void CloseBox(CDialog& dialog) { SystemCommand(dialog, SC_CLOSE); }

void SystemCommand(CDialog& dialog, unsigned command) {
    dialog.Dispatch({WM_SYSCOMMAND, command, 0});
}

}  // namespace qm
