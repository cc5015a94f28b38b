#include "tests/host/property_dialog.h"

#include <commctrl.h>

#include <fstream>
#include <vector>

namespace vx::host {

namespace {
const wchar_t kClass[] = L"VelloxTestPropertiesDialog";
constexpr int kIdTabs = 0x3020;
constexpr int kMargin = 8;
}  // namespace

// ---- the site ----

STDMETHODIMP PageSite::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
    *out = static_cast<IOleClientSite*>(this);
  } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite)) {
    *out = static_cast<IOleInPlaceSite*>(this);
  } else if (answersPageSite_ && (IsEqualIID(iid, kIidPropertyPageSite) || IsEqualIID(iid, IID_IDispatch))) {
    *out = static_cast<PropertyPageSite*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP PageSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                        LPRECT pos, LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  if (frame) *frame = nullptr;
  if (doc) *doc = nullptr;
  RECT area{};
  if (window_) {
    HWND tabs = GetDlgItem(window_, kIdTabs);
    GetClientRect(tabs, &area);
    TabCtrl_AdjustRect(tabs, FALSE, &area);
    MapWindowPoints(tabs, window_, reinterpret_cast<POINT*>(&area), 2);
  }
  if (pos) *pos = area;
  if (clip) *clip = area;
  if (info) {
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
  }
  return S_OK;
}

STDMETHODIMP PageSite::OnStatusChange() {
  ++statusChanges_;
  // Like the properties dialog: the page's Dirty decides about Apply.
  if (apply_ && page_) {
    VARIANT_BOOL dirty = VARIANT_FALSE;
    if (SUCCEEDED(page_->get_Dirty(&dirty))) EnableWindow(apply_, dirty != VARIANT_FALSE);
  }
  return S_OK;
}

// ---- the dialog ----

HRESULT PageDialog::OpenWindow(const wchar_t* title) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW cls{};
  if (!GetClassInfoW(instance, kClass, &cls)) {
    cls.lpfnWndProc = &PageDialog::Proc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = kClass;
    RegisterClassW(&cls);
  }

  // The page's designed size decides the dialog's: 5715 x 5370 twips.
  HDC screen = GetDC(nullptr);
  const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const int pageW = MulDiv(5715, dpiX, 1440), pageH = MulDiv(5370, dpiY, 1440);
  const int tabW = pageW + 8, tabH = pageH + 30;
  const int clientW = tabW + 2 * kMargin, clientH = tabH + 2 * kMargin + 32;
  RECT frame{0, 0, clientW, clientH};
  AdjustWindowRect(&frame, WS_CAPTION | WS_SYSMENU, FALSE);
  window_ = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kClass, title,
                            WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 40, 40,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                            instance, this);
  if (!window_) return HRESULT_FROM_WIN32(GetLastError());
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HWND tabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, kMargin,
                              kMargin, tabW, tabH, window_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdTabs)), instance, nullptr);
  SendMessageW(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  const wchar_t* captions[] = {L"Allgemein", L"Homepage", tabTitle_.c_str()};
  for (int i = 0; i < 3; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(captions[i]);
    TabCtrl_InsertItem(tabs, i, &item);
  }
  TabCtrl_SetCurSel(tabs, 2);
  const struct {
    int id;
    const wchar_t* text;
  } buttons[] = {{IDOK, L"OK"}, {IDCANCEL, L"Abbrechen"}, {kIdApply, L"Übernehmen"}};
  for (int i = 0; i < 3; ++i) {
    HWND b = CreateWindowExW(0, L"BUTTON", buttons[i].text, WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                             clientW - kMargin - (3 - i) * 82 + 6, clientH - kMargin - 24, 76, 24,
                             window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(buttons[i].id)),
                             instance, nullptr);
    SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  EnableWindow(apply(), FALSE);
  ShowWindow(window_, SW_SHOW);
  return S_OK;
}

