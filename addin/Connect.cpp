#include "addin/Connect.h"

#include "addin/CustomUI.h"
#include "platform/failure.h"
#include "platform/report.h"
#include "platform/settings.h"

namespace vx {

namespace {

constexpr TextView kAddinProgId = u"Vellorian.Connect";

// The handle of Outlook's active folder window, 0 when there is none or it
// cannot be told.
intptr_t FolderWindow(const std::shared_ptr<ol::Application>& Application) noexcept {
  intptr_t window = 0;
  ResumeNext([&] { window = Need(Need(Application).ActiveExplorer()).Window(); });
  return window;
}

}  // namespace

// The first window of an Outlook started without one starts the add-in.
struct Connect::Sinks {
  struct Explorers : ol::ExplorersEvents {
    Connect& c;
    explicit Explorers(Connect& owner) : c(owner) {}
    void NewExplorer(const std::shared_ptr<ol::Explorer>&) override { c.StartWaiting(); }
  };
  struct Inspectors : ol::InspectorsEvents {
    Connect& c;
    explicit Inspectors(Connect& owner) : c(owner) {}
    void NewInspector(const std::shared_ptr<ol::Inspector>&) override { c.StartWaiting(); }
  };
  explicit Sinks(Connect& c) : explorers(c), inspectors(c) {}
  Explorers explorers;
  Inspectors inspectors;
};

Connect::Connect(mdlAllgemein& module, AfterStart& later, std::function<void()> started)
    : module_(module),
      later_(later),
      started_(std::move(started)),
      sinks_(std::make_unique<Sinks>(*this)),
      waitExplorers_(sinks_->explorers),
      waitInspectors_(sinks_->inspectors) {}

Connect::~Connect() = default;

void Connect::AddinInstance_OnConnection(const std::shared_ptr<ol::Application>& Application,
                                         const std::shared_ptr<ol::Automation>& self,
                                         const std::shared_ptr<ol::COMAddIn>& AddInInst,
                                         int32_t ConnectMode) {
  // Which faces this Outlook gets, read first and in every case (reading
  // it holds nothing); a Version that cannot be read counts as the oldest.
  Text version;
  ResumeNext([&] { version = Need(Application).Version(); });
  faces_ = FacesOf(MajorVersion(version));
  startupComplete_ = ConnectMode != connect_mode::kStartup;
  stepDue_ = false;
  splashDue_ = false;
  self_ = self;
  addInInst_ = AddInInst;

  // Outlook started without a window (by another program, say). A count
  // that cannot be read counts as no window.
  int32_t explorers = 0;
  int32_t inspectors = 0;
  ResumeNext([&] { explorers = Need(Need(Application).Explorers()).Count(); });
  ResumeNext([&] { inspectors = Need(Need(Application).Inspectors()).Count(); });
  if (explorers != 0 || inspectors != 0) {
    Start(Application);
    return;
  }
  if (faces_.holdsToTheEnd) {
    // Outlook ends whatever the add-in holds: it keeps the Application and
    // starts at the first window.
    waitingFor_ = Application;
    ResumeNext([&] { waitExplorers_.Set(Need(Application).Explorers()); });
    ResumeNext([&] { waitInspectors_.Set(Need(Application).Inspectors()); });
    return;
  }
  // Outlook 2000 to 2007 cannot quit while the add-in holds anything of
  // theirs: it stays idle. In 2007 a contact window's ribbon click starts it
  // (publishing this object, the add-in's own, which it keeps for that).
  addInInst_.reset();
  if (!faces_.inspectorRibbon) self_.reset();
}

void Connect::StartWaiting() {
  std::shared_ptr<ol::Application> application = std::move(waitingFor_);
  StopWaiting();
  if (application) Start(application);
}

void Connect::StopWaiting() {
  waitingFor_.reset();
  ResumeNext([&] { waitExplorers_.Empty(); });
  ResumeNext([&] { waitInspectors_.Empty(); });
}

void Connect::Start(const std::shared_ptr<ol::Application>& Application) {
  // A start again, after the add-in let go at Outlook's last window, wires
  // the windows anew; the rest of the first start stands.
  const bool first = !mobjVellox;
  // The wiring has no failure handling of its own: whatever it got done
  // before a failure stays, and the start goes on.
  ResumeNext([&] {
    if (!mobjVellox) mobjVellox = std::make_shared<clsVellox>(module_, faces_);
  });
  ResumeNext([&] {
    if (!mobjVellox) Raise(fail::kObjectNotSet);
    mobjVellox->InitOutlookEvents(Application);
  });
  if (started_) ResumeNext([&] { started_(); });
  if (!first) return;

  // No click reaches the add-in before it is ready: its boxes and the
  // splash are owned by (and so disable) Outlook's folder window. Where
  // Outlook times the start, nothing in it waits for the user: its boxes and
  // the splash come in the step after the start.
  const intptr_t owner = FolderWindow(Application);
  BoxOwner boxOwner(module_.services.boxes, owner);
  module_.services.boxes.Hold(faces_.splashAfterStart);
  bool ran = Guarded(module_.services.boxes,
                     GermanBox(u"AddinInstance_OnConnection", u"Designer", u"Connect"), [&] {
                       Publish(Need(Application));
                       if (SettingIsOne(module_.services.store, layout::kFirstRun)) {
                         module_.SaveInitialSettings();
                       }
                       if (!faces_.splashAfterStart) ShowSplash(owner);
                       module_.ReadAdressFormat();
                     });
  module_.services.boxes.Hold(false);
  self_.reset();
  addInInst_.reset();
  if (!faces_.splashAfterStart) return;
  // A start that failed shows its report there, and no splash.
  splashDue_ = ran;
  if (startupComplete_) {
    PostAfterStart();
  } else {
    stepDue_ = true;
  }
}

void Connect::Publish(ol::Application& Application) {
  try {
    Need(Need(Application.COMAddIns()).Item(Text(kAddinProgId))).SetObject(self_);
  } catch (const Failure& failure) {
    // An add-in entered for every user of the machine may be missing from
    // the collection (failure 5): the entry handed to this connection takes
    // the object then. Without one the collection's failure stands.
    if (failure.number() != fail::kInvalidArgument || !addInInst_) throw;
    addInInst_->SetObject(self_);
  }
}

void Connect::AddinInstance_OnStartupComplete() {
  startupComplete_ = true;
  if (!stepDue_) return;
  stepDue_ = false;
  PostAfterStart();
}

void Connect::PostAfterStart() {
  const bool posted =
      Guarded(module_.services.boxes, GermanBox(u"ShowSplash", u"Designer", u"Connect"), [&] {
        later_.Post([this] {
          const intptr_t owner = FolderWindow(module_.gobjOutlook);
          BoxOwner boxOwner(module_.services.boxes, owner);
          module_.services.boxes.ShowHeld();
          // Disconnected, or let go, meanwhile: no splash.
          if (splashDue_ && Started()) ShowSplash(owner);
          splashDue_ = false;
        });
      });
  // Nothing can come later: what the start held is shown now, not lost.
  if (!posted) module_.services.boxes.ShowHeld();
}

void Connect::AddinInstance_OnDisconnection() {
  // The published object is taken back while Outlook is still at hand:
  // Outlook would keep it (and this library) and hand it to the options page
  // of an add-in that is gone. Failures are skipped.
  if (mobjVellox && module_.gobjOutlook) {
    ResumeNext([&] {
      Need(Need(module_.gobjOutlook->COMAddIns()).Item(Text(kAddinProgId))).SetObject(nullptr);
    });
  }
  later_.Cancel();
  module_.services.boxes.DropHeld();
  module_.services.splash.End();
  stepDue_ = false;
  splashDue_ = false;
  StopWaiting();
  self_.reset();
  addInInst_.reset();
  if (mobjVellox) mobjVellox->ReleaseOutlookEvents();
  mobjVellox.reset();
}

Text Connect::GetCustomUI(TextView ribbonId) const { return CustomUI(faces_, ribbonId); }

void Connect::VelloxCopy(const std::shared_ptr<ol::Object>& context) {
  if (!Started()) {
    if (waitingFor_) {
      StartWaiting();
    } else if (faces_.inspectorRibbon) {
      // Not started, or let go at Outlook's last window: a contact window's
      // click starts the add-in from that window's Outlook.
      std::shared_ptr<ol::Application> application;
      ResumeNext([&] {
        if (Need(context).Class() == ol::kClassInspector) {
          application = Need(context->AsInspector()).Application();
        }
      });
      if (application) Start(application);
    }
  }
  if (!mobjVellox) return;
  clsVellox::Running running(*mobjVellox);
  mobjVellox->Ribbon_Click(context);
}

void Connect::ReReadSettings() {
  Guarded(module_.services.boxes, GermanBox(u"ReReadSettings", u"Designer", u"Connect"),
          [&] { module_.ReadAdressFormat(); });
}

void Connect::ShowSplash(intptr_t owner) {
  Guarded(module_.services.boxes, GermanBox(u"ShowSplash", u"Designer", u"Connect"), [&] {
    if (SettingIsOne(module_.services.store, layout::kShowSplash)) {
      module_.services.splash.ShowStartup(owner);
    }
  });
}

}  // namespace vx
