#include "splash/win32/SplashDialog.h"

#include <windows.h>

#include <array>

#include "platform/failure.h"
#include "splash/frmSplash.h"
#include "splash/win32/resource.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace vx::win32 {

namespace {

// The module whose resources hold the dialog: the one this code is linked
// into (the add-in or the control library), not the process's executable.
// The linker's __ImageBase is that module's base address, which is its
// handle; unlike GetModuleHandleEx it needs nothing newer than Windows 2000.
HMODULE ThisModule() { return reinterpret_cast<HMODULE>(&__ImageBase); }

// Fonts of their own; every other control keeps the dialog font.
struct OwnFont {
  int id;
  const wchar_t* face;
  int hundredthsOfPoint;
  int weight;
};

constexpr std::array<OwnFont, 9> kFonts{{
    {IDC_COMPANYPRODUCT, L"Arial", 1800, FW_BOLD},
    {IDC_PRODUCTNAME, L"Arial", 3225, FW_BOLD},
    {IDC_PLATFORM, L"Arial", 1575, FW_BOLD},
    {IDC_VERSION, L"Arial", 1200, FW_BOLD},
    {IDC_COPYRIGHT, L"Arial", 825, FW_NORMAL},
    {IDC_COMPANY, L"Arial", 825, FW_NORMAL},
    {IDC_LABEL1, L"Arial", 825, FW_NORMAL},
    {IDC_LABEL2, L"Arial", 900, FW_BOLD},
    {IDC_BTNOK, L"MS Sans Serif", 825, FW_BOLD},
}};

// Labels that size themselves to their text. A right-aligned one keeps its
// right edge, the others their left edge.
struct AutoSize {
  int id;
  bool keepRight;
};

constexpr std::array<AutoSize, 4> kAutoSized{{
    {IDC_COMPANYPRODUCT, false},
    {IDC_PRODUCTNAME, false},
    {IDC_PLATFORM, true},
    {IDC_VERSION, true},
}};

constexpr COLORREF kHintColour = RGB(0xFF, 0x00, 0x00);

}  // namespace

// One showing of the window: everything it creates lives as long as it does.
class SplashDialog::Showing {
 public:
  // startup: the start-up splash, centred on its owner (when it has one),
  // which End() may close; else the about box.
  Showing(SettingsStore& store, MessageBoxes& boxes, bool startup, HWND owner)
      : form_(store, boxes), startup_(startup), centreOn_(startup ? owner : nullptr) {}
  ~Showing() {
    for (HFONT font : fonts_) {
      if (font) DeleteObject(font);
    }
  }
  Showing(const Showing&) = delete;
  Showing& operator=(const Showing&) = delete;

  static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

  // Closes the window without OK: nothing is stored.
  void End() {
    ended_ = true;
    if (dialog_) EndDialog(dialog_, 0);
  }
  // Whether it went without OK (End, or its owner went and took it along).
  bool ended() const { return ended_; }
  bool startup() const { return startup_; }

 private:
  static INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  void Init(HWND dialog);
  void CentreOnOwner(HWND dialog) const;
  void SetFonts(HWND dialog);
  static void SizeToText(HWND dialog, const AutoSize& label);

  frmSplash form_;
  bool startup_;
  HWND centreOn_;
  HWND dialog_ = nullptr;
  bool closedByOk_ = false;
  bool ended_ = false;
  std::array<HFONT, kFonts.size()> fonts_{};
};

void SplashDialog::Showing::Init(HWND dialog) {
  dialog_ = dialog;
  SetFonts(dialog);
  for (const AutoSize& label : kAutoSized) SizeToText(dialog, label);
  CentreOnOwner(dialog);
  CheckDlgButton(dialog, IDC_SHOWSPLASH,
                 frmSplash::kShowSplashWhenOpened ? BST_CHECKED : BST_UNCHECKED);
  SetFocus(GetDlgItem(dialog, IDC_SHOWSPLASH));
}

