#include "platform/controls.h"

#include <algorithm>
#include <iterator>

#include "platform/text.h"

namespace qm {

int SortedItemList::SetCurSel(int index) {
    selection_ = (index >= 0 && index < GetCount()) ? index : -1;
    Notify(ControlChange::Selection, selection_);
    return selection_;
}

std::string SortedItemList::GetItemText(int index) const {
    if (index < 0 || index >= GetCount()) return {};
    return items_[static_cast<std::size_t>(index)];
}

int SortedItemList::AddString(std::string_view text) {
    // After every item that sorts before or equal to the new one.
    const auto place = std::upper_bound(
        items_.begin(), items_.end(), text,
        [](std::string_view value, const std::string& item) { return CompareNoCase(value, item) < 0; });
    const int index = static_cast<int>(place - items_.begin());
    items_.insert(place, std::string(text));
    if (selection_ >= index) ++selection_;
    Notify(ControlChange::ItemInserted, index);
    return index;
}

void SortedItemList::AddStrings(std::vector<std::string> texts) {
    if (texts.empty()) return;
    const auto before = [](std::string_view a, std::string_view b) { return CompareNoCase(a, b) < 0; };
    // Equal texts keep the order they came in, and follow the equal items
    // already listed: the order of adding them one by one.
    std::stable_sort(texts.begin(), texts.end(), before);
    if (selection_ >= 0) {
        const std::string& selected = items_[static_cast<std::size_t>(selection_)];
        selection_ += static_cast<int>(std::lower_bound(texts.begin(), texts.end(), selected, before) - texts.begin());
    }
    std::vector<std::string> merged;
    merged.reserve(items_.size() + texts.size());
    std::merge(std::make_move_iterator(items_.begin()), std::make_move_iterator(items_.end()),
               std::make_move_iterator(texts.begin()), std::make_move_iterator(texts.end()),
               std::back_inserter(merged), before);
    items_ = std::move(merged);
    Notify(ControlChange::ItemsAdded, -1);
}

void SortedItemList::ResetContent() {
    items_.clear();
    selection_ = -1;
    Notify(ControlChange::Reset, -1);
}

int CComboBox::FindStringExact(int /*start*/, std::string_view text) const {
    // The items are kept in CompareNoCase order, and EqualsNoCase is exactly
    // CompareNoCase == 0, so the first equal item is found by bisection.
    const auto& items = Items();
    const auto place = std::lower_bound(
        items.begin(), items.end(), text,
        [](const std::string& item, std::string_view value) { return CompareNoCase(item, value) < 0; });
    if (place == items.end() || CompareNoCase(*place, text) != 0) return -1;
    return static_cast<int>(place - items.begin());
}

int CListBox::FindString(int startAfter, std::string_view prefix) const {
    const int count = GetCount();
    if (prefix.empty() || count == 0) return -1;
    const int first = startAfter >= 0 && startAfter < count ? startAfter + 1 : 0;
    for (int step = 0; step < count; ++step) {
        const int index = (first + step) % count;
        const std::string& item = Items()[static_cast<std::size_t>(index)];
        if (item.size() >= prefix.size() && EqualsNoCase(std::string_view(item).substr(0, prefix.size()), prefix))
            return index;
    }
    return -1;
}

int CListBox::SelectString(int startAfter, std::string_view prefix) {
    const int index = FindString(startAfter, prefix);
    return index >= 0 ? SetCurSel(index) : -1;
}

std::string CEdit::GetWindowText(int count) const {
    if (count <= 0) return {};
    return std::string(CutToBuffer(text_, static_cast<std::size_t>(count)));
}

void CEdit::SetWindowText(std::string_view text) {
    text_.assign(text);
    Notify(ControlChange::Text, -1);
}

void CStatic::SetBitmap(BitmapHandle bitmap) {
    bitmap_ = std::move(bitmap);
    Notify(ControlChange::Image, -1);
}

}  // namespace qm