HRESULT PageDialog::AddPage(IClassFactory* factory) {
  // The control, as Outlook makes a page added by ProgID: the site first
  // (the control asks for it), then a new control, then in-place activation.
  HRESULT hr = factory->CreateInstance(nullptr, IID_IOleObject, reinterpret_cast<void**>(&control_));
  if (FAILED(hr)) return hr;
  hr = control_->QueryInterface(kIidPropertyPage, reinterpret_cast<void**>(&page_));
  if (FAILED(hr)) return hr;
  if (askFirst_) AskPage();
  site_.Place(window_, apply(), page_);
  hr = control_->SetClientSite(static_cast<IOleClientSite*>(&site_));
  if (FAILED(hr)) return hr;
  IPersistStreamInit* persist = nullptr;
  hr = control_->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist));
  if (FAILED(hr)) return hr;
  hr = persist->InitNew();
  persist->Release();
  if (FAILED(hr)) return hr;
  RECT area{};
  site_.GetWindowContext(nullptr, nullptr, &area, nullptr, nullptr);
  hr = control_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(&site_), 0,
                        window_, &area);
  Pump();
  return hr;
}

void PageDialog::AskPage() {
  BSTR file = SysAllocString(L"Kontakte.hlp");
  early_.helpContext = 42;
  early_.pageInfo = page_->GetPageInfo(&file, &early_.helpContext);
  early_.helpFile.assign(file ? file : L"", file ? SysStringLen(file) : 0);
  SysFreeString(file);
  early_.dirty = page_->get_Dirty(&early_.isDirty);
  early_.apply = page_->Apply();
  RECT area{};
  site_.GetWindowContext(nullptr, nullptr, &area, nullptr, nullptr);
  early_.verb = control_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                                 static_cast<IOleClientSite*>(&site_), 0, window_, &area);
}

HRESULT PageDialog::OpenProgId(const wchar_t* progId, const wchar_t* tabTitle) {
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(progId, &clsid);
  if (FAILED(hr)) return hr;
  IClassFactory* factory = nullptr;
  hr = CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                        reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  tabTitle_ = tabTitle;
  hr = Open(factory, L"Eigenschaften von \"Kontakte\"");
  factory->Release();
  return hr;
}

HWND PageDialog::pageWindow() const {
  if (!control_) return nullptr;
  IOleInPlaceObject* inPlace = nullptr;
  HWND hwnd = nullptr;
  if (SUCCEEDED(control_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
    inPlace->GetWindow(&hwnd);
    inPlace->Release();
  }
  return hwnd;
}

void PageDialog::Press(int id) {
  SendMessageW(GetDlgItem(window_, id), BM_CLICK, 0, 0);
  Pump();
}

void PageDialog::ApplyIfDirty() {
  VARIANT_BOOL dirty = VARIANT_FALSE;
  if (page_ && SUCCEEDED(page_->get_Dirty(&dirty)) && dirty) {
    ++applies_;
    page_->Apply();
  }
}

void PageDialog::Close() {
  if (control_) {
    control_->Close(OLECLOSE_NOSAVE);
    control_->SetClientSite(nullptr);
  }
  if (page_) page_->Release();
  page_ = nullptr;
  if (control_) control_->Release();
  control_ = nullptr;
  site_.Place(nullptr, nullptr, nullptr);
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  window_ = nullptr;
  Pump();
}

bool PageDialog::SaveBitmap(const std::wstring& path) const {
  HWND window = window_;
  RECT r{};
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = w;
  info.biHeight = h;
  info.biPlanes = 1;
  info.biBitCount = 24;
  const int stride = (w * 3 + 3) & ~3;
  std::vector<char> pixels(static_cast<size_t>(stride) * h);
  GetDIBits(memory, bitmap, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::ofstream out(std::string(path.begin(), path.end()), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof(file));
  out.write(reinterpret_cast<const char*>(&info), sizeof(info));
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  return out.good();
}

void PageDialog::Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

LRESULT CALLBACK PageDialog::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<PageDialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
    switch (LOWORD(wp)) {
      case IDOK:
        self->ApplyIfDirty();
        return 0;
      case kIdApply:
        self->ApplyIfDirty();
        EnableWindow(self->apply(), FALSE);
        return 0;
      case IDCANCEL:
        return 0;
      default:
        break;
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace vx::host
