#include "platform/win32/event_sink.h"

#include <ocidl.h>

#include "platform/failure.h"
#include "platform/win32/com_server.h"
#include "platform/win32/dispatch.h"

namespace vx::win {

namespace {

class EventSink final : public ComObject<IDispatch> {
 public:
  EventSink(const IID& events, std::vector<EventHandler> handlers)
      : events_(events), handlers_(std::move(handlers)) {}

  // After this no handler runs. The handlers themselves stay until the sink
  // dies: one of them may be running right now.
  void Silence() { active_ = false; }

  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    if (result) VariantInit(result);
    if (!active_) return S_OK;
    for (auto& handler : handlers_) {
      if (handler.id != id) continue;
      Ref<EventSink> alive(this);  // the handler may end this very subscription
      DISPPARAMS none{};
      // Handlers report their own failures; nothing crosses back to the source.
      return Boundary(S_OK, [&] {
        handler.run(params ? *params : none);
        return S_OK;
      });
    }
    return S_OK;  // events nobody handles are answered as well
  }

 private:
  void* Find(REFIID iid) override {
    if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, events_)) {
      return static_cast<IDispatch*>(this);
    }
    return nullptr;
  }

  IID events_;
  std::vector<EventHandler> handlers_;
  bool active_ = true;
};

class Subscription final : public ol::Connection {
 public:
  Subscription(Ref<IConnectionPoint> point, DWORD cookie, Ref<EventSink> sink)
      : point_(std::move(point)), cookie_(cookie), sink_(std::move(sink)) {}
  ~Subscription() override {
    sink_->Silence();
    point_->Unadvise(cookie_);
  }

 private:
  Ref<IConnectionPoint> point_;
  DWORD cookie_;
  Ref<EventSink> sink_;
};

}  // namespace

VARIANT& EventArg(DISPPARAMS& params, UINT position) {
  if (position >= params.cArgs || !params.rgvarg) Raise(449, u"Argument ist nicht optional");
  VARIANT* arg = &params.rgvarg[params.cArgs - 1 - position];
  while (V_VT(arg) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(arg)) arg = V_VARIANTREF(arg);
  return *arg;
}

ol::ConnectionPtr Subscribe(IUnknown* source, const IID& events, std::vector<EventHandler> handlers) {
  if (!source) Raise(fail::kObjectNotSet);
  Ref<IConnectionPointContainer> container;
  Check(source->QueryInterface(IID_PPV_ARGS(&container)));
  Ref<IConnectionPoint> point;
  Check(container->FindConnectionPoint(events, &point));
  Ref<EventSink> sink = New<EventSink>(events, std::move(handlers));
  if (!sink) Raise(fail::kOutOfMemory);
  DWORD cookie = 0;
  HRESULT hr = point->Advise(static_cast<IDispatch*>(sink.Get()), &cookie);
  if (FAILED(hr)) {
    sink->Silence();
    RaiseHResult(hr);
  }
  try {
    return std::make_unique<Subscription>(point, cookie, sink);
  } catch (...) {
    sink->Silence();
    point->Unadvise(cookie);
    throw;
  }
}

}  // namespace vx::win
