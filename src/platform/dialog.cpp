#include "platform/dialog.h"

#include <string>

namespace qm {

// ---- Run-time classes and message maps ----------------------------------------

const CRuntimeClass CObject::classCObject{"CObject", sizeof(CObject), 0xFFFF, nullptr, nullptr};

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

const MessageMap CCmdTarget::messageMap{nullptr, nullptr, 0};

const MessageMap* CCmdTarget::GetMessageMap() const { return &messageMap; }

namespace {

bool EntryMatches(const MessageMapEntry& entry, const Message& message) {
    if (entry.message != message.message) return false;
    if (message.message != WM_COMMAND) return true;
    const int id = static_cast<int>(message.wParam & 0xFFFF);
    const int code = static_cast<int>((message.wParam >> 16) & 0xFFFF);
    return entry.id == id && entry.code == code;
}

}  // namespace

const MessageMapEntry* CCmdTarget::FindMessageEntry(const Message& message) const {
    for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base)
        for (std::size_t i = 0; i < map->count; ++i)
            if (EntryMatches(map->entries[i], message)) return &map->entries[i];
    return nullptr;
}

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXICON:
        case SM_CYICON:
            return 32;
        default:
            return 0;
    }
}

// ---- Menus ----------------------------------------------------------------------

bool CMenu::AppendMenuA(unsigned flags, unsigned id, std::string_view text) {
    items_.push_back({flags, id, (flags & MF_SEPARATOR) ? std::string() : std::string(text)});
    return true;
}

// ---- Dialogs --------------------------------------------------------------------

namespace {
constexpr MessageMapEntry kDialogEntries[] = {
    {WM_COMMAND, IDOK, BN_CLICKED, &MessageThunk<&CDialog::OnOK>},
    {WM_COMMAND, IDCANCEL, BN_CLICKED, &MessageThunk<&CDialog::OnCancel>},
};
}  // namespace

const MessageMap CDialog::messageMap{&CCmdTarget::messageMap, kDialogEntries, std::size(kDialogEntries)};
const CRuntimeClass CDialog::classCDialog{"CDialog", sizeof(CDialog), 0xFFFF, nullptr, &CObject::classCObject};

const MessageMap* CDialog::GetMessageMap() const { return &messageMap; }
const CRuntimeClass* CDialog::GetRuntimeClass() const { return &classCDialog; }

