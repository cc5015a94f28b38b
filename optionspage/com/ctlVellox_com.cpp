#include "optionspage/com/ctlVellox_com.h"

#include <ocidl.h>
#include <olectl.h>

#include <map>
#include <memory>
#include <mutex>

#include "Vellox_h.h"  // generated from Vellox.idl
#include "optionspage/com/page_window.h"
#include "optionspage/ctlVellox.h"
#include "platform/failure.h"
#include "platform/win32/active_object.h"
#include "platform/win32/com_server.h"
#include "platform/win32/dispatch.h"
#include "platform/win32/lock.h"
#include "platform/win32/message_boxes.h"
#include "platform/win32/outlook_dispatch.h"
#include "platform/win32/registry_store.h"
#include "splash/win32/SplashDialog.h"

namespace vx::win {

namespace {

// {8F627BA0-28B9-4A31-AB73-5C3FB26E0AA0}: the add-in's Connect class, under
// which the connected add-in enters itself in the running object table.
constexpr CLSID kClsidConnect = {
    0x8F627BA0, 0x28B9, 0x4A31, {0xAB, 0x73, 0x5C, 0x3F, 0xB2, 0x6E, 0x0A, 0xA0}};

// ---- Outlook's application object, one per thread ----
//
// Created at a page's first Apply and kept for the thread's further pages,
// but only while a page of that thread is alive: Outlook cannot shut down
// while someone holds its application object, so the last page to close
// gives it back.

struct ThreadOutlookEntry {
  IDispatch* application = nullptr;  // one reference, or none yet
  int pages = 0;                     // live pages of the thread
};
win::CriticalSection g_outlookLock;
std::map<DWORD, ThreadOutlookEntry> g_outlook;

class ThreadOutlook final : public page::OutlookSource {
 public:
  ThreadOutlook() : thread_(GetCurrentThreadId()) {
    std::lock_guard<win::CriticalSection> lock(g_outlookLock);
    ++g_outlook[thread_].pages;
  }
  ThreadOutlook(const ThreadOutlook&) = delete;
  ThreadOutlook& operator=(const ThreadOutlook&) = delete;
  ~ThreadOutlook() override {
    IDispatch* kept = nullptr;
    {
      std::lock_guard<win::CriticalSection> lock(g_outlookLock);
      auto found = g_outlook.find(thread_);
      if (found == g_outlook.end() || --found->second.pages > 0) return;
      kept = found->second.application;
      g_outlook.erase(found);
    }
    if (kept) kept->Release();
  }

  std::shared_ptr<ol::Application> Application() override {
    {
      std::lock_guard<win::CriticalSection> lock(g_outlookLock);
      IDispatch* kept = g_outlook[thread_].application;
      if (kept) return WrapApplication(kept);
    }
    CLSID clsid = kClsidOutlookApplication;
    CLSID registered{};
    if (SUCCEEDED(CLSIDFromProgID(L"Outlook.Application", &registered))) clsid = registered;
    IDispatch* created = nullptr;
    const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch,
                                        reinterpret_cast<void**>(&created));
    if (FAILED(hr) || !created) Raise(fail::kCannotCreateObject);
    std::lock_guard<win::CriticalSection> lock(g_outlookLock);
    g_outlook[thread_].application = created;
    return WrapApplication(created);
  }

  std::shared_ptr<ol::Automation> RunningAddIn() override {
    Ref<IDispatch> found = FindActiveObject(kClsidConnect);
    return found ? WrapAutomation(found.Get()) : nullptr;
  }

 private:
  const DWORD thread_;
};

// ---- the container's site, as the page logic sees it ----

class SiteAdapter final : public page::PropertyPageSite {
 public:
  explicit SiteAdapter(Ref<::PropertyPageSite> site) : site_(std::move(site)) {}
  void OnStatusChange() override { Check(site_->OnStatusChange()); }

 private:
  Ref<::PropertyPageSite> site_;
};

// HIMETRIC (0.01 mm) of a length in twips.
LONG TwipsToHimetric(int twips) { return MulDiv(twips, 2540, 1440); }

class Control;

// The one connection point of __ctlVellox. It raises no events; it keeps
// the sinks that are advised until they are unadvised.
class EventsPoint final : public ComObject<IConnectionPoint> {
 public:
  explicit EventsPoint(Control* owner);

