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
                                         const std::shared_ptr<ol::Automation>& self) {
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
    if (!mobjVellox) mobjVellox = std::make_unique<clsVellox>(module_, faces_);
  });
  ResumeNext([&] {
    if (!mobjVellox) Raise(fail::kObjectNotSet);
    mobjVellox->InitOutlookEvents(Application);
  });

  Guarded(module_.services.boxes, GermanBox(u"AddinInstance_OnConnection", u"Designer", u"Connect"),
          [&] {
            Need(Need(Need(Application).COMAddIns()).Item(Text(kAddinProgId))).SetObject(self);
            if (SettingIsOne(module_.services.store, layout::kFirstRun)) {
              module_.SaveInitialSettings();
            }
            ShowSplash();
            module_.ReadAdressFormat();
          });
}

void Connect::AddinInstance_OnDisconnection() {
  if (mobjVellox) mobjVellox->ReleaseOutlookEvents();
  mobjVellox.reset();
}

Text Connect::GetCustomUI(TextView ribbonId) const {
  if (!mobjVellox) return Text();
  return CustomUI(faces_, ribbonId);
}

void Connect::VelloxCopy(const std::shared_ptr<ol::Object>& context) {
  if (mobjVellox) mobjVellox->Ribbon_Click(context);
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
