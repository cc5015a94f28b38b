// An in-memory Outlook and Office object model: every interface of
// platform/outlook.h, with the windows, toolbars, folders, selections and
// collections a test arranges, the events it raises, failures it injects and
// a count of what the code under test still holds.
//
// References. Every object handed out through an interface is a counted
// reference: the count of that object goes up with the handout and down when
// the last copy of the returned shared_ptr goes. References() is the total of
// all objects, ReferencesTo(x) that of one object. Test code that takes
// handouts itself (Application(), say) holds them too while it keeps them.
//
// Subscriptions. Advise() hands out a Connection; Subscriptions() counts
// those still open. Raising an event runs over the sinks subscribed when it
// began and skips every one whose subscription ended meanwhile, so a handler
// may end its own subscription or another one while the event is raised.
//
// Failures. FailOn("Explorer.CommandBars", 91) makes every later call of that
// operation raise failure 91 until Heal(); the names are "<Interface>.<method>"
// exactly as in platform/outlook.h ("CommandBarControls.Item",
// "CommandBarButton.SetVisible", "Inspectors.Advise"). An unknown name is a
// test error (std::invalid_argument).
//
// Objects live as long as the model (closed windows included), so a test may
// keep references to the Fake* objects it arranged.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/outlook.h"

namespace vx::fake {

// What the model and all its objects share; outlives the model while the
// code under test still holds handouts.
struct OutlookState : std::enable_shared_from_this<OutlookState> {
  int references = 0;
  int subscriptions = 0;
  std::map<const void*, int> held;  // by the object's most-derived address
  std::map<std::string, int32_t> failures;

  // Raises the injected failure of this operation, if any.
  void Check(const char* operation) const;

  // A counted reference to object (empty stays empty).
  template <class T>
  std::shared_ptr<T> Hand(std::shared_ptr<T> object);
};

// The base of every fake host object.
class FakeObject : public std::enable_shared_from_this<FakeObject> {
 public:
  explicit FakeObject(std::shared_ptr<OutlookState> state) : state_(std::move(state)) {}
  virtual ~FakeObject() = default;
  FakeObject(const FakeObject&) = delete;
  FakeObject& operator=(const FakeObject&) = delete;

 protected:
  void Check(const char* operation) const { state_->Check(operation); }
  // A counted reference to this object as interface I.
  template <class I, class Self>
  std::shared_ptr<I> HandSelf(Self& self) {
    return state_->Hand<I>(std::shared_ptr<I>(std::static_pointer_cast<Self>(self.shared_from_this())));
  }
  std::shared_ptr<OutlookState> state_;
};

// The sinks subscribed to one event interface of one object.
template <class Sink>
class EventSource {
 public:
  explicit EventSource(std::shared_ptr<OutlookState> state) : state_(std::move(state)) {}

  ol::ConnectionPtr Advise(Sink& sink) {
    auto subscription = std::make_shared<Subscription>(Subscription{&sink, true});
    subscriptions_.push_back(subscription);
    ++state_->subscriptions;
    return std::make_unique<Link>(std::move(subscription), state_);
  }

  // Calls deliver(sink) for every sink subscribed now whose subscription is
  // still open when its turn comes.
  void Raise(const std::function<void(Sink&)>& deliver) {
    auto snapshot = subscriptions_;
    for (const auto& subscription : snapshot) {
      if (subscription->open) deliver(*subscription->sink);
    }
    std::erase_if(subscriptions_, [](const auto& s) { return !s->open; });
  }

  int open() const {
    int n = 0;
    for (const auto& s : subscriptions_) n += s->open ? 1 : 0;
    return n;
  }

 private:
  struct Subscription {
    Sink* sink;
    bool open;
  };
  class Link : public ol::Connection {
   public:
    Link(std::shared_ptr<Subscription> s, std::shared_ptr<OutlookState> state)
        : subscription_(std::move(s)), state_(std::move(state)) {}
    ~Link() override {
      subscription_->open = false;
      --state_->subscriptions;
    }

   private:
    std::shared_ptr<Subscription> subscription_;
    std::shared_ptr<OutlookState> state_;
  };

