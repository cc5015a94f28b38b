#include "addin/clsVellox.h"

#include <utility>

#include "platform/failure.h"
#include "platform/report.h"

namespace vx {

// The event sinks of clsVellox: each forwards one source's events to the
// handler named after the member that holds the source.
struct clsVellox::Sinks {
  // Every event enters its handler here, with the object kept alive for as
  // long as the handler runs.
  template <class... Params, class... Args>
  static void Call(clsVellox& o, void (clsVellox::*handler)(Params...), Args&&... args) {
    const Running running(o);
    (o.*handler)(std::forward<Args>(args)...);
  }

  struct Application : ol::ApplicationEvents {};
  struct NameSpace : ol::NameSpaceEvents {
    clsVellox& o;
    explicit NameSpace(clsVellox& owner) : o(owner) {}
    void OptionsPagesAdd(const std::shared_ptr<ol::PropertyPages>& pages,
                         const std::shared_ptr<ol::Folder>& folder) override {
      Call(o, &clsVellox::myOLNS_OptionsPagesAdd, pages, folder);
    }
  };
  struct Inspectors : ol::InspectorsEvents {
    clsVellox& o;
    explicit Inspectors(clsVellox& owner) : o(owner) {}
    void NewInspector(const std::shared_ptr<ol::Inspector>& window) override {
      Call(o, &clsVellox::myOLInsp_NewInspector, window);
    }
  };
  struct Explorers : ol::ExplorersEvents {
    clsVellox& o;
    explicit Explorers(clsVellox& owner) : o(owner) {}
    void NewExplorer(const std::shared_ptr<ol::Explorer>& window) override {
      Call(o, &clsVellox::myOLExplorers_NewExplorer, window);
    }
  };
  struct Explorer : ol::ExplorerEvents {
    clsVellox& o;
    explicit Explorer(clsVellox& owner) : o(owner) {}
    void FolderSwitch() override { Call(o, &clsVellox::myOlExp_FolderSwitch); }
    void Close() override { Call(o, &clsVellox::myOlExp_Close); }
  };
  struct Inspector : ol::InspectorEvents {
    clsVellox& o;
    explicit Inspector(clsVellox& owner) : o(owner) {}
    void Close() override { Call(o, &clsVellox::myOLInspector_Close); }
  };
  struct InspButton : ol::CommandBarButtonEvents {
    clsVellox& o;
    explicit InspButton(clsVellox& owner) : o(owner) {}
    void Click(const std::shared_ptr<ol::CommandBarButton>& ctrl, bool& cancel) override {
      Call(o, &clsVellox::myOLInspButton_Click, ctrl, cancel);
    }
  };
  struct ExpButton : ol::CommandBarButtonEvents {
    clsVellox& o;
    explicit ExpButton(clsVellox& owner) : o(owner) {}
    void Click(const std::shared_ptr<ol::CommandBarButton>& ctrl, bool& cancel) override {
      Call(o, &clsVellox::myOLExpButton_Click, ctrl, cancel);
    }
  };

