#include "platform/win32/outlook_dispatch.h"

#include "platform/failure.h"
#include "platform/win32/dispatch.h"
#include "platform/win32/event_sink.h"

namespace vx::win {

namespace {

// The object a result holds, wrapped in adapter A; empty for Nothing.
template <class A>
std::shared_ptr<A> Wrap(const VARIANT& value) {
  Ref<IDispatch> object = ToObject(value);
  return object ? std::make_shared<A>(std::move(object)) : nullptr;
}

std::shared_ptr<ol::Application> WrapApplication(const VARIANT& value);

// COM identity: the same object answers IUnknown with the same pointer.
bool SameObject(IUnknown* a, IUnknown* b) {
  if (!a || !b) return false;
  Ref<IUnknown> first, second;
  return SUCCEEDED(a->QueryInterface(IID_PPV_ARGS(first.GetAddressOf()))) &&
         SUCCEEDED(b->QueryInterface(IID_PPV_ARGS(second.GetAddressOf()))) &&
         first.Get() == second.Get();
}

class Adapter {
 public:
  explicit Adapter(Ref<IDispatch> object) : d_(std::move(object)) {}

 protected:
  DispatchObject d_;
};

class ItemAdapter final : public ol::Item, Adapter {
 public:
  using Adapter::Adapter;
  int32_t Class() override { return ToInt32(d_.Get(u"Class")); }
  Text GetText(const Text& property) override { return ToText(d_.Get(property)); }
  double GetDate(const Text& property) override { return ToDate(d_.Get(property)); }
  int32_t GetNumber(const Text& property) override { return ToInt32(d_.Get(property)); }
};

class FolderAdapter final : public ol::Folder, Adapter {
 public:
  using Adapter::Adapter;
  int32_t DefaultItemType() override { return ToInt32(d_.Get(u"DefaultItemType")); }
};

class SelectionAdapter final : public ol::Selection, Adapter {
 public:
  using Adapter::Adapter;
  int32_t Count() override { return ToInt32(d_.Get(u"Count")); }
  std::shared_ptr<ol::Item> Item(int32_t index) override {
    return Wrap<ItemAdapter>(d_.Get(u"Item", {Variant::Of(index)}));
  }
};

class ButtonAdapter final : public ol::CommandBarButton, Adapter {
 public:
  using Adapter::Adapter;
  int32_t Id() override { return ToInt32(d_.Get(u"Id")); }
  void SetCaption(const Text& caption) override { d_.Put(u"Caption", Variant::Of(caption)); }
  void SetTooltipText(const Text& text) override { d_.Put(u"TooltipText", Variant::Of(text)); }
  void SetVisible(bool visible) override { d_.Put(u"Visible", Variant::OfBool(visible)); }

