#include "platform/wx/wx_host.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <set>
#include <thread>

#include <wx/app.h>
#include <wx/msgdlg.h>

#include "platform/wx/wx_codec.h"
#include "platform/wx/wx_view.h"

namespace qm {

namespace {

long ButtonStyle(unsigned type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return wxOK | wxCANCEL;
        case MB_YESNO:
            return wxYES_NO | wxYES_DEFAULT;
        default:
            return wxOK;
    }
}

long IconStyle(unsigned type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONINFORMATION:
            return wxICON_INFORMATION;
        case MB_ICONEXCLAMATION:
            return wxICON_EXCLAMATION;
        default:
            return wxICON_NONE;
    }
}

// The box's answer; a box closed without a button (Escape, its close box)
// answers as its No or Cancel button.
int Answer(unsigned type, int wxAnswer) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return wxAnswer == wxID_OK ? IDOK : IDCANCEL;
        case MB_YESNO:
            return wxAnswer == wxID_YES ? IDYES : IDNO;
        default:
            return IDOK;
    }
}

// A dialog's initialisation (its OnInitDialog: for the main window the
// aircraft folder's scan and the category file's load) on a thread of its
// own, while the toolkit's thread builds the window from the template: the
// two take about as long as each other on a large installation, and the
// window needs neither's result until it attaches the controls. What the
// initialisation asks of the toolkit (a message box, a modal run) it asks
// through OnToolkitThread, which waits until Wait runs it there.
class BackgroundInit {
public:
    explicit BackgroundInit(CDialog& dialog)
        : thread_([this, &dialog] {
              current_ = this;
              try {
                  result_ = dialog.InitDialogForRun();
              } catch (...) {
                  failure_ = std::current_exception();
              }
              const std::lock_guard<std::mutex> lock(mutex_);
              done_ = true;
              changed_.notify_all();
          }) {}
    ~BackgroundInit() {
        if (thread_.joinable()) Serve();
    }
    BackgroundInit(const BackgroundInit&) = delete;
    BackgroundInit& operator=(const BackgroundInit&) = delete;

    // The initialisation whose thread this is, or null.
    static BackgroundInit* OfThisThread() { return current_; }

    // Runs `call` on the toolkit's thread and answers its result.
    template <class Call>
    auto OnToolkitThread(Call call) {
        decltype(call()) result{};
        std::function<void()> request = [&] { result = call(); };
        std::unique_lock<std::mutex> lock(mutex_);
        request_ = &request;
        changed_.notify_all();
        changed_.wait(lock, [this] { return request_ == nullptr; });
        return result;
    }

    // Runs what the initialisation asks of the toolkit until it has ended;
    // answers OnInitDialog's result, or throws what it threw.
    bool Wait() {
        Serve();
        if (failure_) std::rethrow_exception(failure_);
        return result_;
    }

private:
    void Serve() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!done_) {
            changed_.wait(lock, [this] { return done_ || request_ != nullptr; });
            if (request_ == nullptr) continue;
            lock.unlock();
            (*request_)();
            lock.lock();
            request_ = nullptr;
            changed_.notify_all();
        }
        lock.unlock();
        thread_.join();
    }

    static thread_local BackgroundInit* current_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()>* request_ = nullptr;
    bool done_ = false;
    bool result_ = false;
    std::exception_ptr failure_;
    std::thread thread_;  // last: it starts once the rest is made
};

thread_local BackgroundInit* BackgroundInit::current_ = nullptr;

// The dialog's window while it initialises: the wrappers bound meanwhile are
// watched, so that a picture the dialog set and the focus it gave reach the
// window once it is built; from then on everything goes to the view.
class EarlyPeer final : public WindowPeer, private ControlObserver {
public:
    ~EarlyPeer() override { Release(); }

    void HandTo(DialogView& view) {
        Release();
        view_ = &view;
    }
    const std::set<const CControl*>& PicturesSet() const { return pictures_; }
    const CControl* Focus() const { return focus_; }

