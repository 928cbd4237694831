// The dialog library: message maps and dispatch, modal dialogs, the
// application object, and the Host through which a dialog reaches the person
// (message boxes and modal runs). The same code path serves the real window
// (platform/wx) and the headless tests (tests/support/scripted_host.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/bitmap.h"
#include "platform/controls.h"
#include "platform/dialog_template.h"
#include "platform/profile.h"

namespace qm {

// ---- Messages, commands and answers, with the platform's values ----------

inline constexpr unsigned WM_PAINT = 0x000F;
inline constexpr unsigned WM_ICONERASEBKGND = 0x0027;
inline constexpr unsigned WM_QUERYDRAGICON = 0x0037;
inline constexpr unsigned WM_SETICON = 0x0080;
inline constexpr unsigned WM_COMMAND = 0x0111;
inline constexpr unsigned WM_SYSCOMMAND = 0x0112;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_TYPEMASK = 0xF;
inline constexpr unsigned MB_ICONMASK = 0xF0;

inline constexpr int BN_CLICKED = 0;
inline constexpr int CBN_SELCHANGE = 1;
inline constexpr int LBN_SELCHANGE = 1;

inline constexpr unsigned SC_CLOSE = 0xF060;
inline constexpr std::uintptr_t ICON_SMALL = 0;
inline constexpr std::uintptr_t ICON_BIG = 1;

inline constexpr unsigned MF_STRING = 0x0;
inline constexpr unsigned MF_SEPARATOR = 0x800;

inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;

// The size of an icon as the desktop draws it.
int GetSystemMetrics(int index);

struct Message {
    unsigned message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// WM_COMMAND carries the control id in the low word and the notification
// code in the high word of wParam.
constexpr std::uintptr_t MakeCommandParam(int id, int code) {
    return (static_cast<std::uintptr_t>(static_cast<std::uint16_t>(code)) << 16) |
           static_cast<std::uint16_t>(id);
}
constexpr Message CommandMessage(int id, int code) { return {WM_COMMAND, MakeCommandParam(id, code), 0}; }

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// ---- Run-time class records and message maps ------------------------------

class CObject;

struct CRuntimeClass {
    const char* className;
    std::size_t objectSize;
    unsigned schema;
    CObject* (*createObject)();
    const CRuntimeClass* baseClass;
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    static const CRuntimeClass classCObject;
};

class CCmdTarget;
using MessageHandler = std::intptr_t (*)(CCmdTarget& target, const Message& message);

// One entry: a message (and for WM_COMMAND a control id and notification
// code) and the handler it goes to. id and code are ignored for other
// messages.
struct MessageMapEntry {
    unsigned message;
    int id;
    int code;
    MessageHandler handler;
};

struct MessageMap {
    const MessageMap* base;
    const MessageMapEntry* entries;
    std::size_t count;
};

// Adapts a member function to a MessageHandler. Accepted shapes:
//   void ()            for commands, notifications and WM_PAINT
//   void (unsigned, std::intptr_t)   for WM_SYSCOMMAND (command, lParam)
//   R ()               returning a handle-like value (WM_QUERYDRAGICON)
template <auto Method>
std::intptr_t MessageThunk(CCmdTarget& target, const Message& message);

class CCmdTarget : public CObject {
public:
    virtual const MessageMap* GetMessageMap() const;
    static const MessageMap messageMap;

    // The map entry for `message` in this object's map or its bases, or null.
    const MessageMapEntry* FindMessageEntry(const Message& message) const;
};

template <auto Method>
std::intptr_t MessageThunk(CCmdTarget& target, const Message& message) {
    using Pointer = decltype(Method);
    return []<class C, class R, class... A>(R (C::*)(A...), CCmdTarget& t, const Message& m) -> std::intptr_t {
        C& object = static_cast<C&>(t);
        if constexpr (sizeof...(A) == 0) {
            if constexpr (std::is_void_v<R>) {
                (object.*Method)();
                return 0;
            } else {
                return reinterpret_cast<std::intptr_t>((object.*Method)());
            }
        } else {
            static_assert(sizeof...(A) == 2, "handler takes (unsigned, std::intptr_t)");
            (object.*Method)(static_cast<unsigned>(m.wParam), m.lParam);
            return 0;
        }
    }(Pointer{Method}, target, message);
}

// ---- Menus ------------------------------------------------------------------

struct MenuItem {
    unsigned flags = 0;
    unsigned id = 0;
    std::string text;
};

class CMenu {
public:
    bool AppendMenuA(unsigned flags, unsigned id, std::string_view text);
    const std::vector<MenuItem>& Items() const { return items_; }

private:
    std::vector<MenuItem> items_;
};

// ---- Dialogs ----------------------------------------------------------------

class CDialog;

// Binds control wrappers to their controls during the data exchange.
class CDataExchange {
public:
    explicit CDataExchange(CDialog& dialog) : dialog_(dialog) {}
    CDialog& Dialog() const { return dialog_; }

private:
    CDialog& dialog_;
};

// Binds `control` to the dialog's control `id`; a wrapper already bound stays
// as it is.
void DDX_Control(CDataExchange* exchange, int id, CControl& control);

// The on-screen side of a dialog while its modal run lasts (the wx window, or
// nothing headless). Every call has a headless default.
class WindowPeer {
public:
    virtual ~WindowPeer() = default;
    virtual void ModalEnded(std::intptr_t /*result*/) {}
    // A control wrapper was bound to its control (DDX_Control during the run).
    virtual void ControlBound(CControl& /*control*/) {}
    virtual void IconChanged() {}
    virtual bool IsIconic() const { return false; }
    virtual Rect GetClientRect() const { return {}; }
    virtual void DrawIcon(int /*x*/, int /*y*/, const IconHandle& /*icon*/) {}
};

class CDialog : public CCmdTarget {
public:
    // `parent` may be null: the dialog then runs over the application's main
    // window.
    CDialog(int templateId, CDialog* parent);
    ~CDialog() override;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCDialog;