  std::shared_ptr<OutlookState> state_;
  std::vector<std::shared_ptr<Subscription>> subscriptions_;
};

// ---- Office: command bars ----

class FakeButton : public ol::CommandBarButton, public FakeObject {
 public:
  FakeButton(std::shared_ptr<OutlookState> state, int32_t type, int32_t id, bool temporary);

  int32_t Id() override;
  void SetCaption(const Text& caption) override;
  void SetTooltipText(const Text& text) override;
  void SetVisible(bool visible) override;
  ol::ConnectionPtr Advise(ol::CommandBarButtonEvents& sink) override;

  // The user clicks it. Returns CancelDefault as the handlers left it.
  bool Click();

  int32_t type() const { return type_; }
  int32_t id() const { return id_; }
  bool temporary() const { return temporary_; }
  const Text& caption() const { return caption_; }
  const Text& tooltip() const { return tooltip_; }
  bool visible() const { return visible_; }
  int subscriptions() const { return click_.open(); }

 private:
  int32_t type_;
  int32_t id_;
  bool temporary_;
  Text caption_;
  Text tooltip_;
  bool visible_ = true;  // Office shows a new control
  EventSource<ol::CommandBarButtonEvents> click_;
};

class FakeCommandBar;

class FakeControls : public ol::CommandBarControls, public FakeObject {
 public:
  FakeControls(std::shared_ptr<OutlookState> state, FakeCommandBar& bar)
      : FakeObject(std::move(state)), bar_(bar) {}
  std::shared_ptr<ol::CommandBarButton> Item(const Text& caption) override;
  std::shared_ptr<ol::CommandBarButton> Add(int32_t type, bool temporary) override;

 private:
  FakeCommandBar& bar_;
};

class FakeCommandBar : public ol::CommandBar, public FakeObject {
 public:
  FakeCommandBar(std::shared_ptr<OutlookState> state, Text name);

  std::shared_ptr<ol::CommandBarControls> Controls() override;
  std::shared_ptr<ol::CommandBarButton> FindControl(int32_t type, int32_t id) override;

  const Text& name() const { return name_; }
  // The controls on the bar, first to last.
  const std::vector<std::shared_ptr<FakeButton>>& buttons() const { return buttons_; }
  // Those with this caption.
  std::vector<FakeButton*> Captioned(const Text& caption) const;
  // A control that is already on the bar (built in, or another add-in's).
  FakeButton& Put(int32_t type, int32_t id, const Text& caption);
  // The user drags it off the bar.
  void Remove(FakeButton& button);
  // The window closes: temporary controls go.
  void DiscardTemporary();

  // Id of the next control added through Controls().Add: custom controls
  // all carry the same Id, as in Office.
  static constexpr int32_t kCustomId = 1;

 private:
  friend class FakeControls;
  void TakeOff(const std::function<bool(const FakeButton&)>& which);
  Text name_;
  std::shared_ptr<FakeControls> controls_;
  std::vector<std::shared_ptr<FakeButton>> buttons_;
  std::vector<std::shared_ptr<FakeButton>> gone_;  // off the bar, kept for the test
};

class FakeCommandBars : public ol::CommandBars, public FakeObject {
 public:
  explicit FakeCommandBars(std::shared_ptr<OutlookState> state);
  std::shared_ptr<ol::CommandBar> Item(const Text& name) override;  // failure 5 when missing
  FakeCommandBar& Standard() { return *standard_; }

 private:
  std::shared_ptr<FakeCommandBar> standard_;
};

// ---- Outlook ----

class FakeFolder : public ol::Folder, public FakeObject {
 public:
  FakeFolder(std::shared_ptr<OutlookState> state, Text name, int32_t defaultItemType)
      : FakeObject(std::move(state)), name_(std::move(name)), type_(defaultItemType) {}
  int32_t DefaultItemType() override;
  const Text& name() const { return name_; }

 private:
  Text name_;
  int32_t type_;
};

class FakeSelection : public ol::Selection, public FakeObject {
 public:
  FakeSelection(std::shared_ptr<OutlookState> state, std::vector<std::shared_ptr<ol::Item>> items)
      : FakeObject(std::move(state)), items_(std::move(items)) {}
  int32_t Count() override;
  std::shared_ptr<ol::Item> Item(int32_t index) override;  // 1-based; failure 5 outside