    void ModalEnded(std::intptr_t result) override {
        if (view_ != nullptr) view_->ModalEnded(result);
    }
    void ControlBound(CControl& control) override {
        if (view_ != nullptr) {
            view_->ControlBound(control);
            return;
        }
        control.SetObserver(this);
        watched_.push_back(&control);
    }
    void IconChanged() override {
        if (view_ != nullptr) view_->IconChanged();
    }
    bool IsIconic() const override { return view_ != nullptr && view_->IsIconic(); }
    Rect GetClientRect() const override { return view_ != nullptr ? view_->GetClientRect() : Rect{}; }
    void DrawIcon(int x, int y, const IconHandle& icon) override {
        if (view_ != nullptr) view_->DrawIcon(x, y, icon);
    }

private:
    void ControlChanged(CControl& control, ControlChange change, int /*index*/) override {
        if (change == ControlChange::Focus) focus_ = &control;
        if (change == ControlChange::Image) pictures_.insert(&control);
    }
    void Release() {
        for (CControl* control : watched_) control->SetObserver(nullptr);
        watched_.clear();
    }

    DialogView* view_ = nullptr;
    std::vector<CControl*> watched_;
    std::set<const CControl*> pictures_;
    const CControl* focus_ = nullptr;
};

}  // namespace

int WxHost::ShowMessageBox(CDialog* owner, std::string_view text, std::string_view caption, unsigned type) {
    if (BackgroundInit* init = BackgroundInit::OfThisThread())
        return init->OnToolkitThread([&] { return ShowMessageBox(owner, text, caption, type); });
    if (wxTheApp == nullptr) return 0;
    wxWindow* parent = owner != nullptr ? WindowOf(*owner) : nullptr;
    if (parent == nullptr) parent = TopWindow();
    wxMessageDialog box(parent, FromCp1252(text), FromCp1252(caption), ButtonStyle(type) | IconStyle(type) | wxCENTRE);
    return Answer(type, box.ShowModal());
}

std::intptr_t WxHost::RunModal(CDialog& dialog) {
    if (BackgroundInit* init = BackgroundInit::OfThisThread())
        return init->OnToolkitThread([&] { return RunModal(dialog); });
    if (wxTheApp == nullptr) return -1;
    const DialogTemplate* dialogTemplate = FindDialogTemplate(dialog.TemplateId());
    if (dialogTemplate == nullptr) return -1;
    wxWindow* parent = dialog.Parent() != nullptr ? WindowOf(*dialog.Parent()) : nullptr;
    if (parent == nullptr) parent = TopWindow();

    EarlyPeer peer;
    dialog.BeginModalRun(&peer);
    bool focusFirstTabStop = false;
    {
        BackgroundInit init(dialog);
        DialogView view(*this, dialog, *dialogTemplate, parent);
        running_.push_back(&view);
        struct Leave {
            std::vector<DialogView*>& running;
            ~Leave() { running.pop_back(); }
        } leave{running_};
        focusFirstTabStop = init.Wait();
        peer.HandTo(view);
        view.Run(focusFirstTabStop, peer.PicturesSet(), peer.Focus());
    }
    dialog.EndModalRun();
    return dialog.ModalResult();
}

wxDialog* WxHost::WindowOf(const CDialog& dialog) const {
    for (DialogView* view : running_)
        if (&view->Dialog() == &dialog) return &view->Window();
    return nullptr;
}

wxDialog* WxHost::TopWindow() const { return running_.empty() ? nullptr : &running_.back()->Window(); }

void WxHost::WindowShown(DialogView& view) {
    if (onShown_) onShown_(view.Window(), view.Dialog());
}

int WxHost::ChooseFromMenu(wxWindow& window, wxMenu& menu) {
    if (menuChooser_) return menuChooser_(window, menu);
    return window.GetPopupMenuSelectionFromUser(menu);
}

}  // namespace qm