    // Runs the dialog modally through the host. Returns the value given to
    // EndDialog, or -1 when the dialog could not be shown.
    std::intptr_t DoModal();

    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange* exchange);
    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(std::intptr_t result);
    // Runs the data exchange. The program's exchanges only bind controls
    // (DDX_Control) and move no values, so loading and saving are one call
    // that cannot fail.
    void UpdateData();

    // A message box owned by this dialog, through the host. Returns the
    // button pressed (IDOK, IDCANCEL, IDYES, IDNO) or 0 when it could not be
    // shown.
    int MessageBox(std::string_view text, std::string_view caption, unsigned type);

    // Handles one message as one user action: finds the entry of the message
    // map (or the default handling) and runs it. When the outermost action
    // ends, every file it changed is saved, and a failed save is reported with
    // ReportSaveFailures.
    std::intptr_t Dispatch(const Message& message);
    // Sends a message to the dialog itself within the current action.
    std::intptr_t SendMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    // The platform's default handling of a message the map does not take:
    // WM_SYSCOMMAND SC_CLOSE becomes IDCANCEL; WM_SETICON sets the icon.
    virtual std::intptr_t DefWindowProc(const Message& message);

    // The base painting of a dialog that is not minimised (nothing to do).
    void OnPaint() {}

    // The window's own copy of its system menu; null when it has none (before
    // the window exists).
    CMenu* GetSystemMenu(bool revert);
    IconHandle GetIcon(bool big) const { return big ? bigIcon_ : smallIcon_; }
    void SetIcon(IconHandle icon, bool big);
    bool IsIconic() const;
    Rect GetClientRect() const;

    int TemplateId() const { return templateId_; }
    CDialog* Parent() const { return parent_; }
    // The control wrapper bound to `id`, or null.
    CControl* FindControl(int id) const;

    // Modal-run state, for hosts.
    void BeginModalRun(WindowPeer* peer);
    bool InitDialogForRun();  // OnInitDialog as one user action
    bool HasEnded() const { return result_.has_value(); }
    std::intptr_t ModalResult() const { return result_.value_or(-1); }
    void EndModalRun();
    WindowPeer* Peer() const { return peer_; }

protected:
    // Shows the files an action could not save, each in a box "Could not
    // save the file\n<path>\n<reason>", caption "Error", exclamation icon.
    // A dialog that shows what a file holds reloads it here: the store has
    // dropped the unsaved change.
    virtual void ReportSaveFailures(const std::vector<SaveFailure>& failures);

private:
    friend void DDX_Control(CDataExchange*, int, CControl&);
    std::intptr_t DispatchInAction(const Message& message);
    void ReportFailuresOf(ProfileAction& action);

    int templateId_;
    CDialog* parent_;
    std::map<int, CControl*> controls_;
    std::optional<CMenu> systemMenu_;
    IconHandle bigIcon_;
    IconHandle smallIcon_;
    std::optional<std::intptr_t> result_;
    WindowPeer* peer_ = nullptr;
    bool running_ = false;
};

// Paint context of a dialog window.
class CPaintDC {
public:
    explicit CPaintDC(CDialog* dialog) : dialog_(dialog) {}
    std::uintptr_t GetSafeHdc() const { return reinterpret_cast<std::uintptr_t>(this); }
    void DrawIcon(int x, int y, const IconHandle& icon);

private:
    CDialog* dialog_;
};

// ---- The person at the screen ------------------------------------------------

class Host {
public:
    virtual ~Host() = default;
    // Shows a modal message box owned by `owner` (may be null). Returns the
    // button pressed, or 0 when the box cannot be shown.
    virtual int ShowMessageBox(CDialog* owner, std::string_view text, std::string_view caption,
                               unsigned type) = 0;
    // Creates the dialog's window from its template, binds and initialises it
    // (InitDialogForRun), runs until EndDialog and destroys the window.
    // Returns the dialog's result, or -1 when it cannot be shown.
    virtual std::intptr_t RunModal(CDialog& dialog) = 0;
};

// The process's host. Before one is set, message boxes answer 0 and modal
// runs fail with -1.
Host& CurrentHost();
void SetHost(Host* host);

// ---- The application ----------------------------------------------------------

class CWinApp : public CCmdTarget {
public:
    CWinApp();
    ~CWinApp() override;

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;

    virtual bool InitInstance();
    virtual int ExitInstance();
    void OnHelp() {}
    // Where the platform would keep the application's settings; the program
    // keeps none, so nothing is stored.
    void SetRegistryKey(std::string_view /*key*/) {}
    void EnableControlContainer() {}

    // The dialog that runs as the application's main window, while it runs.
    CDialog* mainWindow = nullptr;

    static CWinApp* Current();
};

// The application entry: calls the one application object's InitInstance; on
// false, runs its exit processing and returns the exit status (0).
int AfxWinMain();

// Common controls are ready once this has run (the wx host makes them so).
void InitCommonControls();

}  // namespace qm