  ol::ConnectionPtr Advise(ol::CommandBarButtonEvents& sink) override {
    return Subscribe(d_.get(), DIID_CommandBarButtonEvents,
                     {{dispid::kClick, [&sink](DISPPARAMS& params) {
                         auto ctrl = Wrap<ButtonAdapter>(EventArg(params, 0));
                         // CancelDefault arrives by reference and is written back.
                         VARIANT* cancelArg = params.cArgs > 1 ? &EventArg(params, 1) : nullptr;
                         VARIANT_BOOL* byRef = cancelArg && V_VT(cancelArg) == (VT_BOOL | VT_BYREF)
                                                   ? V_BOOLREF(cancelArg)
                                                   : nullptr;
                         bool cancel = byRef ? *byRef != VARIANT_FALSE
                                             : cancelArg && V_VT(cancelArg) == VT_BOOL &&
                                                   V_BOOL(cancelArg) != VARIANT_FALSE;
                         auto writeBack = [&] {
                           if (byRef) *byRef = cancel ? VARIANT_TRUE : VARIANT_FALSE;
                         };
                         try {
                           sink.Click(ctrl, cancel);
                         } catch (...) {
                           writeBack();
                           throw;
                         }
                         writeBack();
                       }}});
  }
};

class ControlsAdapter final : public ol::CommandBarControls, Adapter {
 public:
  using Adapter::Adapter;
  std::shared_ptr<ol::CommandBarButton> Item(const Text& caption) override {
    return Wrap<ButtonAdapter>(d_.Get(u"Item", {Variant::Of(caption)}));
  }
  // Add(Type, Id, Parameter, Before, Temporary) with the middle three omitted.
  std::shared_ptr<ol::CommandBarButton> Add(int32_t type, bool temporary) override {
    return Wrap<ButtonAdapter>(d_.Get(u"Add", {Variant::Of(type), Variant::Missing(), Variant::Missing(),
                                                Variant::Missing(), Variant::OfBool(temporary)}));
  }
};

class CommandBarAdapter final : public ol::CommandBar, Adapter {
 public:
  using Adapter::Adapter;
  std::shared_ptr<ol::CommandBarControls> Controls() override {
    return Wrap<ControlsAdapter>(d_.Get(u"Controls"));
  }
  std::shared_ptr<ol::CommandBarButton> FindControl(int32_t type, int32_t id) override {
    return Wrap<ButtonAdapter>(d_.Get(u"FindControl", {Variant::Of(type), Variant::Of(id)}));
  }
};

class CommandBarsAdapter final : public ol::CommandBars, Adapter {
 public:
  using Adapter::Adapter;
  // Item is a property with an argument: a get, not a method call.
  std::shared_ptr<ol::CommandBar> Item(const Text& name) override {
    return Wrap<CommandBarAdapter>(d_.Get(u"Item", {Variant::Of(name)}));
  }
};

class PropertyPagesAdapter final : public ol::PropertyPages, Adapter {
 public:
  using Adapter::Adapter;
  void Add(const Text& page, const Text& title) override {
    d_.Call(u"Add", {Variant::Of(page), Variant::Of(title)});
  }
};

class ExplorerAdapter final : public ol::Explorer, Adapter {
 public:
  using Adapter::Adapter;
  std::shared_ptr<ol::CommandBars> CommandBars() override {
    return Wrap<CommandBarsAdapter>(d_.Get(u"CommandBars"));
  }
  std::shared_ptr<ol::Folder> CurrentFolder() override { return Wrap<FolderAdapter>(d_.Get(u"CurrentFolder")); }
  std::shared_ptr<ol::Selection> Selection() override {
    return Wrap<SelectionAdapter>(d_.Get(u"Selection"));
  }
  intptr_t Window() override {
    Ref<IOleWindow> window;
    HWND handle = nullptr;
    if (FAILED(d_.get()->QueryInterface(IID_PPV_ARGS(window.GetAddressOf()))) ||
        FAILED(window->GetWindow(&handle))) {
      return 0;
    }
    return reinterpret_cast<intptr_t>(handle);
  }
  ol::ConnectionPtr Advise(ol::ExplorerEvents& sink) override {
    return Subscribe(d_.get(), DIID_ExplorerEvents,
                     {{dispid::kFolderSwitch, [&sink](DISPPARAMS&) { sink.FolderSwitch(); }},
                      {dispid::kExplorerClose, [&sink](DISPPARAMS&) { sink.Close(); }}});
  }
};

class InspectorAdapter final : public ol::Inspector, Adapter {
 public:
  using Adapter::Adapter;
  std::shared_ptr<ol::CommandBars> CommandBars() override {
    return Wrap<CommandBarsAdapter>(d_.Get(u"CommandBars"));
  }
  std::shared_ptr<ol::Item> CurrentItem() override { return Wrap<ItemAdapter>(d_.Get(u"CurrentItem")); }
  std::shared_ptr<ol::Application> Application() override { return WrapApplication(d_.Get(u"Application")); }
  // One window, whatever interface pointers it was handed out through.
  bool Is(ol::Inspector& other) override {
    auto* adapter = dynamic_cast<InspectorAdapter*>(&other);
    return adapter && SameObject(d_.get(), adapter->d_.get());
  }
  ol::ConnectionPtr Advise(ol::InspectorEvents& sink) override {
    return Subscribe(d_.get(), DIID_InspectorEvents,
                     {{dispid::kInspectorClose, [&sink](DISPPARAMS&) { sink.Close(); }}});
  }
};

// Any host object, told by its Class; its views are adapters over the same
// object (each holding its own reference).
class ObjectAdapter final : public ol::Object, Adapter {
 public:
  using Adapter::Adapter;
  int32_t Class() override { return ToInt32(d_.Get(u"Class")); }
  std::shared_ptr<ol::Explorer> AsExplorer() override { return View<ExplorerAdapter>(ol::kClassExplorer); }
  std::shared_ptr<ol::Inspector> AsInspector() override { return View<InspectorAdapter>(ol::kClassInspector); }
  std::shared_ptr<ol::Selection> AsSelection() override { return View<SelectionAdapter>(ol::kClassSelection); }