  explicit Sinks(clsVellox& o)
      : ns(o), insp(o), explorers(o), inspector(o), exp(o), inspButton(o), expButton(o) {}
  Application app;
  NameSpace ns;
  Inspectors insp;
  Explorers explorers;
  Inspector inspector;
  Explorer exp;
  InspButton inspButton;
  ExpButton expButton;
};

clsVellox::clsVellox(mdlAllgemein& module, const Faces& faces)
    : module_(module),
      faces_(faces),
      sinks_(std::make_unique<Sinks>(*this)),
      objOutlook(sinks_->app),
      myOLNS(sinks_->ns),
      myOLInsp(sinks_->insp),
      myOLExplorers(sinks_->explorers),
      myOLInspButton(sinks_->inspButton),
      myOLInspector(sinks_->inspector),
      myOlExp(sinks_->exp),
      myOLExpButton(sinks_->expButton) {}

clsVellox::~clsVellox() {
  if (objOutlook && module_.gobjOutlook == objOutlook.get()) module_.gobjOutlook.reset();
}

// ---- wiring ----

namespace {

constexpr TextView kButtonCaption = u"&Zwischenablage";
constexpr TextView kButtonTooltip = u"Adresse in die Zwischenablage kopieren";
constexpr TextView kPageProgId = u"Vellox.ctlVellox";
constexpr TextView kPageTitle = u"Adresse kopieren";
constexpr TextView kExpButtonSuffix = u" in procedure myOLExpButton_Click of Klassenmodul Klasse1";
constexpr TextView kInspButtonSuffix =
    u" in procedure myOLInspButton_Click of VBA Dokument DieseOutlookSitzung";

bool IsContact(const std::shared_ptr<ol::Item>& item) {
  return Need(item).Class() == ol::kClassContact;
}

}  // namespace

void clsVellox::InitOutlookEvents(const std::shared_ptr<ol::Application>& app) {
  released_ = false;
  objOutlook.Set(app);
  module_.gobjOutlook = app;
  myOLNS.Set(Need(app).GetNamespace(u"MAPI"));
  myOLInsp.Set(Need(objOutlook.get()).Inspectors());
  myOlExp.Set(Need(objOutlook.get()).ActiveExplorer());
  myOlExp_FolderSwitch();
  // Outlook's last window is to be heard closing whatever opens and closes
  // from here on: without an explorer a window that is open already (which
  // raised no NewInspector) is watched, and an explorer opening later is
  // tracked.
  ResumeNext([&] {
    if (!myOlExp) WatchAnotherWindow(nullptr);
  });
  myOLExplorers.Set(Need(objOutlook.get()).Explorers());
}

void clsVellox::ReleaseOutlookEvents() {
  released_ = true;
  ResumeNext([&] { myOLInsp.Empty(); });
  ResumeNext([&] { myOLExplorers.Empty(); });
  ResumeNext([&] { myOlExp.Empty(); });
  ResumeNext([&] { myOLInspButton.Empty(); });
  ResumeNext([&] { myOLInspector.Empty(); });
  ResumeNext([&] { myOLExpButton.Empty(); });
  ResumeNext([&] { myOLCommandBar.reset(); });
  ResumeNext([&] { myOLNS.Empty(); });
  ResumeNext([&] { module_.gobjOutlook.reset(); });
  ResumeNext([&] { objOutlook.Empty(); });
}

void clsVellox::myOLInsp_NewInspector(const std::shared_ptr<ol::Inspector>& Inspector) {
  // While no explorer is open and no window is watched, this window is: its
  // Close may be Outlook's last, whatever it shows. A contact window is
  // watched below anyway.
  ResumeNext([&] {
    if (!myOlExp && !myOLInspector) myOLInspector.Set(Inspector);
  });
  Guarded(module_.services.boxes, GermanBox(u"myOLInsp_NewInspector", u"Klassenmodul", u"clsVellox"),
          [&] {
            if (!IsContact(Need(Inspector).CurrentItem())) return;
            if (!faces_.inspectorButton) {
              // The window's ribbon carries the button; it is watched all the same.
              myOLInspector.Set(Inspector);
              return;
            }
            myOLCommandBar = Need(Inspector->CommandBars()).Item(u"Standard");
            myOLInspButton.Empty();
            // The window is watched for its Close from here on.
            myOLInspector.Set(Inspector);
            inspectorBar_ = myOLCommandBar;
            myOLInspButton.Set(Need(Need(myOLCommandBar).Controls()).Add(ol::kControlButton, true));
            ol::CommandBarButton& button = Need(myOLInspButton.get());
            button.SetCaption(Text(kButtonCaption));
            button.SetTooltipText(Text(kButtonTooltip));
            button.SetVisible(true);
          });
}

void clsVellox::myOLExplorers_NewExplorer(const std::shared_ptr<ol::Explorer>& Explorer) {
  // A folder window opening while none is tracked (the last one closed while
  // another window stayed open) is tracked as the active one is: its button
  // comes at its first folder switch. Failures are skipped silently.
  ResumeNext([&] {
    if (!myOlExp) myOlExp.Set(Explorer);
  });
}

void clsVellox::myOlExp_FolderSwitch() {
  // The explorer's ribbon carries the button from Outlook 2010 on.
  if (!faces_.explorerButton) return;
  Guarded(module_.services.boxes,
          EnglishBox(u" in procedure myOlExp_FolderSwitch of Klassenmodul Klasse1"), [&] {
            myOLCommandBar = Need(Need(myOlExp.get()).CommandBars()).Item(u"Standard");
            // The button this bar already carries, if any; a bar without it
            // (first switch, removed by the user, another explorer) gets a
            // new one below. The control found by its caption is the one
            // kept: Office gives every custom control the same Id, so a
            // search by Id would find whichever custom control comes first
            // on the bar, another add-in's as likely as ours.
            int32_t lookup = ResumeNext([&] {
              myOLExpButton.Set(
                  Need(Need(myOLCommandBar).Controls()).Item(Text(kButtonCaption)));
            });
            if (lookup == fail::kInvalidArgument) myOLExpButton.Empty();
            if (!myOLExpButton) {
              myOLExpButton.Set(
                  Need(Need(myOLCommandBar).Controls()).Add(ol::kControlButton, true));
              ol::CommandBarButton& added = Need(myOLExpButton.get());
              added.SetCaption(Text(kButtonCaption));
              added.SetTooltipText(Text(kButtonTooltip));
            }
            bool contacts =
                Need(Need(myOlExp.get()).CurrentFolder()).DefaultItemType() == ol::kItemTypeContact;
            Need(myOLExpButton.get()).SetVisible(contacts);
          });
}

void clsVellox::myOlExp_Close() {
  ResumeNext([&] { myOlExp.Set(Need(module_.gobjOutlook).ActiveExplorer()); });
  ResumeNext([&] {
    if (myOlExp) return;
    if (Need(Need(module_.gobjOutlook).Inspectors()).Count() == 0) {
      // Where Outlook ends whatever an add-in holds, the add-in keeps it all
      // for a window opened again in this process.
      if (!faces_.holdsToTheEnd) ReleaseOutlookEvents();
    } else if (!myOLInspector) {
      WatchAnotherWindow(nullptr);
    }
  });
}

bool clsVellox::IsLastWindow(ol::Inspector& closing) {
  ol::Application& app = Need(module_.gobjOutlook);
  if (app.ActiveExplorer()) return false;
  // Outlook still lists a window while its Close event runs, a host may
  // already have dropped it: only the other windows count.
  auto inspectors = app.Inspectors();
  int32_t count = Need(inspectors).Count();
  for (int32_t i = 1; i <= count; ++i) {
    if (!Need(inspectors->Item(i)).Is(closing)) return false;
  }
  return true;
}

void clsVellox::myOLInspector_Close() {
  bool last = false;
  ResumeNext([&] { last = IsLastWindow(Need(myOLInspector.get())); });
  if (last && !faces_.holdsToTheEnd) {
    ReleaseOutlookEvents();
    return;
  }
  // Other windows stay open (or everything is kept to the end): only this
  // window's bar and button go.
  ResumeNext([&] {
    if (myOLCommandBar && myOLCommandBar == inspectorBar_.lock()) myOLCommandBar.reset();
  });
  ResumeNext([&] { myOLInspButton.Empty(); });
  std::shared_ptr<ol::Inspector> closing = myOLInspector.get();
  if (ResumeNext([&] { WatchAnotherWindow(closing.get()); }) != 0) {
    ResumeNext([&] { myOLInspector.Empty(); });
  }
}

void clsVellox::WatchAnotherWindow(ol::Inspector* closing) {
  ol::Application& app = Need(module_.gobjOutlook);
  if (!app.ActiveExplorer()) {
    auto inspectors = app.Inspectors();
    int32_t count = Need(inspectors).Count();
    for (int32_t i = 1; i <= count; ++i) {
      std::shared_ptr<ol::Inspector> window = inspectors->Item(i);
      if (window && !(closing && window->Is(*closing))) {
        myOLInspector.Set(window);
        return;
      }
    }
  }
  myOLInspector.Empty();
}

void clsVellox::CopyContact(const std::shared_ptr<ol::Item>& item) {
  if (!IsContact(item)) return;
  auto text = BuildAddressText({item});
  if (text && !released_) module_.ClipBoard_SetText(*text);
}

void clsVellox::CopySelection(const std::shared_ptr<ol::Selection>& selection) {
  // The selection's contacts in its order, each taken when its block is
  // built and let go of after it; other items are let go of at once.
  struct SelectedContacts : Contacts {
    explicit SelectedContacts(ol::Selection& s) : selection(s), count(s.Count()) {}
    bool Next(std::shared_ptr<ol::Item>& contact) override {
      while (next <= count) {
        std::shared_ptr<ol::Item> item = selection.Item(next++);
        if (IsContact(item)) {
          contact = std::move(item);
          return true;
        }
      }
      return false;
    }
    size_t Hint() const override { return count > 0 ? static_cast<size_t>(count) : 0; }
    ol::Selection& selection;
    int32_t count;
    int32_t next = 1;
  } contacts(Need(selection));
  auto text = BuildAddressText(contacts);
  if (text && !released_) module_.ClipBoard_SetText(*text);
}

void clsVellox::myOLInspButton_Click(const std::shared_ptr<ol::CommandBarButton>&, bool&) {
  Guarded(module_.services.boxes, EnglishBox(kInspButtonSuffix), [&] {
    CopyContact(Need(Need(module_.gobjOutlook).ActiveInspector()).CurrentItem());
  });
}

void clsVellox::myOLExpButton_Click(const std::shared_ptr<ol::CommandBarButton>&, bool&) {
  Guarded(module_.services.boxes, EnglishBox(kExpButtonSuffix),
          [&] { CopySelection(Need(myOlExp.get()).Selection()); });
}

void clsVellox::Ribbon_Click(const std::shared_ptr<ol::Object>& context) {
  // A context whose kind cannot be told is none of ours: nothing is copied.
  int32_t kind = 0;
  if (!context || ResumeNext([&] { kind = context->Class(); }) != 0) return;
  switch (kind) {
    case ol::kClassExplorer:
      Guarded(module_.services.boxes, EnglishBox(kExpButtonSuffix),
              [&] { CopySelection(Need(context->AsExplorer()).Selection()); });
      break;
    case ol::kClassSelection:
      Guarded(module_.services.boxes, EnglishBox(kExpButtonSuffix),
              [&] { CopySelection(context->AsSelection()); });
      break;
    case ol::kClassInspector:
      Guarded(module_.services.boxes, EnglishBox(kInspButtonSuffix),
              [&] { CopyContact(Need(context->AsInspector()).CurrentItem()); });
      break;
    default:
      break;
  }
}

void clsVellox::myOLNS_OptionsPagesAdd(const std::shared_ptr<ol::PropertyPages>& Pages,
                                       const std::shared_ptr<ol::Folder>& Folder) {
  ResumeNext([&] {
    if (Need(Folder).DefaultItemType() == ol::kItemTypeContact) {
      Need(Pages).Add(Text(kPageProgId), Text(kPageTitle));
    }
  });
}

}  // namespace vx