 private:
  std::vector<std::shared_ptr<ol::Item>> items_;
};

class FakeExplorer : public ol::Explorer, public FakeObject {
 public:
  FakeExplorer(std::shared_ptr<OutlookState> state, std::shared_ptr<FakeFolder> folder);

  std::shared_ptr<ol::CommandBars> CommandBars() override;
  std::shared_ptr<ol::Folder> CurrentFolder() override;
  std::shared_ptr<ol::Selection> Selection() override;
  intptr_t Window() override { return window_; }
  ol::ConnectionPtr Advise(ol::ExplorerEvents& sink) override;

  FakeCommandBar& Standard() { return bars_->Standard(); }
  FakeFolder& folder() { return *folder_; }
  // Its window handle: one of its own for every explorer.
  intptr_t window() const { return window_; }
  bool open() const { return open_; }
  int subscriptions() const { return events_.open(); }

 private:
  friend class FakeOutlook;
  std::shared_ptr<FakeCommandBars> bars_;
  std::shared_ptr<FakeFolder> folder_;
  std::vector<std::shared_ptr<ol::Item>> selection_;
  intptr_t window_ = 0;
  bool open_ = true;
  EventSource<ol::ExplorerEvents> events_;
};

class FakeInspector : public ol::Inspector, public FakeObject {
 public:
  FakeInspector(std::shared_ptr<OutlookState> state, std::shared_ptr<ol::Item> item);

  std::shared_ptr<ol::CommandBars> CommandBars() override;
  std::shared_ptr<ol::Item> CurrentItem() override;
  std::shared_ptr<ol::Application> Application() override;
  bool Is(ol::Inspector& other) override;
  ol::ConnectionPtr Advise(ol::InspectorEvents& sink) override;

  FakeCommandBar& Standard() { return bars_->Standard(); }
  bool open() const { return open_; }
  int subscriptions() const { return events_.open(); }

 private:
  friend class FakeOutlook;
  std::shared_ptr<FakeCommandBars> bars_;
  std::shared_ptr<ol::Item> item_;
  std::weak_ptr<ol::Application> application_;
  bool open_ = true;
  EventSource<ol::InspectorEvents> events_;
};

class FakeOutlook;

// A ribbon control's Context: the object of kind `objectClass` (34 an
// explorer, 35 an inspector, 74 a selection, anything else) with the views
// given.
class FakeContext : public ol::Object, public FakeObject {
 public:
  FakeContext(std::shared_ptr<OutlookState> state, int32_t objectClass,
              std::shared_ptr<ol::Explorer> explorer, std::shared_ptr<ol::Inspector> inspector,
              std::shared_ptr<ol::Selection> selection)
      : FakeObject(std::move(state)),
        class_(objectClass),
        explorer_(std::move(explorer)),
        inspector_(std::move(inspector)),
        selection_(std::move(selection)) {}
  int32_t Class() override;
  std::shared_ptr<ol::Explorer> AsExplorer() override { return state_->Hand(explorer_); }
  std::shared_ptr<ol::Inspector> AsInspector() override { return state_->Hand(inspector_); }
  std::shared_ptr<ol::Selection> AsSelection() override { return state_->Hand(selection_); }

 private:
  int32_t class_;
  std::shared_ptr<ol::Explorer> explorer_;
  std::shared_ptr<ol::Inspector> inspector_;
  std::shared_ptr<ol::Selection> selection_;
};

class FakeExplorers : public ol::Explorers, public FakeObject {
 public:
  FakeExplorers(std::shared_ptr<OutlookState> state, FakeOutlook& outlook)
      : FakeObject(state), outlook_(outlook), events_(state) {}
  int32_t Count() override;
  ol::ConnectionPtr Advise(ol::ExplorersEvents& sink) override;
  int subscriptions() const { return events_.open(); }

 private:
  friend class FakeOutlook;
  FakeOutlook& outlook_;
  EventSource<ol::ExplorersEvents> events_;
};

class FakeInspectors : public ol::Inspectors, public FakeObject {
 public:
  FakeInspectors(std::shared_ptr<OutlookState> state, FakeOutlook& outlook)
      : FakeObject(state), outlook_(outlook), events_(state) {}
  int32_t Count() override;
  std::shared_ptr<ol::Inspector> Item(int32_t index) override;  // failure 9 outside 1..Count()
  ol::ConnectionPtr Advise(ol::InspectorsEvents& sink) override;
  int subscriptions() const { return events_.open(); }

