// The substitute Outlook's folder properties dialog: a top-level window with
// OK, Cancel and Apply that hosts a page control added by ProgID
// (PropertyPages.Add), with a client site that answers PropertyPageSite,
// Apply enabled from Dirty after OnStatusChange, and OK and Apply calling
// Apply on a dirty page. The site counts the references held on it, so a
// test can see them all come back.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>

// widl's header for the stand-in Outlook library: PropertyPage, PropertyPageSite.
#include "outlook9.h"

namespace vx::host {

inline constexpr IID kIidPropertyPage = {
    0x0006307E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidPropertyPageSite = {
    0x0006307F, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// The dialog's buttons.
inline constexpr int kIdApply = 0x3021;

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The dialog's client site: IOleClientSite, IOleInPlaceSite and Outlook's
// PropertyPageSite. Lives on the stack of the test; counts its references.
class PageSite final : public IOleClientSite, public IOleInPlaceSite, public PropertyPageSite {
 public:
  // answersPageSite: whether QueryInterface gives PropertyPageSite (a plain
  // OLE container does not).
  explicit PageSite(bool answersPageSite = true) : answersPageSite_(answersPageSite) {}

  // The host window the control is placed in, and the dialog's Apply button
  // (enabled from Dirty after OnStatusChange); both may be null.
  void Place(HWND window, HWND applyButton, PropertyPage* page) {
    window_ = window;
    apply_ = applyButton;
    page_ = page;
  }

  long references() const { return refs_; }
  int statusChanges() const { return statusChanges_; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs_); }
  STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs_); }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return S_OK; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow, IOleInPlaceSite
  STDMETHODIMP GetWindow(HWND* out) override {
    *out = window_;
    return window_ ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP CanInPlaceActivate() override { return window_ ? S_OK : S_FALSE; }
  STDMETHODIMP OnInPlaceActivate() override {
    ++inPlaceActivations_;
    return S_OK;
  }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override {
    --inPlaceActivations_;
    return S_OK;
  }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IDispatch (PropertyPageSite is dual; the page calls it through its vtable)
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    if (id == 0x2100) return OnStatusChange();
    return DISP_E_MEMBERNOTFOUND;
  }

  // PropertyPageSite
  STDMETHODIMP get_Application(_Application** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP get_Class(LONG* out) override {
    *out = 70;  // olPropertyPageSite
    return S_OK;
  }
  STDMETHODIMP get_Session(_NameSpace** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP get_Parent(IDispatch** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP OnStatusChange() override;

  int inPlaceActivations() const { return inPlaceActivations_; }

 private:
  bool answersPageSite_;
  long refs_ = 0;
  int statusChanges_ = 0;
  int inPlaceActivations_ = 0;
  HWND window_ = nullptr;
  HWND apply_ = nullptr;
  PropertyPage* page_ = nullptr;
};

#pragma GCC diagnostic pop

// The properties window: "Eigenschaften von Kontakte" with the page's tab
// area, OK, Abbrechen and Übernehmen. Open() makes the control through the
// given class factory, sets the site, initialises it and activates it in
// place, as Outlook does with a page added by ProgID.
class PageDialog {
 public:
  explicit PageDialog(PageSite& site) : site_(site) {}
  ~PageDialog() { Close(); }

  // factory: the control library's class factory. Returns the HRESULT of
  // the first step that failed.
  // The page the add-in announced: created from its ProgID (the registered
  // control library), under its tab title.
  HRESULT OpenProgId(const wchar_t* progId, const wchar_t* tabTitle);

  HRESULT Open(IClassFactory* factory, const wchar_t* title) {
    const HRESULT hr = OpenWindow(title);
    return FAILED(hr) ? hr : AddPage(factory);
  }
  // The two halves of Open: the empty dialog, then the page in it.
  HRESULT OpenWindow(const wchar_t* title);
  HRESULT AddPage(IClassFactory* factory);
  // What the page answered when asked before it had its site.
  struct EarlyAnswers {
    HRESULT pageInfo = E_PENDING, dirty = E_PENDING, apply = E_PENDING, verb = E_PENDING;
    std::wstring helpFile;
    LONG helpContext = 0;
    VARIANT_BOOL isDirty = VARIANT_TRUE;
  };
  // Makes AddPage ask the page first, as a container may: GetPageInfo (with
  // L"Kontakte.hlp" and 42), Dirty, Apply and in-place activation, all
  // before it sets the site.
  void AskBeforeSiting() { askFirst_ = true; }
  const EarlyAnswers& early() const { return early_; }

  // Presses a button of the dialog as a user would (BM_CLICK).
  void Press(int id);
  // Deactivates the page, takes the site back and releases the control.
  void Close();

  HWND window() const { return window_; }
  HWND apply() const { return GetDlgItem(window_, kIdApply); }
  IOleObject* control() const { return control_; }
  PropertyPage* page() const { return page_; }
  // The page's own window, a child of the dialog.
  HWND pageWindow() const;
  // Apply calls made by the dialog.
  int applies() const { return applies_; }

  // Runs the dialog's messages until none is waiting.
  static void Pump();
  // Writes what the screen shows of the dialog as a 24-bit bitmap file.
  bool SaveBitmap(const std::wstring& path) const;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void ApplyIfDirty();
  void AskPage();

  PageSite& site_;
  HWND window_ = nullptr;
  IOleObject* control_ = nullptr;
  PropertyPage* page_ = nullptr;
  int applies_ = 0;
  bool askFirst_ = false;
  EarlyAnswers early_;
  std::wstring tabTitle_ = L"Adresse kopieren";
};

}  // namespace vx::host
