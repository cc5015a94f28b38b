#include "optionspage/com/page_window.h"

#include <string>
#include <vector>

#include "optionspage/com/resource.h"
#include "platform/contact_fields.h"
#include "platform/failure.h"

namespace vx::win {

namespace {

const wchar_t kClassName[] = L"VelloxPageWindow";
constexpr UINT kRunDeferred = WM_APP + 1;

const wchar_t* W(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

Text FromW(const wchar_t* chars, size_t count) {
  return Text(reinterpret_cast<const char16_t*>(chars), count);
}

int ScreenDpi(int axis) {
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, axis) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

[[noreturn]] void RaiseBadPosition() {
  Raise(page::kListIndexOutOfBounds, u"Index außerhalb des gültigen Bereichs");
}

// One line of lvConfig, found again by its identity (the item's lParam)
// wherever it has moved.
class Win32ListItem final : public page::ListItem {
 public:
  Win32ListItem(HWND list, LPARAM id) : list_(list), id_(id) {}

  int32_t Index() override { return Find() + 1; }

  Text GetText() override {
    const int index = Find();
    std::vector<wchar_t> buffer(256);
    for (;;) {
      LVITEMW item{};
      item.iSubItem = 0;
      item.pszText = buffer.data();
      item.cchTextMax = static_cast<int>(buffer.size());
      const LRESULT length = SendMessageW(list_, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
      if (static_cast<size_t>(length) + 1 < buffer.size()) return FromW(buffer.data(), length);
      buffer.resize(buffer.size() * 2);
    }
  }

  void SetText(const Text& text) override {
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = const_cast<wchar_t*>(W(text));
    SendMessageW(list_, LVM_SETITEMTEXTW, Find(), reinterpret_cast<LPARAM>(&item));
  }

  bool Selected() override {
    return (ListView_GetItemState(list_, Find(), LVIS_SELECTED) & LVIS_SELECTED) != 0;
  }

  void SetSelected(bool selected) override {
    const int index = Find();
    if (selected) {
      ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
      ListView_SetItemState(list_, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
      ListView_EnsureVisible(list_, index, FALSE);
    } else {
      ListView_SetItemState(list_, index, 0, LVIS_SELECTED);
    }
  }

 private:
  // The item's 0-based index; an item that has been removed raises.
  int Find() {
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = id_;
    const int index = static_cast<int>(
        SendMessageW(list_, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    if (index < 0) RaiseBadPosition();
    return index;
  }

  HWND list_;
  LPARAM id_;
};

}  // namespace

void UnregisterPageWindowClass(HINSTANCE module) { UnregisterClassW(kClassName, module); }

int TwipsToPixelsX(int twips) { return MulDiv(twips, ScreenDpi(LOGPIXELSX), 1440); }
int TwipsToPixelsY(int twips) { return MulDiv(twips, ScreenDpi(LOGPIXELSY), 1440); }
int PixelsToTwipsX(int pixels) { return MulDiv(pixels, 1440, ScreenDpi(LOGPIXELSX)); }

// ---- lvConfig ----

int32_t Win32ListView::Count() { return ListView_GetItemCount(list_); }

std::shared_ptr<page::ListItem> Win32ListView::ItemAt(int zeroBased) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = zeroBased;
  if (!SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) RaiseBadPosition();
  return std::make_shared<Win32ListItem>(list_, item.lParam);
}

std::shared_ptr<page::ListItem> Win32ListView::Add(int32_t index) {
  if (index < 1 || index > Count() + 1) RaiseBadPosition();
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = index - 1;
  item.pszText = const_cast<wchar_t*>(L"");
  item.lParam = nextId_++;
  const int at = static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (at < 0) Raise(fail::kOutOfMemory);
  return std::make_shared<Win32ListItem>(list_, item.lParam);
}

void Win32ListView::Remove(int32_t index) {
  if (index < 1 || index > Count()) RaiseBadPosition();
  ListView_DeleteItem(list_, index - 1);
}

void Win32ListView::Clear() { ListView_DeleteAllItems(list_); }

std::shared_ptr<page::ListItem> Win32ListView::Item(int32_t index) {
  if (index < 1 || index > Count()) RaiseBadPosition();
  return ItemAt(index - 1);
}

std::shared_ptr<page::ListItem> Win32ListView::SelectedItem() {
  const int index = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  if (index < 0) return nullptr;
  return ItemAt(index);
}

float Win32ListView::Width() {
  RECT rect{};
  GetWindowRect(list_, &rect);
  return static_cast<float>(PixelsToTwipsX(rect.right - rect.left));
}

void Win32ListView::SetToolTipText(const Text& text) {
  if (!tooltip_) return;
  TOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(list_);
  tool.uId = reinterpret_cast<UINT_PTR>(list_);
  tool.lpszText = const_cast<wchar_t*>(W(text));
  // A second call replaces the tip: the tool is added afresh.
  SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32ListView::Add(int32_t index, const Text& key, const Text& text, float width) {
  (void)key;  // columns are not looked up by key here
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = const_cast<wchar_t*>(W(text));
  column.cx = TwipsToPixelsX(static_cast<int>(width));
  column.iSubItem = index - 1;
  if (index < 1 || SendMessageW(list_, LVM_INSERTCOLUMNW, index - 1, reinterpret_cast<LPARAM>(&column)) < 0) {
    RaiseBadPosition();
  }
}

// ---- lstFields ----

void Win32ListBox::AddItem(const Text& item) {
  const LRESULT at = SendMessageW(box_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(item)));
  if (at == LB_ERR || at == LB_ERRSPACE) Raise(fail::kOutOfMemory);
}

int32_t Win32ListBox::ListIndex() {
  const LRESULT index = SendMessageW(box_, LB_GETCURSEL, 0, 0);
  return index == LB_ERR ? -1 : static_cast<int32_t>(index);
}

Text Win32ListBox::List(int32_t index) {
  const LRESULT length = SendMessageW(box_, LB_GETTEXTLEN, index, 0);
  if (index < 0 || length == LB_ERR) Raise(381, u"Ungültiger Index für Eigenschaftenfeld");
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  const LRESULT got = SendMessageW(box_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
  return FromW(buffer.data(), got == LB_ERR ? 0 : static_cast<size_t>(got));
}

// ---- the page window ----

SIZE PageWindow::DesignedSize() {
  return {TwipsToPixelsX(kPageWidthTwips), TwipsToPixelsY(kPageHeightTwips)};
}

PageWindow::PageWindow(HINSTANCE module) : module_(module) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  WNDCLASSEXW cls{};
  cls.cbSize = sizeof(cls);
  if (!GetClassInfoExW(module_, kClassName, &cls)) {
    cls = WNDCLASSEXW{};
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = &PageWindow::Proc;
    cls.hInstance = module_;
    cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = kClassName;
    if (!RegisterClassExW(&cls) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      Raise(fail::kOutOfMemory);
    }
  }

  // A construction that fails half-way gives back what it made before the
  // failure leaves: the window knows this object from its first message on,
  // and must not outlive it.
  try {
    // Tahoma 8.25 pt, regular.
    font_ = CreateFontW(-MulDiv(825, ScreenDpi(LOGPIXELSY), 7200), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                        FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");

    const SIZE size = DesignedSize();
    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                            size.cx, size.cy, nullptr, nullptr, module_, this);
    if (!hwnd_) Raise(fail::kOutOfMemory);
    CreateChildren();
  } catch (...) {
    Destroy();
    throw;
  }
}

PageWindow::~PageWindow() { Destroy(); }

void PageWindow::Destroy() noexcept {
  page_ = nullptr;
  deferred_ = nullptr;
  if (tooltip_) DestroyWindow(tooltip_);
  tooltip_ = nullptr;
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);  // and its controls with it
    hwnd_ = nullptr;
  }
  for (HICON& icon : icons_) {
    if (icon) DestroyIcon(icon);
    icon = nullptr;
  }
  if (font_) DeleteObject(font_);
  font_ = nullptr;
}

HWND PageWindow::AddChild(const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle,
                          int id, int left, int top, int width, int height) {
  HWND child = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style,
                               TwipsToPixelsX(left), TwipsToPixelsY(top), TwipsToPixelsX(width),
                               TwipsToPixelsY(height), hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module_, nullptr);
  if (!child) Raise(fail::kOutOfMemory);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return child;
}

void PageWindow::AddToolTip(HWND control, const wchar_t* text) {
  TOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every common controls version
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<wchar_t*>(text);
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void PageWindow::CreateChildren() {
  using namespace page_id;
  // Created in tab order: the order of creation is the order of the focus.
  AddChild(L"STATIC", L"verfügbare Felder", SS_LEFT | SS_NOPREFIX, 0, kLabel1, 120, 180, 1635, 255);
  HWND fields = AddChild(L"LISTBOX", L"", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                         WS_EX_CLIENTEDGE, kLstFields, 120, 420, 5475, 1815);
  HWND toConfig = AddChild(L"BUTTON", L"", BS_PUSHBUTTON | BS_ICON | WS_TABSTOP, 0, kBtnToConfig,
                           2640, 2340, 315, 315);
  AddChild(L"STATIC", L"Adressformat", SS_LEFT | SS_NOPREFIX, 0, kLabel2, 120, 2460, 1815, 255);
  HWND lines = AddChild(WC_LISTVIEWW, L"",
                        LVS_REPORT | LVS_SINGLESEL | LVS_EDITLABELS | LVS_SHOWSELALWAYS |
                            LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER | WS_TABSTOP,
                        WS_EX_CLIENTEDGE, kLvConfig, 120, 2700, 5475, 1935);
  HWND del = AddChild(L"BUTTON", L"", BS_PUSHBUTTON | BS_ICON | WS_TABSTOP, 0, kBtnDelete, 120, 4740,
                      435, 375);
  HWND insert = AddChild(L"BUTTON", L"", BS_PUSHBUTTON | BS_ICON | WS_TABSTOP, 0, kBtnInsert, 720,
                         4740, 435, 375);
  AddChild(L"BUTTON", L"Info", BS_PUSHBUTTON | WS_TABSTOP, 0, kBtnAbout, 4980, 4740, 615, 375);

  const int iconIds[3] = {VX_IDI_TOCONFIG, VX_IDI_DELETE, VX_IDI_INSERT};
  HWND buttons[3] = {toConfig, del, insert};
  for (int i = 0; i < 3; ++i) {
    icons_[i] = static_cast<HICON>(
        LoadImageW(module_, MAKEINTRESOURCEW(iconIds[i]), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    SendMessageW(buttons[i], BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icons_[i]));
  }

  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                             nullptr, module_, nullptr);
  if (tooltip_) {
    SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    AddToolTip(toConfig, L"Eintrag hinter den unten ausgewählten kopieren");
    AddToolTip(del, L"Zeile löschen");
    AddToolTip(insert, L"leere Zeile unterhalb einfügen");
    // The field list's tip names the entry under the mouse; none until the
    // mouse is over one.
    AddToolTip(fields, L"");
    SetWindowLongPtrW(fields, GWLP_USERDATA, GetWindowLongPtrW(fields, GWLP_WNDPROC));
    SetWindowLongPtrW(fields, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PageWindow::FieldsProc));
  }

  lvConfig_ = std::make_unique<Win32ListView>(lines);
  lvConfig_->SetToolTipWindow(tooltip_);
  lstFields_ = std::make_unique<Win32ListBox>(fields);
}

void PageWindow::Defer(std::function<void()> action) {
  deferred_ = std::move(action);
  PostMessageW(hwnd_, kRunDeferred, 0, 0);
}

void PageWindow::Show(HWND parent, const RECT& rect) {
  if (GetParent(hwnd_) != parent) {
    LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    SetWindowLongPtrW(hwnd_, GWL_STYLE, (style & ~WS_POPUP) | WS_CHILD | WS_TABSTOP);
    SetParent(hwnd_, parent);
  }
  Move(rect);
  ShowWindow(hwnd_, SW_SHOWNA);
}

void PageWindow::Hide() {
  ShowWindow(hwnd_, SW_HIDE);
  if (GetParent(hwnd_)) {
    SetParent(hwnd_, nullptr);
    LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    SetWindowLongPtrW(hwnd_, GWL_STYLE, (style & ~(WS_CHILD | WS_TABSTOP)) | WS_POPUP);
  }
}

void PageWindow::Move(const RECT& rect) {
  SetWindowPos(hwnd_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// A message whose handling fails (no memory for a line's text, for one) is
// answered 0: for an in-place edit that means the line keeps its text.
LRESULT CALLBACK PageWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return Boundary<LRESULT>(0, [&] {
    if (msg == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
      auto* self = static_cast<PageWindow*>(create->lpCreateParams);
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<PageWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) return self->Handle(msg, wp, lp);
    return DefWindowProcW(hwnd, msg, wp, lp);
  });
}

LRESULT CALLBACK PageWindow::FieldsProc(HWND box, UINT msg, WPARAM wp, LPARAM lp) {
  const auto next = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(box, GWLP_USERDATA));
  if (msg == WM_MOUSEMOVE) {
    Boundary(0, [&] {
      auto* self = reinterpret_cast<PageWindow*>(GetWindowLongPtrW(GetParent(box), GWLP_USERDATA));
      if (self) self->ShowFieldTip(box, lp);
      return 0;
    });
  } else if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
  }
  return next ? CallWindowProcW(next, box, msg, wp, lp) : DefWindowProcW(box, msg, wp, lp);
}

void PageWindow::ShowFieldTip(HWND box, LPARAM point) {
  // LB_ITEMFROMPOINT: the nearest entry in the low word, 1 in the high word
  // when the point lies outside every entry.
  const LRESULT hit = SendMessageW(box, LB_ITEMFROMPOINT, 0, point);
  const int entry = HIWORD(hit) == 0 ? static_cast<int>(LOWORD(hit)) : -1;
  if (entry == tipEntry_ || !tooltip_) return;
  tipEntry_ = entry;
  std::wstring label;
  const LRESULT length = entry < 0 ? LB_ERR : SendMessageW(box, LB_GETTEXTLEN, entry, 0);
  if (length != LB_ERR) {
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    const LRESULT got = SendMessageW(box, LB_GETTEXT, entry, reinterpret_cast<LPARAM>(text.data()));
    const TextView found =
        fields::LabelOfEntry(TextView(reinterpret_cast<const char16_t*>(text.data()),
                                      got == LB_ERR ? 0 : static_cast<size_t>(got)));
    label.assign(reinterpret_cast<const wchar_t*>(found.data()), found.size());
  }
  TOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(box);
  tool.lpszText = label.data();
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT PageWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kRunDeferred:
      if (deferred_) {
        std::function<void()> action = std::move(deferred_);
        deferred_ = nullptr;
        action();
      }
      return 0;
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED && page_) {
        switch (LOWORD(wp)) {
          case page_id::kBtnToConfig: page_->btnToConfig_Click(); return 0;
          case page_id::kBtnDelete: page_->btnDelete_Click(); return 0;
          case page_id::kBtnInsert: page_->btnInsert_Click(); return 0;
          case page_id::kBtnAbout: page_->btnAbout_Click(); return 0;
          default: break;
        }
      }
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lp);
      if (header->idFrom == page_id::kLvConfig && header->code == LVN_ENDLABELEDITW) {
        auto* edit = reinterpret_cast<NMLVDISPINFOW*>(lp);
        if (!edit->item.pszText) return FALSE;  // cancelled
        if (page_) {
          page_->lvConfig_AfterLabelEdit(edit->item.iItem + 1,
                                         FromW(edit->item.pszText, wcslen(edit->item.pszText)));
        }
        return TRUE;  // the line takes the new text
      }
      break;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace vx::win