 private:
  friend class FakeOutlook;
  FakeOutlook& outlook_;
  EventSource<ol::InspectorsEvents> events_;
};

class FakeNameSpace : public ol::NameSpace, public FakeObject {
 public:
  explicit FakeNameSpace(std::shared_ptr<OutlookState> state) : FakeObject(state), events_(state) {}
  ol::ConnectionPtr Advise(ol::NameSpaceEvents& sink) override;
  int subscriptions() const { return events_.open(); }

 private:
  friend class FakeOutlook;
  EventSource<ol::NameSpaceEvents> events_;
};

struct PageAdded {
  Text page;
  Text title;
};

class FakePropertyPages : public ol::PropertyPages, public FakeObject {
 public:
  explicit FakePropertyPages(std::shared_ptr<OutlookState> state) : FakeObject(std::move(state)) {}
  void Add(const Text& page, const Text& title) override;
  const std::vector<PageAdded>& added() const { return added_; }

 private:
  std::vector<PageAdded> added_;
};

class FakeCOMAddIn : public ol::COMAddIn, public FakeObject {
 public:
  FakeCOMAddIn(std::shared_ptr<OutlookState> state, Text progId)
      : FakeObject(std::move(state)), progId_(std::move(progId)) {}
  std::shared_ptr<ol::Automation> Object() override;
  void SetObject(const std::shared_ptr<ol::Automation>& object) override;

  const Text& progId() const { return progId_; }
  // What the add-in stored, without counting a handout.
  const std::shared_ptr<ol::Automation>& object() const { return object_; }
  // The entry is left out of COMAddIns.Item (an add-in for every user of the
  // machine, as some Outlook versions treat it); it is still handed to the
  // add-in's connection.
  void Unlist() { listed_ = false; }
  bool listed() const { return listed_; }

 private:
  bool listed_ = true;
  Text progId_;
  std::shared_ptr<ol::Automation> object_;
};

class FakeCOMAddIns : public ol::COMAddIns, public FakeObject {
 public:
  explicit FakeCOMAddIns(std::shared_ptr<OutlookState> state) : FakeObject(std::move(state)) {}
  std::shared_ptr<ol::COMAddIn> Item(const Text& progId) override;  // failure 5 when missing

 private:
  friend class FakeOutlook;
  std::vector<std::shared_ptr<FakeCOMAddIn>> entries_;
};

class FakeApplication : public ol::Application, public FakeObject {
 public:
  FakeApplication(std::shared_ptr<OutlookState> state, FakeOutlook& outlook)
      : FakeObject(state), outlook_(outlook), events_(state) {}
  Text Version() override;  // FakeOutlook::version
  std::shared_ptr<ol::Explorers> Explorers() override;
  std::shared_ptr<ol::Inspectors> Inspectors() override;
  std::shared_ptr<ol::NameSpace> GetNamespace(const Text& type) override;  // "MAPI" only
  std::shared_ptr<ol::Explorer> ActiveExplorer() override;
  std::shared_ptr<ol::Inspector> ActiveInspector() override;
  std::shared_ptr<ol::COMAddIns> COMAddIns() override;
  ol::ConnectionPtr Advise(ol::ApplicationEvents& sink) override;
  int subscriptions() const { return events_.open(); }

 private:
  FakeOutlook& outlook_;
  EventSource<ol::ApplicationEvents> events_;
};

// An automation object that records the methods called on it by name.
class RecordingAutomation : public ol::Automation {
 public:
  void CallMethod(const Text& name) override { calls.push_back(name); }
  std::vector<Text> calls;
};

// The host. Windows open and close, folders switch and buttons are clicked
// through it; each raises the events the real host raises.
class FakeOutlook {
 public:
  FakeOutlook();
  ~FakeOutlook();
  FakeOutlook(const FakeOutlook&) = delete;
  FakeOutlook& operator=(const FakeOutlook&) = delete;

  // Outlook's application object, as handed to an add-in (a counted handout).
  std::shared_ptr<ol::Application> Application();
  FakeApplication& application() { return *application_; }
  FakeNameSpace& nameSpace() { return *namespace_; }
  FakeInspectors& inspectors() { return *inspectors_; }
  FakeExplorers& explorers() { return *explorers_; }