  STDMETHODIMP GetConnectionInterface(IID* iid) override {
    if (!iid) return E_POINTER;
    *iid = kDiidCtlVelloxEvents;
    return S_OK;
  }
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }

 protected:
  void* Find(REFIID iid) override {
    return IsEqualIID(iid, IID_IConnectionPoint) ? static_cast<IConnectionPoint*>(this) : nullptr;
  }

 private:
  Ref<Control> owner_;  // the container lives as long as a point handed out
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class Control final
    : public DualObject<_ctlVellox, ::PropertyPage, IOleObject, IOleInPlaceObject,
                        IOleInPlaceActiveObject, IOleControl, IViewObject2, IPersistStreamInit,
                        IPersistPropertyBag, IProvideClassInfo2, IConnectionPointContainer>,
      public page::UserControl {
 public:
  Control()
      : DualObject(kIidCtlVellox),
        splash_(store_, boxes_),
        window_(std::make_unique<PageWindow>(module::Handle())),
        page_(std::make_unique<ctlVellox>(PageServices{store_, boxes_, splash_, outlook_},
                                          PageControls{*this, window_->lvConfig(),
                                                       window_->lstFields()})) {
    window_->Bind(page_.get());
    extent_ = {TwipsToHimetric(kPageWidthTwips), TwipsToHimetric(kPageHeightTwips)};
  }

  // ---- _ctlVellox ----
  // Every method that runs the page logic or allocates is a boundary of its
  // own (Boundary): lack of memory is answered, never thrown at the caller.
  STDMETHODIMP ReadAdressFormat() override {
    return Boundary(E_OUTOFMEMORY, [&] {
      page_->ReadAdressFormat();
      return S_OK;
    });
  }
  STDMETHODIMP SaveInitialSettings() override {
    return Boundary(E_OUTOFMEMORY, [&] {
      page_->SaveInitialSettings();
      return S_OK;
    });
  }

  // ---- Outlook's PropertyPage ----
  // A container may ask before it gives the control its site: the answers
  // then come without creating the page (no help, not dirty, nothing to
  // apply), so that creation still finds the site.
  STDMETHODIMP GetPageInfo(BSTR* helpFile, LONG* helpContext) override {
    if (!helpFile || !helpContext) return E_POINTER;
    return Boundary(E_OUTOFMEMORY, [&] {
      if (!CreatedWithSite()) return S_OK;
      // The page offers no help: both stay as the dialog passed them.
      Text file;
      int32_t context = *helpContext;
      page_->PropertyPage_GetPageInfo(file, context);
      return S_OK;
    });
  }
  STDMETHODIMP get_Dirty(VARIANT_BOOL* dirty) override {
    if (!dirty) return E_POINTER;
    *dirty = VARIANT_FALSE;
    return Boundary(E_OUTOFMEMORY, [&] {
      *dirty = CreatedWithSite() && page_->PropertyPage_Dirty() ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    });
  }
  STDMETHODIMP Apply() override {
    return Boundary(E_OUTOFMEMORY, [&] {
      if (CreatedWithSite()) page_->PropertyPage_Apply();
      return S_OK;
    });
  }

  // ---- page::UserControl ----
  std::shared_ptr<page::PropertyPageSite> ParentAsPropertyPageSite() override {
    if (!site_) return nullptr;
    Ref<::PropertyPageSite> site;
    if (FAILED(site_->QueryInterface(kIidPropertyPageSite, reinterpret_cast<void**>(site.GetAddressOf()))) ||
        !site) {
      Raise(fail::kTypeMismatch);
    }
    return std::make_shared<SiteAdapter>(std::move(site));
  }
  intptr_t hWnd() override { return reinterpret_cast<intptr_t>(window_->hwnd()); }

  // ---- IOleObject ----
  STDMETHODIMP SetClientSite(IOleClientSite* site) override {
    site_ = site;
    if (!site_ || created_) return S_OK;
    return Boundary(E_OUTOFMEMORY, [&] {
      if (initialised_) {
        // The container initialised the control before giving it its site.
        EnsureCreated();
      } else {
        // The site comes first (OLEMISC_SETCLIENTSITEFIRST): a container
        // initialises right after it. One that never does gets its page
        // created as soon as the thread's messages run again.
        window_->Defer([this] {
          if (site_) EnsureCreated();
        });
      }
      return S_OK;
    });
  }
  STDMETHODIMP GetClientSite(IOleClientSite** site) override {
    if (!site) return E_POINTER;
    *site = site_.Get();
    if (*site) (*site)->AddRef();
    return S_OK;
  }
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD) override {
    InPlaceDeactivate();
    if (adviseHolder_) adviseHolder_->SendOnClose();
    return S_OK;
  }
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND parent, LPCRECT rect) override {
    return Boundary(E_OUTOFMEMORY, [&]() -> HRESULT {
      CreatedWithSite();
      switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE:
          return Activate(verb == OLEIVERB_UIACTIVATE || verb == OLEIVERB_PRIMARY, parent, rect);
        case OLEIVERB_HIDE:
          UIDeactivate();
          window_->Hide();
          return S_OK;
        default:
          return OLEOBJ_S_INVALIDVERB;
      }
    });
  }
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** out) override { return OleRegEnumVerbs(kClsidCtlVellox, out); }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID* clsid) override { return GetClassID(clsid); }
  STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override {
    return OleRegGetUserType(kClsidCtlVellox, form, type);
  }
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    extent_ = *size;
    return S_OK;
  }
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    *size = extent_;
    return S_OK;
  }
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override {
    if (!adviseHolder_ && FAILED(CreateOleAdviseHolder(adviseHolder_.GetAddressOf()))) {
      return E_OUTOFMEMORY;
    }
    return adviseHolder_->Advise(sink, cookie);
  }
  STDMETHODIMP Unadvise(DWORD cookie) override {
    return adviseHolder_ ? adviseHolder_->Unadvise(cookie) : OLE_E_NOCONNECTION;
  }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** out) override {
    if (out) *out = nullptr;
    return adviseHolder_ ? adviseHolder_->EnumAdvise(out) : E_FAIL;
  }
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override {
    if (!status) return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? kCtlVelloxMiscStatus : 0;
    return S_OK;
  }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // ---- IOleWindow, IOleInPlaceObject ----
  STDMETHODIMP GetWindow(HWND* hwnd) override {
    if (!hwnd) return E_POINTER;
    *hwnd = window_->hwnd();
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP InPlaceDeactivate() override {
    UIDeactivate();
    if (inPlaceSite_) {
      window_->Hide();
      Ref<IOleInPlaceSite> site = std::move(inPlaceSite_);
      site->OnInPlaceDeactivate();
    }
    return S_OK;
  }
  STDMETHODIMP UIDeactivate() override {
    if (!uiActive_) return S_OK;
    uiActive_ = false;
    if (uiWindow_) uiWindow_->SetActiveObject(nullptr, nullptr);
    if (frame_) frame_->SetActiveObject(nullptr, nullptr);
    uiWindow_.Reset();
    frame_.Reset();
    if (inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
    return S_OK;
  }
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT) override {
    if (!position) return E_POINTER;
    window_->Move(*position);
    return S_OK;
  }
  STDMETHODIMP ReactivateAndUndo() override { return INPLACE_E_NOTUNDOABLE; }

  // ---- IOleInPlaceActiveObject ----
  STDMETHODIMP TranslateAccelerator(LPMSG msg) override {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_CHAR)) return S_FALSE;
    HWND page = window_->hwnd();
    if (msg->hwnd != page && !IsChild(page, msg->hwnd)) return S_FALSE;
    // The line being edited in place takes Enter and Escape itself.
    if (ListView_GetEditControl(window_->Child(page_id::kLvConfig)) == msg->hwnd) {
      TranslateMessage(msg);
      DispatchMessageW(msg);
      return S_OK;
    }
    // Tab and the arrow keys are the dialog's: the page window is a control
    // parent, so the container's dialog navigation walks through its controls.
    return S_FALSE;
  }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

  // ---- IOleControl ----
  STDMETHODIMP GetControlInfo(CONTROLINFO* info) override {
    if (!info) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
  }
  STDMETHODIMP OnMnemonic(MSG*) override { return E_NOTIMPL; }
  STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
  STDMETHODIMP FreezeEvents(BOOL) override { return S_OK; }

  // ---- IViewObject, IViewObject2 ----
  STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdc, LPCRECTL bounds,
                    LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!hdc || !bounds) return E_INVALIDARG;
    const int saved = SaveDC(hdc);
    POINT origin;
    OffsetViewportOrgEx(hdc, bounds->left, bounds->top, &origin);
    SendMessageW(window_->hwnd(), WM_PRINT, reinterpret_cast<WPARAM>(hdc),
                 PRF_CLIENT | PRF_CHILDREN | PRF_ERASEBKGND | PRF_NONCLIENT);
    RestoreDC(hdc, saved);
    return S_OK;
  }
  STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override {
    viewAspects_ = aspects;
    viewFlags_ = flags;
    viewSink_ = sink;
    return S_OK;
  }
  STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override {
    if (aspects) *aspects = viewAspects_;
    if (flags) *flags = viewFlags_;
    if (sink) {
      *sink = viewSink_.Get();
      if (*sink) (*sink)->AddRef();
    }
    return S_OK;
  }
  STDMETHODIMP GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override {
    return GetExtent(aspect, size);
  }

  // ---- IPersist, IPersistStreamInit, IPersistPropertyBag ----
  // The control keeps no properties: loading counts as initialising a new one.
  STDMETHODIMP GetClassID(CLSID* clsid) override {
    if (!clsid) return E_POINTER;
    *clsid = kClsidCtlVellox;
    return S_OK;
  }
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(IStream*) override { return Initialise(); }
  STDMETHODIMP Save(IStream*, BOOL) override { return S_OK; }
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override {
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    return S_OK;
  }
  STDMETHODIMP InitNew() override { return Initialise(); }
  STDMETHODIMP Load(IPropertyBag*, IErrorLog*) override { return Initialise(); }
  STDMETHODIMP Save(IPropertyBag*, BOOL, BOOL) override { return S_OK; }

  // ---- IProvideClassInfo, IProvideClassInfo2 ----
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    return Boundary(E_OUTOFMEMORY, [&] {
      Ref<ITypeLib> library;
      const std::wstring path(reinterpret_cast<const wchar_t*>(module::Path().c_str()));
      HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.GetAddressOf());
      if (FAILED(hr)) return hr;
      return library->GetTypeInfoOfGuid(kClsidCtlVellox, info);
    });
  }
  STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *guid = kDiidCtlVelloxEvents;
    return S_OK;
  }

  // ---- IConnectionPointContainer ----
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, kDiidCtlVelloxEvents)) return CONNECT_E_NOCONNECTION;
    Ref<EventsPoint> point = New<EventsPoint>(this);
    if (!point) return E_OUTOFMEMORY;
    *out = point.Detach();
    return S_OK;
  }

  // The sinks advised on __ctlVellox.
  DWORD AddSink(IUnknown* sink) {
    sinks_[++lastCookie_] = sink;
    return lastCookie_;
  }
  bool RemoveSink(DWORD cookie) { return sinks_.erase(cookie) == 1; }

 protected:
  ~Control() override {
    ResumeNext([&] { page_->UserControl_Terminate(); });
    window_->Bind(nullptr);
  }

  void* Find(REFIID iid) override {
    if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kIidCtlVellox)) return static_cast<_ctlVellox*>(this);
    if (IsEqualIID(iid, kIidPropertyPage)) return static_cast<::PropertyPage*>(this);
    if (IsEqualIID(iid, IID_IOleObject)) return static_cast<IOleObject*>(this);
    if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject)) {
      return static_cast<IOleInPlaceObject*>(this);
    }
    if (IsEqualIID(iid, IID_IOleInPlaceActiveObject)) return static_cast<IOleInPlaceActiveObject*>(this);
    if (IsEqualIID(iid, IID_IOleControl)) return static_cast<IOleControl*>(this);
    if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2)) {
      return static_cast<IViewObject2*>(this);
    }
    if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStreamInit)) {
      return static_cast<IPersistStreamInit*>(this);
    }
    if (IsEqualIID(iid, IID_IPersistPropertyBag)) return static_cast<IPersistPropertyBag*>(this);
    if (IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_IProvideClassInfo2)) {
      return static_cast<IProvideClassInfo2*>(this);
    }
    if (IsEqualIID(iid, IID_IConnectionPointContainer)) {
      return static_cast<IConnectionPointContainer*>(this);
    }
    return nullptr;
  }

 private:
  // Creation (UserControl_InitProperties) runs once per page: when the
  // container initialises the control with its site set, when the site
  // arrives after the initialisation, or, for a container that never
  // initialises, when its messages run after the site was set, or at the
  // first activation or PropertyPage call with the site set, whichever comes
  // first.
  void EnsureCreated() {
    if (created_) return;
    created_ = true;
    page_->UserControl_InitProperties();
  }
  // Whether the page is created, creating it now when the site is there.
  // Never creates a page without its site: the site would be missed for
  // good, and with it every change report to the dialog.
  bool CreatedWithSite() {
    if (site_) EnsureCreated();
    return created_;
  }

  // IPersistStreamInit's and IPersistPropertyBag's initialisations.
  HRESULT Initialise() noexcept {
    if (initialised_) return E_UNEXPECTED;
    initialised_ = true;
    return Boundary(E_OUTOFMEMORY, [&] {
      if (site_) EnsureCreated();
      return S_OK;
    });
  }

  HRESULT Activate(bool uiActivate, HWND parent, LPCRECT rect) {
    if (!site_) return E_UNEXPECTED;
    if (!inPlaceSite_) {
      Ref<IOleInPlaceSite> site;
      if (FAILED(site_.As(&site))) {
        // A container without in-place support: the window goes where asked.
        if (!parent || !rect) return E_FAIL;
        window_->Show(parent, *rect);
        return S_OK;
      }
      if (site->CanInPlaceActivate() != S_OK) return E_FAIL;
      site->OnInPlaceActivate();
      inPlaceSite_ = site;
    }
    HWND container = nullptr;
    inPlaceSite_->GetWindow(&container);
    Ref<IOleInPlaceFrame> frame;
    Ref<IOleInPlaceUIWindow> uiWindow;
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof(frameInfo);
    inPlaceSite_->GetWindowContext(frame.GetAddressOf(), uiWindow.GetAddressOf(), &position, &clip,
                                   &frameInfo);
    window_->Show(container ? container : parent, rect ? *rect : position);
    if (uiActivate && !uiActive_) {
      uiActive_ = true;
      inPlaceSite_->OnUIActivate();
      frame_ = frame;
      uiWindow_ = uiWindow;
      if (frame_) frame_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), nullptr);
      if (uiWindow_) uiWindow_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), nullptr);
    }
    return S_OK;
  }

  win::RegistryStore store_;
  win::Win32MessageBoxes boxes_;
  win32::SplashDialog splash_;
  ThreadOutlook outlook_;
  std::unique_ptr<PageWindow> window_;
  std::unique_ptr<ctlVellox> page_;

  Ref<IOleClientSite> site_;
  Ref<IOleInPlaceSite> inPlaceSite_;
  Ref<IOleInPlaceFrame> frame_;
  Ref<IOleInPlaceUIWindow> uiWindow_;
  Ref<IOleAdviseHolder> adviseHolder_;
  Ref<IAdviseSink> viewSink_;
  DWORD viewAspects_ = 0;
  DWORD viewFlags_ = 0;
  SIZEL extent_{};
  std::map<DWORD, Ref<IUnknown>> sinks_;
  DWORD lastCookie_ = 0;
  bool initialised_ = false;
  bool created_ = false;
  bool uiActive_ = false;
};

#pragma GCC diagnostic pop

EventsPoint::EventsPoint(Control* owner) : owner_(owner) {}

STDMETHODIMP EventsPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  *out = static_cast<IConnectionPointContainer*>(owner_.Get());
  (*out)->AddRef();
  return S_OK;
}

STDMETHODIMP EventsPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!sink || !cookie) return E_POINTER;
  return Boundary(E_OUTOFMEMORY, [&] {
    *cookie = owner_->AddSink(sink);
    return S_OK;
  });
}

STDMETHODIMP EventsPoint::Unadvise(DWORD cookie) {
  return owner_->RemoveSink(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
}

}  // namespace

HRESULT CreateCtlVellox(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  Ref<Control> control;
  try {
    control = New<Control>();
  } catch (...) {
    return E_FAIL;
  }
  if (!control) return E_OUTOFMEMORY;
  return control->QueryInterface(iid, out);
}

void ReleaseOutlookApplications() {
  std::map<DWORD, ThreadOutlookEntry> held;
  {
    std::lock_guard<win::CriticalSection> lock(g_outlookLock);
    held.swap(g_outlook);
  }
  for (auto& [thread, entry] : held) {
    if (entry.application) entry.application->Release();
  }
}

}  // namespace vx::win
