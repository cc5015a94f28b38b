// The options page's controls and container, in memory: the template list
// behaves as the list view does (1-based positions, the list's own failure
// for a position it cannot take, one selected item at most, removing the
// selected item selects no other), the field list as a list box.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "optionspage/ctlVellox.h"

namespace vx::fake {

class FakeListView;

class FakeListItem : public page::ListItem {
 public:
  explicit FakeListItem(FakeListView& list) : list_(&list) {}
  int32_t Index() override;
  Text GetText() override { return text; }
  void SetText(const Text& value) override { text = value; }
  bool Selected() override;
  void SetSelected(bool selected) override;

  Text text;

 private:
  friend class FakeListView;
  FakeListView* list_;  // null once removed
};

struct AddedColumn {
  int32_t index;
  Text key;
  Text text;
  float width;
};

class FakeListView : public page::ListView, public page::ListItems, public page::ColumnHeaders {
 public:
  ~FakeListView() override;

  // ListView
  page::ListItems& ListItems() override { return *this; }
  std::shared_ptr<page::ListItem> SelectedItem() override;
  page::ColumnHeaders& ColumnHeaders() override { return *this; }
  float Width() override { return width; }
  void SetToolTipText(const Text& text) override { toolTip = text; }

  // ListItems
  int32_t Count() override { return static_cast<int32_t>(items_.size()); }
  std::shared_ptr<page::ListItem> Add(int32_t index) override;
  void Remove(int32_t index) override;
  void Clear() override;
  std::shared_ptr<page::ListItem> Item(int32_t index) override;

  // ColumnHeaders
  void Add(int32_t index, const Text& key, const Text& text, float columnWidth) override;

  // ---- for tests ----
  std::vector<Text> Texts() const;
  // 1-based position of the selected item, 0 for none.
  int32_t SelectedPosition() const;
  // Fills the list with these lines, none selected.
  void Fill(const std::vector<Text>& lines);
  void Select(int32_t index);

  float width = 5475.0f;
  Text toolTip;
  std::vector<AddedColumn> columns;
  int32_t failColumnAdd = 0;        // ColumnHeaders.Add raises this number
  std::function<void()> onItemAdd;  // runs after every item added

 private:
  friend class FakeListItem;
  void CheckPosition(int32_t index, int32_t last);
  std::vector<std::shared_ptr<FakeListItem>> items_;
  FakeListItem* selected_ = nullptr;
};

class FakeListBox : public page::ListBox {
 public:
  void AddItem(const Text& item) override { entries.push_back(item); }
  int32_t ListIndex() override { return listIndex; }
  Text List(int32_t index) override;

  std::vector<Text> entries;
  int32_t listIndex = -1;
  int32_t failList = 0;  // List() raises this number
};

class FakeSite : public page::PropertyPageSite {
 public:
  void OnStatusChange() override;
  int statusChanges = 0;
  int32_t failStatusChange = 0;
};

// The control's face: its container and window handle.
class FakeUserControl : public page::UserControl {
 public:
  std::shared_ptr<page::PropertyPageSite> ParentAsPropertyPageSite() override;
  intptr_t hWnd() override { return handle; }

  std::shared_ptr<FakeSite> site = std::make_shared<FakeSite>();  // empty: no container
  bool containerIsSite = true;  // false: a container that is no PropertyPageSite
  intptr_t handle = 0x1234;
};

class FakeSplash : public SplashWindow {
 public:
  void ShowModal(intptr_t owner) override;
  void ShowStartup(intptr_t owner) override;
  void End() noexcept override;
  std::vector<intptr_t> owners;  // one per showing, about box or start-up
  int startups = 0;              // of these, start-up splashes
  int ended = 0;                 // start-up splashes ended by End()
  bool up = false;               // a start-up splash is up
  int32_t failShow = 0;
  std::function<void()> onShow;  // runs while the window is up
};

}  // namespace vx::fake
