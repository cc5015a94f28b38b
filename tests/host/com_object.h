// The machinery every object of the substitute Outlook shares: exact
// reference and subscription counting, IDispatch answered by ITypeInfo::Invoke
// over the stand-in type libraries, and connection points.
//
// Lifetime: the host owns every object it ever created (Tracker) and frees
// them only when it ends. A COM reference count therefore measures exactly the
// references held outside the host, and an object whose count reaches zero is
// still valid, so a late or surplus Release is counted, not a crash.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <oaidl.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vx::host {

class Tracker;

// The stand-in type libraries of the build (outlook9.tlb, office9.tlb).
const wchar_t* OutlookTypeLibPath();
const wchar_t* OfficeTypeLibPath();

// Bookkeeping common to every object the host hands out.
class ObjectBase {
 public:
  ObjectBase(Tracker& tracker, std::wstring kind);
  virtual ~ObjectBase() = default;
  ObjectBase(const ObjectBase&) = delete;
  ObjectBase& operator=(const ObjectBase&) = delete;

  const std::wstring& kind() const { return kind_; }
  long refs() const { return refs_; }
  virtual long subscriptions() const { return 0; }

 protected:
  ULONG CountAddRef();
  ULONG CountRelease();
  // Called when the first reference from outside is taken (true) and when
  // the last one goes (false).
  virtual void Held(bool) {}
  Tracker& tracker_;

 private:
  std::wstring kind_;
  long refs_ = 0;
};

// Owns every object and the two type libraries; sums the counts.
class Tracker {
 public:
  Tracker();
  ~Tracker();

  template <class T, class... Args>
  T* Make(Args&&... args) {
    auto object = std::make_unique<T>(*this, std::forward<Args>(args)...);
    T* raw = object.get();
    objects_.push_back(std::move(object));
    return raw;
  }

  // The type information of a dual interface of either stand-in library:
  // the dispatch view (what GetTypeInfo hands out) and the vtable view (what
  // ITypeInfo::Invoke needs to call the object's methods).
  ITypeInfo* DispatchInfo(REFIID iid);
  ITypeInfo* VtableInfo(REFIID iid);

  long ExternalRefs() const;      // references held outside the host, all objects
  long Subscriptions() const;     // live Advise connections, all connection points
  std::wstring Holders() const;   // which objects are still referenced or subscribed

  long addRefs = 0, releases = 0, surplusReleases = 0;
  long advises = 0, unadvises = 0;
  // Time spent answering IDispatch calls (GetIDsOfNames and Invoke, in
  // QueryPerformanceCounter ticks) and their number: the host's own share of
  // whatever a client does.
  long long dispatchTicks = 0;
  long dispatchCalls = 0;
  // While set, every IDispatch::Invoke on a host object fails as a broken
  // Outlook would: DISP_E_EXCEPTION with E_FAIL and Outlook's description.
  // Names still resolve, and IUnknown and connection points keep working, so
  // that releases and Unadvise are still counted.
  bool failing = false;
  long failedCalls = 0;

  // Set when the host ends with references still held outside: the objects
  // are then leaked on purpose, since someone may still call them.
  void Abandon() { abandoned_ = true; }

 private:
  struct Info {
    IID iid;
    ITypeInfo* dispatch;
    ITypeInfo* vtable;
  };
  std::vector<std::unique_ptr<ObjectBase>> objects_;
  std::vector<Info> infos_;
  ITypeLib* outlook_ = nullptr;
  ITypeLib* office_ = nullptr;
  bool abandoned_ = false;
};

// Adds the time of one IDispatch call to the tracker's dispatch share.
class Timed {
 public:
  explicit Timed(Tracker& t) : t_(t) { QueryPerformanceCounter(&start_); }
  ~Timed() {
    LARGE_INTEGER end;
    QueryPerformanceCounter(&end);
    t_.dispatchTicks += end.QuadPart - start_.QuadPart;
    ++t_.dispatchCalls;
  }
  Timed(const Timed&) = delete;
  Timed& operator=(const Timed&) = delete;

 private:
  Tracker& t_;
  LARGE_INTEGER start_;
};

// Stores obj (or nothing) in *out with a reference for the caller.
template <class T, class U>
HRESULT Out(T* obj, U** out) {
  if (!out) return E_POINTER;
  *out = obj;
  if (obj) obj->AddRef();
  return S_OK;
}

HRESULT OutText(const std::wstring& text, BSTR* out);

