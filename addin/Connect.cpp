#include "addin/Connect.h"

#include "addin/CustomUI.h"
#include "platform/failure.h"
#include "platform/report.h"
#include "platform/settings.h"

namespace vx {

namespace {
constexpr TextView kAddinProgId = u"Vellorian.Connect";
}

void Connect::AddinInstance_OnConnection(const std::shared_ptr<ol::Application>& Application,
                                         const std::shared_ptr<ol::Automation>& self,
                                         const std::shared_ptr<ol::COMAddIn>& AddInInst) {
  // Outlook started without a window (by another program, say): stay idle.
  // A count that cannot be read counts as no window.
  int32_t explorers = 0;
  int32_t inspectors = 0;
  ResumeNext([&] { explorers = Need(Need(Application).Explorers()).Count(); });
  ResumeNext([&] { inspectors = Need(Need(Application).Inspectors()).Count(); });
  if (explorers == 0 && inspectors == 0) return;

  // Which faces this Outlook gets; a Version that cannot be read counts as
  // the oldest.
  Text version;
  ResumeNext([&] { version = Need(Application).Version(); });
  faces_ = FacesOf(MajorVersion(version));

  // The wiring has no failure handling of its own: whatever it got done
  // before a failure stays, and the connection goes on.
  ResumeNext([&] {
    if (!mobjVellox) mobjVellox = std::make_shared<clsVellox>(module_, faces_);
  });
  ResumeNext([&] {
    if (!mobjVellox) Raise(fail::kObjectNotSet);
    mobjVellox->InitOutlookEvents(Application);
  });

  Guarded(module_.services.boxes, GermanBox(u"AddinInstance_OnConnection", u"Designer", u"Connect"),
          [&] {
            Publish(Need(Application), self, AddInInst);
            if (SettingIsOne(module_.services.store, layout::kFirstRun)) {
              module_.SaveInitialSettings();
            }
            ShowSplash();
            module_.ReadAdressFormat();
          });
}

void Connect::Publish(ol::Application& Application, const std::shared_ptr<ol::Automation>& self,
                      const std::shared_ptr<ol::COMAddIn>& AddInInst) {
  try {
    Need(Need(Application.COMAddIns()).Item(Text(kAddinProgId))).SetObject(self);
  } catch (const Failure& failure) {
    // An add-in entered for every user of the machine may be missing from
    // the collection (failure 5): the entry handed to this connection takes
    // the object then. Without one the collection's failure stands.
    if (failure.number() != fail::kInvalidArgument || !AddInInst) throw;
    AddInInst->SetObject(self);
  }
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
  if (mobjVellox) mobjVellox->ReleaseOutlookEvents();
  mobjVellox.reset();
}

Text Connect::GetCustomUI(TextView ribbonId) const {
  if (!mobjVellox) return Text();
  return CustomUI(faces_, ribbonId);
}

void Connect::VelloxCopy(const std::shared_ptr<ol::Object>& context) {
  if (!mobjVellox) return;
  clsVellox::Running running(*mobjVellox);
  mobjVellox->Ribbon_Click(context);
}

void Connect::ReReadSettings() {
  Guarded(module_.services.boxes, GermanBox(u"ReReadSettings", u"Designer", u"Connect"),
          [&] { module_.ReadAdressFormat(); });
}

void Connect::ShowSplash() {
  Guarded(module_.services.boxes, GermanBox(u"ShowSplash", u"Designer", u"Connect"), [&] {
    if (SettingIsOne(module_.services.store, layout::kShowSplash)) {
      module_.services.splash.ShowModal(0);
    }
  });
}

}  // namespace vx