void SplashDialog::Showing::SetFonts(HWND dialog) {
  HDC screen = GetDC(dialog);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(dialog, screen);
  for (size_t i = 0; i < kFonts.size(); ++i) {
    const OwnFont& own = kFonts[i];
    fonts_[i] = CreateFontW(-MulDiv(own.hundredthsOfPoint, dpi, 7200), 0, 0, 0, own.weight,
                            FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                            own.face);
    if (fonts_[i]) {
      SendDlgItemMessageW(dialog, own.id, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[i]), FALSE);
    }
  }
}

void SplashDialog::Showing::SizeToText(HWND dialog, const AutoSize& label) {
  HWND control = GetDlgItem(dialog, label.id);
  wchar_t text[256] = {};
  GetWindowTextW(control, text, static_cast<int>(std::size(text)));
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT extent{};
  DrawTextW(dc, text, -1, &extent, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(control, dc);

  RECT box{};
  GetWindowRect(control, &box);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
  const int width = extent.right - extent.left;
  const int height = extent.bottom - extent.top;
  const int left = label.keepRight ? box.right - width : box.left;
  SetWindowPos(control, nullptr, left, box.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The dialog resource centres the window on the screen; the start-up splash
// sits centred on its owner instead. A minimised owner (parked far off the
// screen) leaves it where it is.
void SplashDialog::Showing::CentreOnOwner(HWND dialog) const {
  RECT owner{}, window{};
  if (!centreOn_ || !GetWindowRect(centreOn_, &owner) || !GetWindowRect(dialog, &window)) return;
  if (owner.left <= -10000 || owner.top <= -10000) return;
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  SetWindowPos(dialog, nullptr, owner.left + (owner.right - owner.left - width) / 2,
               owner.top + (owner.bottom - owner.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A message whose handling fails is answered FALSE, the dialog's default.
INT_PTR CALLBACK SplashDialog::Showing::Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return Boundary<INT_PTR>(FALSE, [&] { return Handle(dialog, message, wParam, lParam); });
}

INT_PTR SplashDialog::Showing::Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Showing*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      reinterpret_cast<Showing*>(lParam)->Init(dialog);
      return FALSE;  // the focus is set

    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_LABEL2)) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, kHintColour);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
      }
      return FALSE;

    case DM_GETDEFID:
      // No default button: Enter anywhere but on the focused button does
      // nothing.
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
      return TRUE;

    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_BTNOK && HIWORD(wParam) == BN_CLICKED && self) {
        self->closedByOk_ = true;
        self->form_.btnOK_Click(IsDlgButtonChecked(dialog, IDC_SHOWSPLASH) == BST_CHECKED);
        EndDialog(dialog, IDC_BTNOK);
        return TRUE;
      }
      // IDOK (Enter) and IDCANCEL (Esc, Alt+F4) have no button here.
      return LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL;

    case WM_CLOSE:
      return TRUE;  // no close box: only OK closes the window

    case WM_DESTROY:
      // Gone without OK: ended, or destroyed along with its owner.
      if (self) {
        if (!self->closedByOk_) self->ended_ = true;
        self->dialog_ = nullptr;
      }
      return FALSE;

    default:
      return FALSE;
  }
}

void SplashDialog::ShowModal(intptr_t owner) { Show(owner, false); }

void SplashDialog::ShowStartup(intptr_t owner) { Show(owner, true); }

void SplashDialog::End() noexcept {
  if (current_ && current_->startup()) current_->End();
}

void SplashDialog::Show(intptr_t owner, bool startup) {
  HWND parent = reinterpret_cast<HWND>(owner);
  Showing showing(store_, boxes_, startup, parent);
  Showing* outer = current_;
  current_ = &showing;
  INT_PTR result = DialogBoxParamW(ThisModule(), MAKEINTRESOURCEW(IDD_SPLASH), parent,
                                   &Showing::Proc, reinterpret_cast<LPARAM>(&showing));
  current_ = outer;
  // Ended without OK: nothing stored, nothing to report.
  if (result != -1 && showing.ended()) return;
  if (result == -1 || result == 0) Raise(fail::kInternalError);
}

}  // namespace vx::win32
