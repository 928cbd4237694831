#include "app/quillmarsh_app.h"

#include "ui/quillmarsh_dlg.h"

namespace qm {

namespace {
// The dialog library's help command; the program has no help of its own.
constexpr int ID_HELP = 57670;

constexpr MessageMapEntry kEntries[] = {
    {WM_COMMAND, ID_HELP, 0, &MessageThunk<&CWinApp::OnHelp>},
};
}  // namespace

const MessageMap CQuillmarshApp::messageMap{&CWinApp::messageMap, kEntries, std::size(kEntries)};

const MessageMap* CQuillmarshApp::GetMessageMap() const { return &messageMap; }

bool CQuillmarshApp::InitInstance() {
    InitCommonControls();
    CWinApp::InitInstance();
    EnableControlContainer();
    SetRegistryKey("Local AppWizard-Generated Applications");
    {
        CQuillmarshDlg dialog(nullptr);
        mainWindow = &dialog;
        dialog.DoModal();
        mainWindow = nullptr;
    }
    return false;
}

}  // namespace qm