  FakeFolder& AddFolder(const Text& name, int32_t defaultItemType);

  // A folder window showing folder; it becomes the active explorer and
  // NewExplorer is raised with it.
  FakeExplorer& OpenExplorer(FakeFolder& folder);
  // The explorer shows another folder: FolderSwitch.
  void SwitchFolder(FakeExplorer& explorer, FakeFolder& folder);
  // Sets the explorer's selection, in this order.
  void Select(FakeExplorer& explorer, std::vector<std::shared_ptr<ol::Item>> items);
  // The window closes: it leaves the explorers (the active explorer becomes
  // the one opened before it that is still open, or none), its temporary
  // controls go, then Close is raised on it.
  void CloseExplorer(FakeExplorer& explorer);

  // An item window; it becomes the active inspector and NewInspector is
  // raised with it.
  FakeInspector& OpenInspector(std::shared_ptr<ol::Item> item);
  // The window closes: Close is raised on it while it is still among the
  // inspectors (as Outlook does), then it leaves them (the active inspector
  // becomes the one opened before it that is still open, or none) and its
  // temporary controls go.
  void CloseInspector(FakeInspector& inspector);

  // The properties dialog of folder is being built: OptionsPagesAdd with a
  // fresh page collection, which records what is added to it.
  FakePropertyPages& OpenFolderProperties(FakeFolder& folder);

  // An entry in Application.COMAddIns.
  FakeCOMAddIn& AddCOMAddIn(const Text& progId);
  // The entry as Outlook hands it to the add-in's OnConnection (a counted
  // handout).
  std::shared_ptr<ol::COMAddIn> AddInInst(FakeCOMAddIn& entry);

  // What Application.Version answers.
  Text version = u"9.0.0.2711";

  // The Context of a ribbon control (a counted handout): in a folder
  // window's ribbon, in a contact window's, in a context menu over these
  // items, or an object of another kind (a folder's context menu, say).
  std::shared_ptr<ol::Object> RibbonContext(FakeExplorer& explorer);
  std::shared_ptr<ol::Object> RibbonContext(FakeInspector& inspector);
  std::shared_ptr<ol::Object> RibbonContext(std::vector<std::shared_ptr<ol::Item>> selection);
  std::shared_ptr<ol::Object> OtherContext(int32_t objectClass);

  void FailOn(const std::string& operation, int32_t number);
  void Heal(const std::string& operation);

  // Outstanding handouts, in all and of one object.
  int References() const { return state_->references; }
  template <class T>
  int ReferencesTo(const T& object) const {
    auto it = state_->held.find(dynamic_cast<const void*>(&object));
    return it == state_->held.end() ? 0 : it->second;
  }
  int Subscriptions() const { return state_->subscriptions; }

  std::vector<FakeExplorer*> openExplorers() const;
  std::vector<FakeInspector*> openInspectors() const;
  FakeExplorer* activeExplorer() const;
  FakeInspector* activeInspector() const;

 private:
  std::shared_ptr<OutlookState> state_;
  std::shared_ptr<FakeApplication> application_;
  std::shared_ptr<FakeNameSpace> namespace_;
  std::shared_ptr<FakeExplorers> explorers_;
  std::shared_ptr<FakeInspectors> inspectors_;
  std::shared_ptr<FakeCOMAddIns> addins_;
  std::vector<std::shared_ptr<FakeFolder>> folders_;
  std::vector<std::shared_ptr<FakeExplorer>> explorerWindows_;   // in order of opening
  std::vector<std::shared_ptr<FakeInspector>> inspectorWindows_;  // in order of opening
  std::vector<std::shared_ptr<FakePropertyPages>> pages_;

  friend class FakeApplication;
};

template <class T>
std::shared_ptr<T> OutlookState::Hand(std::shared_ptr<T> object) {
  if (!object) return object;
  const void* key = dynamic_cast<const void*>(object.get());
  ++references;
  ++held[key];
  // The handout keeps the object and the state alive, like a COM reference.
  T* raw = object.get();
  return std::shared_ptr<T>(raw, [object = std::move(object), self = shared_from_this(), key](T*) mutable {
    --self->references;
    --self->held[key];
    object.reset();
  });
}

}  // namespace vx::fake