CDialog::CDialog(int templateId, CDialog* parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() = default;

std::intptr_t CDialog::DoModal() { return CurrentHost().RunModal(*this); }

bool CDialog::OnInitDialog() {
    UpdateData();
    return true;
}

void CDialog::DoDataExchange(CDataExchange* /*exchange*/) {}

void CDialog::OnOK() {
    UpdateData();
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(std::intptr_t result) {
    result_ = result;
    if (peer_ != nullptr) peer_->ModalEnded(result);
}

void CDialog::UpdateData() {
    CDataExchange exchange(*this);
    DoDataExchange(&exchange);
}

void DDX_Control(CDataExchange* exchange, int id, CControl& control) {
    control.Bind(id);
    exchange->Dialog().controls_.emplace(control.GetDlgCtrlID(), &control);
    if (WindowPeer* peer = exchange->Dialog().Peer()) peer->ControlBound(control);
}

CControl* CDialog::FindControl(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

int CDialog::MessageBox(std::string_view text, std::string_view caption, unsigned type) {
    return CurrentHost().ShowMessageBox(this, text, caption, type);
}

std::intptr_t CDialog::Dispatch(const Message& message) {
    ProfileAction action;
    const std::intptr_t result = DispatchInAction(message);
    ReportFailuresOf(action);
    return result;
}

void CDialog::ReportFailuresOf(ProfileAction& action) {
    const std::vector<SaveFailure> failures = action.End();
    if (!failures.empty()) ReportSaveFailures(failures);
}

std::intptr_t CDialog::DispatchInAction(const Message& message) {
    if (const MessageMapEntry* entry = FindMessageEntry(message)) return entry->handler(*this, message);
    return DefWindowProc(message);
}

std::intptr_t CDialog::SendMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    return DispatchInAction({message, wParam, lParam});
}

std::intptr_t CDialog::DefWindowProc(const Message& message) {
    switch (message.message) {
        case WM_SYSCOMMAND:
            // The standard Close command of the window menu and the close box.
            if ((message.wParam & 0xFFF0) == SC_CLOSE)
                return DispatchInAction(CommandMessage(IDCANCEL, BN_CLICKED));
            return 0;
        case WM_SETICON: {
            const auto* icon = reinterpret_cast<const IconHandle*>(message.lParam);
            SetIcon(icon != nullptr ? *icon : IconHandle(), message.wParam == ICON_BIG);
            return 0;
        }
        default:
            return 0;
    }
}

void CDialog::ReportSaveFailures(const std::vector<SaveFailure>& failures) {
    for (const SaveFailure& failure : failures)
        MessageBox("Could not save the file\n" + failure.path + "\n" + failure.reason, "Error",
                   MB_ICONEXCLAMATION);
}

CMenu* CDialog::GetSystemMenu(bool revert) {
    if (!running_) return nullptr;
    if (revert || !systemMenu_) {
        systemMenu_.emplace();
        systemMenu_->AppendMenuA(MF_STRING, SC_CLOSE, "&Close");
    }
    return &*systemMenu_;
}

void CDialog::SetIcon(IconHandle icon, bool big) {
    (big ? bigIcon_ : smallIcon_) = std::move(icon);
    if (peer_ != nullptr) peer_->IconChanged();
}

bool CDialog::IsIconic() const { return peer_ != nullptr && peer_->IsIconic(); }

Rect CDialog::GetClientRect() const { return peer_ != nullptr ? peer_->GetClientRect() : Rect{}; }

void CDialog::BeginModalRun(WindowPeer* peer) {
    peer_ = peer;
    running_ = true;
    result_.reset();
    systemMenu_.reset();
}

bool CDialog::InitDialogForRun() {
    ProfileAction action;
    const bool result = OnInitDialog();
    ReportFailuresOf(action);
    return result;
}

void CDialog::EndModalRun() {
    running_ = false;
    peer_ = nullptr;
    if (!result_) result_ = -1;
}

void CPaintDC::DrawIcon(int x, int y, const IconHandle& icon) {
    if (dialog_ != nullptr && dialog_->Peer() != nullptr) dialog_->Peer()->DrawIcon(x, y, icon);
}

// ---- The host ---------------------------------------------------------------------

namespace {

// Before a host is installed nothing can be shown.
class NoHost final : public Host {
public:
    int ShowMessageBox(CDialog*, std::string_view, std::string_view, unsigned) override { return 0; }
    std::intptr_t RunModal(CDialog&) override { return -1; }
};

Host*& InstalledHost() {
    static Host* host = nullptr;
    return host;
}

}  // namespace

Host& CurrentHost() {
    static NoHost none;
    Host* host = InstalledHost();
    return host != nullptr ? *host : none;
}

void SetHost(Host* host) { InstalledHost() = host; }

// ---- The application ----------------------------------------------------------------

namespace {
CWinApp*& TheApp() {
    static CWinApp* app = nullptr;
    return app;
}
}  // namespace

const MessageMap CWinApp::messageMap{&CCmdTarget::messageMap, nullptr, 0};

const MessageMap* CWinApp::GetMessageMap() const { return &messageMap; }

CWinApp::CWinApp() { TheApp() = this; }

CWinApp::~CWinApp() {
    if (TheApp() == this) TheApp() = nullptr;
}

bool CWinApp::InitInstance() { return true; }

int CWinApp::ExitInstance() { return 0; }

CWinApp* CWinApp::Current() { return TheApp(); }

int AfxWinMain() {
    CWinApp* app = CWinApp::Current();
    if (app == nullptr) return 1;
    if (!app->InitInstance()) return app->ExitInstance();
    // The program runs its whole life inside InitInstance; an application
    // that asked for a message loop has nothing more to run here.
    return app->ExitInstance();
}

void InitCommonControls() {}

}  // namespace qm
