// The add-in's entry object, as the logic sees it: the five notifications of
// Outlook's add-in connection interface, and ReReadSettings. The COM face
// (addin/com/) maps IDTExtensibility2 and _Connect onto this class.
//
// Starting. The connection reads Outlook's Version first, in every case, and
// decides the faces (addin/OutlookVersion.h). With a window open it starts at
// once: clsVellox wired, this object published, first-run defaults, template.
// Without one it stays idle below Outlook 2010; from 2010 on (where Outlook
// ends whatever an add-in holds) it keeps the Application and starts at the
// first folder or item window, or at the first ribbon click, whichever comes
// first. From 2007 on a ribbon click on an add-in that has not started (or
// has let go at Outlook's last window) starts it from the click's window.
//
// The start-up splash is owned by the active folder window. Below Outlook
// 2013 it is shown inside the start (the connection waits for it); from 2013
// on, where Outlook times the connection, it is shown once Outlook's start
// is complete: after OnStartupComplete, or right after a connection made
// later, through one step of the add-in's own (platform/after_start.h). The
// boxes of such a start wait for that step too (MessageBoxes::Hold).
#pragma once

#include <functional>
#include <memory>

#include "addin/OutlookVersion.h"
#include "addin/clsVellox.h"
#include "addin/mdlAllgemein.h"
#include "platform/after_start.h"
#include "platform/event_member.h"

namespace vx {

// IDTExtensibility2's ext_ConnectMode values the connection tells apart.
namespace connect_mode {
inline constexpr int32_t kAfterStartup = 0;  // from the COM add-ins dialog, Outlook running
inline constexpr int32_t kStartup = 1;       // at Outlook's start
}  // namespace connect_mode

class Connect {
 public:
  // later: runs the start-up splash after Outlook's start. started: called
  // each time the add-in starts working (its COM face enters it in the
  // running object table then); may be empty.
  Connect(mdlAllgemein& module, AfterStart& later, std::function<void()> started = {});
  ~Connect();
  Connect(const Connect&) = delete;
  Connect& operator=(const Connect&) = delete;

  // self: this add-in as an automation object, published as the Object of
  // its entry in Outlook's COM add-in collection. AddInInst: that entry as
  // Outlook hands it to the connection, which takes the object when the
  // collection does not list the add-in (empty when Outlook passed none).
  void AddinInstance_OnConnection(const std::shared_ptr<ol::Application>& Application,
                                  const std::shared_ptr<ol::Automation>& self,
                                  const std::shared_ptr<ol::COMAddIn>& AddInInst = nullptr,
                                  int32_t ConnectMode = connect_mode::kStartup);
  void AddinInstance_OnDisconnection();
  void AddinInstance_OnAddInsUpdate() {}
  void AddinInstance_OnStartupComplete();
  void AddinInstance_OnBeginShutdown() {}

  // Reloads the template (called by the options page by name).
  void ReReadSettings();

  // The ribbon XML for that ribbon ID (Outlook asks once per ribbon and
  // session), from the Version read at the connection alone; the empty text
  // for no customization.
  Text GetCustomUI(TextView ribbonId) const;

  // The callback of every ribbon control: context is the control's Context.
  // Starts the add-in first when it waits for a window, or (from Outlook 2007
  // on) when it has not started or has let go: from the Application it kept,
  // else from the contact window clicked.
  void VelloxCopy(const std::shared_ptr<ol::Object>& context);

  // The working object while started, else empty. A caller that runs one of
  // its handlers holds a clsVellox::Running meanwhile.
  clsVellox* working() const { return mobjVellox.get(); }
  // Whether the connection, made without a window, keeps the Application
  // and waits for the first window.
  bool waiting() const { return static_cast<bool>(waitingFor_); }
  // The faces decided from the Version at the last connection.
  const Faces& faces() const { return faces_; }

 private:
  struct Sinks;
  void Start(const std::shared_ptr<ol::Application>& Application);
  void StartWaiting();
  void StopWaiting();
  void PostAfterStart();
  void ShowSplash(intptr_t owner);
  bool Started() const { return mobjVellox && !mobjVellox->Released(); }
  void Publish(ol::Application& Application);

  mdlAllgemein& module_;
  AfterStart& later_;
  std::function<void()> started_;
  std::unique_ptr<Sinks> sinks_;
  // Shared with the handlers running at any moment (clsVellox::Running).
  std::shared_ptr<clsVellox> mobjVellox;
  Faces faces_;
  // What a start after the connection needs: this add-in's own object and
  // its entry, kept from the connection to the start (or disconnection).
  std::shared_ptr<ol::Automation> self_;
  std::shared_ptr<ol::COMAddIn> addInInst_;
  // While waiting for the first window: the Application and its windows.
  std::shared_ptr<ol::Application> waitingFor_;
  EventMember<ol::Explorers, ol::ExplorersEvents> waitExplorers_;
  EventMember<ol::Inspectors, ol::InspectorsEvents> waitInspectors_;
  // The step after the start (its held boxes, the splash): due once
  // OnStartupComplete has come; whether it shows the splash.
  bool startupComplete_ = false;
  bool stepDue_ = false;
  bool splashDue_ = false;
};

}  // namespace vx