// The answer of a call while the tracker is failing (counted there), or of
// one the object refuses.
HRESULT FailedCall(Tracker& tracker, EXCEPINFO* excep);
HRESULT RefusedCall(Tracker& tracker, EXCEPINFO* excep);

class ConnectionPoint;

// A COM object answering IUnknown, IDispatch and its interface Iface (a dual
// interface of a stand-in library), and IConnectionPointContainer when it
// has event sources.
template <class Iface>
class Dispatch : public Iface, public IConnectionPointContainer, public ObjectBase {
 public:
  Dispatch(Tracker& tracker, std::wstring kind)
      : ObjectBase(tracker, std::move(kind)),
        dispatchInfo_(tracker.DispatchInfo(__uuidof(Iface))),
        vtableInfo_(tracker.VtableInfo(__uuidof(Iface))) {}

  IDispatch* AsDispatch() { return static_cast<Iface*>(this); }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(Iface) ||
        AlsoAnswers(riid)) {
      *ppv = static_cast<Iface*>(this);
    } else if (riid == IID_IConnectionPointContainer && !points_.empty()) {
      *ppv = static_cast<IConnectionPointContainer*>(this);
    } else {
      return E_NOINTERFACE;
    }
    CountAddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return CountAddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return CountRelease(); }

  // IDispatch, from the stand-in type library
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    dispatchInfo_->AddRef();
    *info = dispatchInfo_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    Timed timed(tracker_);
    return vtableInfo_->GetIDsOfNames(names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excep, UINT* argErr) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (tracker_.failing) return FailedCall(tracker_, excep);
    if (Refused()) return RefusedCall(tracker_, excep);
    Timed timed(tracker_);
    return vtableInfo_->Invoke(static_cast<Iface*>(this), id, flags, params, result, excep,
                               argErr);
  }

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** e) override {
    if (e) *e = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** cp) override;

 protected:
  virtual bool AlsoAnswers(REFIID) { return false; }
  // Whether every call through IDispatch fails for now (as the server fails
  // them on an item opened beyond its limit).
  virtual bool Refused() { return false; }
  // Makes this object an event source for the dispinterface diid.
  ConnectionPoint* AddSource(REFIID diid);

 private:
  ITypeInfo* dispatchInfo_;
  ITypeInfo* vtableInfo_;
  std::vector<ConnectionPoint*> points_;
};

// One event source. Raise calls every connected sink through IDispatch::Invoke
// with the arguments in reverse order (the last parameter is rgvarg[0]). A sink
// may Unadvise itself or any other sink while an event is being raised: sinks
// disconnected meanwhile are not called.
class ConnectionPoint : public IConnectionPoint, public ObjectBase {
 public:
  ConnectionPoint(Tracker& tracker, IID diid, IConnectionPointContainer* container);
  ~ConnectionPoint() override;

  // args in parameter order; returns the number of sinks called.
  int Raise(DISPID id, std::vector<VARIANT> args);
  long subscriptions() const override { return static_cast<long>(sinks_.size()); }
  const IID& iid() const { return iid_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return CountAddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return CountRelease(); }
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** c) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** e) override;

 private:
  IID iid_;
  IConnectionPointContainer* container_;  // the owner; lives as long as the host
  std::vector<std::pair<DWORD, IDispatch*>> sinks_;
  DWORD nextCookie_ = 1;
};

template <class Iface>
HRESULT Dispatch<Iface>::FindConnectionPoint(REFIID riid, IConnectionPoint** cp) {
  if (!cp) return E_POINTER;
  *cp = nullptr;
  for (ConnectionPoint* point : points_) {
    if (point->iid() == riid) return Out(point, cp);
  }
  return CONNECT_E_NOCONNECTION;
}

template <class Iface>
ConnectionPoint* Dispatch<Iface>::AddSource(REFIID diid) {
  ConnectionPoint* point =
      tracker_.Make<ConnectionPoint>(diid, static_cast<IConnectionPointContainer*>(this));
  points_.push_back(point);
  return point;
}

// VARIANT helpers for raising events and reading arguments.
VARIANT VarDispatch(IDispatch* d);
VARIANT VarBoolRef(VARIANT_BOOL* b);
// An optional argument left out by the caller.
bool Missing(const VARIANT& v);
// The argument as a number / text; false when it cannot be converted.
bool AsLong(const VARIANT& v, long* out);
bool AsText(const VARIANT& v, std::wstring* out);

}  // namespace vx::host
