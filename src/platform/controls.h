// Control objects: the dialog's lists, edit boxes and pictures as plain C++
// objects holding 8-bit texts, with the semantics the dialog logic relies on.
//
// The program's own changes raise no notification to the dialog. Every change
// is reported to an optional observer (the on-screen view), which mirrors it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/bitmap.h"

namespace qm {

class CControl;

// What changed in a control, for the view that mirrors it.
enum class ControlChange {
    Reset,          // all items removed
    ItemInserted,   // an item inserted at `index`
    ItemsAdded,     // several items inserted at their sorted places
    Selection,      // the selection became `index` (-1: none)
    Text,           // the window text changed
    Image,          // the picture changed
    Focus,          // the program gave the control the keyboard focus
};

class ControlObserver {
public:
    virtual ~ControlObserver() = default;
    virtual void ControlChanged(CControl& control, ControlChange change, int index) = 0;
};

// Base of every control wrapper: the control id it is bound to and the
// observer of its changes.
class CControl {
public:
    CControl() = default;
    CControl(const CControl&) = delete;
    CControl& operator=(const CControl&) = delete;
    virtual ~CControl() = default;

    int GetDlgCtrlID() const { return id_; }
    bool IsBound() const { return id_ != 0; }
    // Binds the wrapper to control `id`; a wrapper already bound stays as it is.
    void Bind(int id) {
        if (id_ == 0) id_ = id;
    }

    void SetObserver(ControlObserver* observer) { observer_ = observer; }
    // The program puts the keyboard focus here.
    void SetFocus() { Notify(ControlChange::Focus, -1); }

protected:
    void Notify(ControlChange change, int index) {
        if (observer_ != nullptr) observer_->ControlChanged(*this, change, index);
    }

private:
    int id_ = 0;
    ControlObserver* observer_ = nullptr;
};

// A sorted list of 8-bit items with at most one selected: the common part of
// the sorted drop-down list and the sorted list box. Items are ordered by
// CompareNoCase; a new item goes after the items it equals.
class SortedItemList : public CControl {
public:
    int GetCount() const { return static_cast<int>(items_.size()); }
    // The selected index, or -1.
    int GetCurSel() const { return selection_; }
    // Selects `index`; an index outside the list leaves nothing selected.
    // Returns the new selection (-1 when none). Raises no notification.
    int SetCurSel(int index);
    // The whole text of item `index`; empty for an index outside the list.
    std::string GetItemText(int index) const;
    // The selected item's text, or the empty text when nothing is selected.
    std::string GetSelectedText() const { return GetItemText(selection_); }
    // Inserts at the sorted place and returns the index. The selection, if
    // any, stays on the item it was on.
    int AddString(std::string_view text);
    // Adds every text as AddString of each in turn would, in one pass: for a
    // list refilled with thousands of lines.
    void AddStrings(std::vector<std::string> texts);
    // Removes every item; nothing is selected afterwards.
    void ResetContent();
    const std::vector<std::string>& Items() const { return items_; }

private:
    std::vector<std::string> items_;
    int selection_ = -1;
};

// Sorted drop-down list without an edit field.
class CComboBox : public SortedItemList {
public:
    std::string GetLBText(int index) const { return GetItemText(index); }
    // The lowest index of an item equal to `text` without regard to case (A to
    // Z); the whole list is searched whatever `start` is. -1 when none.
    int FindStringExact(int start, std::string_view text) const;
};

// Sorted list box that reports the user's selection changes.
class CListBox : public SortedItemList {
public:
    std::string GetText(int index) const { return GetItemText(index); }
    // The index of the first item after `startAfter` whose text begins with
    // `prefix` without regard to case (A to Z), going on from the top after
    // the last item and ending with `startAfter` itself; -1 (or any index
    // outside the list) searches from the top. -1 when no item matches or
    // `prefix` is empty.
    int FindString(int startAfter, std::string_view prefix) const;
    // Selects the item FindString finds and returns its index; when none
    // matches, the selection stays as it was and -1 is returned. Raises no
    // notification.
    int SelectString(int startAfter, std::string_view prefix);
};

// One-line edit box without a length limit.
class CEdit : public CControl {
public:
    // At most count - 1 bytes of the text (count 0 gives nothing).
    std::string GetWindowText(int count) const;
    const std::string& Text() const { return text_; }
    void SetWindowText(std::string_view text);

private:
    std::string text_;
};

// Picture showing a bitmap at the bitmap's own size.
class CStatic : public CControl {
public:
    // The picture shows `bitmap`, or nothing for null.
    void SetBitmap(BitmapHandle bitmap);
    const BitmapHandle& GetBitmap() const { return bitmap_; }

private:
    BitmapHandle bitmap_;
};

}  // namespace qm