 private:
  template <class A>
  std::shared_ptr<A> View(int32_t kind) {
    if (Class() != kind) return nullptr;
    return std::make_shared<A>(Ref<IDispatch>(d_.get()));
  }
};

class ExplorersAdapter final : public ol::Explorers, Adapter {
 public:
  using Adapter::Adapter;
  int32_t Count() override { return ToInt32(d_.Get(u"Count")); }
  ol::ConnectionPtr Advise(ol::ExplorersEvents& sink) override {
    return Subscribe(d_.get(), DIID_ExplorersEvents,
                     {{dispid::kNewExplorer, [&sink](DISPPARAMS& params) {
                         sink.NewExplorer(Wrap<ExplorerAdapter>(EventArg(params, 0)));
                       }}});
  }
};

class InspectorsAdapter final : public ol::Inspectors, Adapter {
 public:
  using Adapter::Adapter;
  int32_t Count() override { return ToInt32(d_.Get(u"Count")); }
  std::shared_ptr<ol::Inspector> Item(int32_t index) override {
    return Wrap<InspectorAdapter>(d_.Get(u"Item", {Variant::Of(index)}));
  }
  ol::ConnectionPtr Advise(ol::InspectorsEvents& sink) override {
    return Subscribe(d_.get(), DIID_InspectorsEvents,
                     {{dispid::kNewInspector, [&sink](DISPPARAMS& params) {
                         sink.NewInspector(Wrap<InspectorAdapter>(EventArg(params, 0)));
                       }}});
  }
};

class NameSpaceAdapter final : public ol::NameSpace, Adapter {
 public:
  using Adapter::Adapter;
  ol::ConnectionPtr Advise(ol::NameSpaceEvents& sink) override {
    return Subscribe(d_.get(), DIID_NameSpaceEvents,
                     {{dispid::kOptionsPagesAdd, [&sink](DISPPARAMS& params) {
                         auto pages = Wrap<PropertyPagesAdapter>(EventArg(params, 0));
                         auto folder = Wrap<FolderAdapter>(EventArg(params, 1));
                         sink.OptionsPagesAdd(pages, folder);
                       }}});
  }
};

class AutomationAdapter final : public ol::Automation, Adapter {
 public:
  using Adapter::Adapter;
  void CallMethod(const Text& name) override { d_.Call(name); }
  IDispatch* dispatch() const { return d_.get(); }
};

class COMAddInAdapter final : public ol::COMAddIn, Adapter {
 public:
  using Adapter::Adapter;
  std::shared_ptr<ol::Automation> Object() override { return Wrap<AutomationAdapter>(d_.Get(u"Object")); }
  // Object is written with DISPATCH_PROPERTYPUT (the host's put, not putref).
  void SetObject(const std::shared_ptr<ol::Automation>& object) override {
    IDispatch* dispatch = object ? DispatchOf(*object) : nullptr;
    if (object && !dispatch) Raise(fail::kTypeMismatch);
    d_.Put(u"Object", Variant::Of(dispatch));
  }
};

class COMAddInsAdapter final : public ol::COMAddIns, Adapter {
 public:
  using Adapter::Adapter;
  // Item's parameter is a VARIANT*: a plain text is tried first, then the
  // text by reference for a host that does not coerce.
  std::shared_ptr<ol::COMAddIn> Item(const Text& progId) override {
    const WORD get = DISPATCH_PROPERTYGET | DISPATCH_METHOD;
    Variant key = Variant::Of(progId);
    Variant result;
    ExcepInfo info;
    HRESULT hr = d_.TryInvoke(u"Item", get, &key, 1, result.out(), &info);
    if (hr == DISP_E_TYPEMISMATCH || (hr == DISP_E_EXCEPTION && info.scode == DISP_E_TYPEMISMATCH)) {
      Variant byRef = Variant::RefTo(&key);
      ExcepInfo retry;
      hr = d_.TryInvoke(u"Item", get, &byRef, 1, result.out(), &retry);
      if (FAILED(hr)) RaiseHResult(hr, &retry);
    } else if (FAILED(hr)) {
      RaiseHResult(hr, &info);
    }
    return Wrap<COMAddInAdapter>(result);
  }
};

class ApplicationAdapter final : public ol::Application, Adapter {
 public:
  using Adapter::Adapter;
  Text Version() override { return ToText(d_.Get(u"Version")); }
  std::shared_ptr<ol::Explorers> Explorers() override { return Wrap<ExplorersAdapter>(d_.Get(u"Explorers")); }
  std::shared_ptr<ol::Inspectors> Inspectors() override {
    return Wrap<InspectorsAdapter>(d_.Get(u"Inspectors"));
  }
  std::shared_ptr<ol::NameSpace> GetNamespace(const Text& type) override {
    return Wrap<NameSpaceAdapter>(d_.Call(u"GetNamespace", {Variant::Of(type)}));
  }
  std::shared_ptr<ol::Explorer> ActiveExplorer() override {
    return Wrap<ExplorerAdapter>(d_.Get(u"ActiveExplorer"));
  }
  std::shared_ptr<ol::Inspector> ActiveInspector() override {
    return Wrap<InspectorAdapter>(d_.Get(u"ActiveInspector"));
  }
  std::shared_ptr<ol::COMAddIns> COMAddIns() override { return Wrap<COMAddInsAdapter>(d_.Get(u"COMAddIns")); }
  ol::ConnectionPtr Advise(ol::ApplicationEvents&) override {
    return Subscribe(d_.get(), DIID_ApplicationEvents, {});
  }
};

}  // namespace

std::shared_ptr<ol::Application> WrapApplication(IDispatch* application) {
  return application ? std::make_shared<ApplicationAdapter>(Ref<IDispatch>(application)) : nullptr;
}

namespace {
std::shared_ptr<ol::Application> WrapApplication(const VARIANT& value) {
  return Wrap<ApplicationAdapter>(value);
}
}  // namespace

namespace {
template <class A>
std::shared_ptr<A> WrapRaw(IDispatch* object) {
  return object ? std::make_shared<A>(Ref<IDispatch>(object)) : nullptr;
}
}  // namespace

std::shared_ptr<ol::Item> WrapItem(IDispatch* item) { return WrapRaw<ItemAdapter>(item); }
std::shared_ptr<ol::CommandBarControls> WrapCommandBarControls(IDispatch* controls) {
  return WrapRaw<ControlsAdapter>(controls);
}
std::shared_ptr<ol::CommandBarButton> WrapCommandBarButton(IDispatch* button) {
  return WrapRaw<ButtonAdapter>(button);
}
std::shared_ptr<ol::COMAddIns> WrapCOMAddIns(IDispatch* addIns) { return WrapRaw<COMAddInsAdapter>(addIns); }
std::shared_ptr<ol::COMAddIn> WrapCOMAddIn(IDispatch* addIn) { return WrapRaw<COMAddInAdapter>(addIn); }

std::shared_ptr<ol::Object> WrapObject(IDispatch* object) { return WrapRaw<ObjectAdapter>(object); }

std::shared_ptr<ol::Automation> WrapAutomation(IDispatch* object) {
  return object ? std::make_shared<AutomationAdapter>(Ref<IDispatch>(object)) : nullptr;
}

IDispatch* DispatchOf(const ol::Automation& object) {
  auto adapter = dynamic_cast<const AutomationAdapter*>(&object);
  return adapter ? adapter->dispatch() : nullptr;
}

}  // namespace vx::win
