#include "tests/fakes/page_fakes.h"

#include <algorithm>

#include "platform/failure.h"

namespace vx::fake {

namespace {
[[noreturn]] void OutOfBounds() {
  Raise(page::kListIndexOutOfBounds, u"Index außerhalb des gültigen Bereichs");
}
}  // namespace

int32_t FakeListItem::Index() {
  if (!list_) Raise(fail::kObjectNotSet);
  auto& items = list_->items_;
  auto it = std::find_if(items.begin(), items.end(), [&](auto& p) { return p.get() == this; });
  return static_cast<int32_t>(it - items.begin()) + 1;
}

bool FakeListItem::Selected() { return list_ && list_->selected_ == this; }

void FakeListItem::SetSelected(bool selected) {
  if (!list_) Raise(fail::kObjectNotSet);
  if (selected) {
    list_->selected_ = this;
  } else if (list_->selected_ == this) {
    list_->selected_ = nullptr;
  }
}

FakeListView::~FakeListView() { Clear(); }

std::shared_ptr<page::ListItem> FakeListView::SelectedItem() {
  for (auto& item : items_) {
    if (item.get() == selected_) return item;
  }
  return nullptr;
}

void FakeListView::CheckPosition(int32_t index, int32_t last) {
  if (index < 1 || index > last) OutOfBounds();
}

std::shared_ptr<page::ListItem> FakeListView::Add(int32_t index) {
  CheckPosition(index, Count() + 1);
  auto item = std::make_shared<FakeListItem>(*this);
  items_.insert(items_.begin() + (index - 1), item);
  if (onItemAdd) onItemAdd();
  return item;
}

void FakeListView::Remove(int32_t index) {
  CheckPosition(index, Count());
  auto it = items_.begin() + (index - 1);
  if (selected_ == it->get()) selected_ = nullptr;
  (*it)->list_ = nullptr;
  items_.erase(it);
}

void FakeListView::Clear() {
  for (auto& item : items_) item->list_ = nullptr;
  items_.clear();
  selected_ = nullptr;
}

std::shared_ptr<page::ListItem> FakeListView::Item(int32_t index) {
  CheckPosition(index, Count());
  return items_[index - 1];
}

void FakeListView::Add(int32_t index, const Text& key, const Text& text, float columnWidth) {
  if (failColumnAdd) Raise(failColumnAdd);
  columns.push_back({index, key, text, columnWidth});
}

std::vector<Text> FakeListView::Texts() const {
  std::vector<Text> texts;
  for (auto& item : items_) texts.push_back(item->text);
  return texts;
}

int32_t FakeListView::SelectedPosition() const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].get() == selected_) return static_cast<int32_t>(i) + 1;
  }
  return 0;
}

void FakeListView::Fill(const std::vector<Text>& lines) {
  Clear();
  for (const Text& line : lines) {
    items_.push_back(std::make_shared<FakeListItem>(*this));
    items_.back()->text = line;
  }
}

void FakeListView::Select(int32_t index) { Item(index)->SetSelected(true); }

Text FakeListBox::List(int32_t index) {
  if (failList) Raise(failList);
  if (index < 0 || index >= static_cast<int32_t>(entries.size())) {
    Raise(381, u"Ungültiger Index für Eigenschaftenfeld");
  }
  return entries[index];
}

void FakeSite::OnStatusChange() {
  ++statusChanges;
  if (failStatusChange) Raise(failStatusChange);
}

std::shared_ptr<page::PropertyPageSite> FakeUserControl::ParentAsPropertyPageSite() {
  if (!containerIsSite) Raise(fail::kTypeMismatch);
  return site;
}

void FakeSplash::ShowModal(intptr_t owner) {
  if (failShow) Raise(failShow);
  owners.push_back(owner);
  if (onShow) onShow();
}

void FakeSplash::ShowStartup(intptr_t owner) {
  if (failShow) Raise(failShow);
  owners.push_back(owner);
  ++startups;
  up = true;
  struct Down {
    bool& up;
    ~Down() { up = false; }
  } down{up};
  if (onShow) onShow();
}

void FakeSplash::End() noexcept {
  if (up) ++ended;
  up = false;
}

}  // namespace vx::fake
