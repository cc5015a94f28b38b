// The window face of the options page: the page window with its eight
// controls laid out as designed (positions in twips, Tahoma 8.25 pt), and the
// page logic's list interfaces over the real list view and list box.
//
// The window exists from construction on, hidden and without a parent, so
// that creation can fill the lists before the container shows the control;
// Show() places it into the container's window, Hide() takes it out again.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "optionspage/ctlVellox.h"

namespace vx::win {

// Control identifiers of the page window's children.
namespace page_id {
inline constexpr int kLabel1 = 101;
inline constexpr int kLstFields = 102;
inline constexpr int kBtnToConfig = 103;
inline constexpr int kLabel2 = 104;
inline constexpr int kLvConfig = 105;
inline constexpr int kBtnDelete = 106;
inline constexpr int kBtnInsert = 107;
inline constexpr int kBtnAbout = 108;
}  // namespace page_id

// The page's designed size in twips.
inline constexpr int kPageWidthTwips = 5715;
inline constexpr int kPageHeightTwips = 5370;

// Removes the page window's class again (the library is being unloaded):
// a class registered by a library outlives the library otherwise.
void UnregisterPageWindowClass(HINSTANCE module);

// Twips to pixels of the screen and back (15 twips a pixel at 96 dpi).
int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);
int PixelsToTwipsX(int pixels);

// lvConfig: a one-column report list view. Items keep their identity while
// others are inserted or removed before them; positions are 1-based.
class Win32ListView final : public page::ListView, page::ListItems, page::ColumnHeaders {
 public:
  explicit Win32ListView(HWND list) : list_(list) {}

  page::ListItems& ListItems() override { return *this; }
  std::shared_ptr<page::ListItem> SelectedItem() override;
  page::ColumnHeaders& ColumnHeaders() override { return *this; }
  float Width() override;
  void SetToolTipText(const Text& text) override;

  // ListItems
  int32_t Count() override;
  std::shared_ptr<page::ListItem> Add(int32_t index) override;
  void Remove(int32_t index) override;
  void Clear() override;
  std::shared_ptr<page::ListItem> Item(int32_t index) override;

  // ColumnHeaders
  void Add(int32_t index, const Text& key, const Text& text, float width) override;

  // The tooltip control that shows the list's tooltip.
  void SetToolTipWindow(HWND tooltip) { tooltip_ = tooltip; }

 private:
  std::shared_ptr<page::ListItem> ItemAt(int zeroBased);

  HWND list_;
  HWND tooltip_ = nullptr;
  LPARAM nextId_ = 1;
};

// lstFields: a single-selection, unsorted list box.
class Win32ListBox final : public page::ListBox {
 public:
  explicit Win32ListBox(HWND box) : box_(box) {}
  void AddItem(const Text& item) override;
  int32_t ListIndex() override;
  Text List(int32_t index) override;

 private:
  HWND box_;
};

class PageWindow {
 public:
  // Creates the hidden window with its controls. module: the library whose
  // resources hold the button icons. Raises a numbered failure when the
  // window or one of its controls cannot be created, having given back
  // whatever it had made.
  explicit PageWindow(HINSTANCE module);
  ~PageWindow();
  PageWindow(const PageWindow&) = delete;
  PageWindow& operator=(const PageWindow&) = delete;

  // The page logic receiving the buttons' clicks and the end of in-place
  // edits; null detaches it.
  void Bind(ctlVellox* page) { page_ = page; }

  // Runs action once the thread's message loop comes round (a posted
  // message to the window); nothing runs if the window is destroyed first.
  void Defer(std::function<void()> action);

  HWND hwnd() const { return hwnd_; }
  HWND Child(int id) const { return GetDlgItem(hwnd_, id); }
  page::ListView& lvConfig() { return *lvConfig_; }
  page::ListBox& lstFields() { return *lstFields_; }

  // Makes the window a visible child of parent at rect (the container's
  // coordinates); Hide() makes it a hidden, parentless window again.
  void Show(HWND parent, const RECT& rect);
  void Hide();
  void Move(const RECT& rect);

  // The designed size in pixels of this screen.
  static SIZE DesignedSize();

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  // lstFields' own procedure in front of the list box's: names the entry
  // under the mouse in the list's tooltip.
  static LRESULT CALLBACK FieldsProc(HWND box, UINT msg, WPARAM wp, LPARAM lp);
  void ShowFieldTip(HWND box, LPARAM point);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void CreateChildren();
  // Gives back the window, its controls, icons and font.
  void Destroy() noexcept;
  HWND AddChild(const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, int id,
                int left, int top, int width, int height);
  void AddToolTip(HWND control, const wchar_t* text);

  HINSTANCE module_;
  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  HFONT font_ = nullptr;
  HICON icons_[3] = {};
  int tipEntry_ = -1;  // the field list entry the tooltip names, -1 for none
  ctlVellox* page_ = nullptr;
  std::function<void()> deferred_;
  std::unique_ptr<Win32ListView> lvConfig_;
  std::unique_ptr<Win32ListBox> lstFields_;
};

}  // namespace vx::win
