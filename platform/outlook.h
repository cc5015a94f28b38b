// The Outlook and Office operations the system uses, and nothing more.
//
// Objects are handed out as std::shared_ptr: the holder releases its
// reference to the host object when its last copy goes. A member read or a
// method call may raise a numbered Failure (platform/failure.h); an empty
// reference where an object is expected is failure 91 (see Need()).
//
// Events: an event source hands out a Connection for a sink; the subscription
// lasts as long as the Connection. Sources allow a sink to end its own (or
// another) subscription while an event is being raised.
//
// The real implementation calls Outlook by name through IDispatch
// (platform/win32/); tests use an in-memory model (tests/fakes/).
#pragma once

#include <cstdint>
#include <memory>

#include "platform/text.h"

namespace vx::ol {

inline constexpr int32_t kClassExplorer = 34;   // OlObjectClass olExplorer
inline constexpr int32_t kClassInspector = 35;  // olInspector
inline constexpr int32_t kClassContact = 40;    // olContact
inline constexpr int32_t kClassMail = 43;       // olMail
inline constexpr int32_t kClassDistList = 69;   // olDistributionList
inline constexpr int32_t kClassSelection = 74;  // olSelection
inline constexpr int32_t kItemTypeContact = 2;  // OlItemType olContactItem
inline constexpr int32_t kControlButton = 1;    // MsoControlType msoControlButton

class Connection {
 public:
  virtual ~Connection() = default;  // ends the subscription
};
using ConnectionPtr = std::unique_ptr<Connection>;

class Application;
class CommandBarButton;
class Explorer;
class Folder;
class Inspector;
class PropertyPages;

// ---- event interfaces (sinks) ----

class ApplicationEvents {  // subscribed, no event handled
 public:
  virtual ~ApplicationEvents() = default;
};

class NameSpaceEvents {
 public:
  virtual ~NameSpaceEvents() = default;
  virtual void OptionsPagesAdd(const std::shared_ptr<PropertyPages>& pages,
                               const std::shared_ptr<Folder>& folder) = 0;
};

class InspectorsEvents {
 public:
  virtual ~InspectorsEvents() = default;
  virtual void NewInspector(const std::shared_ptr<Inspector>& inspector) = 0;
};

class ExplorersEvents {
 public:
  virtual ~ExplorersEvents() = default;
  virtual void NewExplorer(const std::shared_ptr<Explorer>& explorer) = 0;
};

class ExplorerEvents {
 public:
  virtual ~ExplorerEvents() = default;
  virtual void FolderSwitch() = 0;
  virtual void Close() = 0;
};

class InspectorEvents {
 public:
  virtual ~InspectorEvents() = default;
  virtual void Close() = 0;
};

class CommandBarButtonEvents {
 public:
  virtual ~CommandBarButtonEvents() = default;
  virtual void Click(const std::shared_ptr<CommandBarButton>& ctrl, bool& cancelDefault) = 0;
};

// ---- objects ----

// Any Outlook item (contact, mail, distribution list, ...).
class Item {
 public:
  virtual ~Item() = default;
  virtual int32_t Class() = 0;  // "Class", by name
  // A text property by its name (FullName, CompanyName, ...).
  virtual Text GetText(const Text& property) = 0;
  // A date property by its name (Birthday, Anniversary): days since 30
  // December 1899, the time of day as the fraction.
  virtual double GetDate(const Text& property) = 0;
  // A number property by its name (Gender).
  virtual int32_t GetNumber(const Text& property) = 0;
};

class Folder {  // MAPIFolder
 public:
  virtual ~Folder() = default;
  virtual int32_t DefaultItemType() = 0;
};

class Selection {
 public:
  virtual ~Selection() = default;
  virtual int32_t Count() = 0;
  virtual std::shared_ptr<ol::Item> Item(int32_t index) = 0;  // 1-based
};

class CommandBarButton {  // also what CommandBarControls.Item and FindControl return
 public:
  virtual ~CommandBarButton() = default;
  virtual int32_t Id() = 0;
  virtual void SetCaption(const Text& caption) = 0;
  virtual void SetTooltipText(const Text& text) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual ConnectionPtr Advise(CommandBarButtonEvents& sink) = 0;
};

class CommandBarControls {
 public:
  virtual ~CommandBarControls() = default;
  // The control with this caption; failure 5 when the bar has none.
  virtual std::shared_ptr<CommandBarButton> Item(const Text& caption) = 0;
  // A new control at the end of the bar.
  virtual std::shared_ptr<CommandBarButton> Add(int32_t type, bool temporary) = 0;
};

class CommandBar {
 public:
  virtual ~CommandBar() = default;
  virtual std::shared_ptr<CommandBarControls> Controls() = 0;
  // The first control of that type and Id, or empty.
  virtual std::shared_ptr<CommandBarButton> FindControl(int32_t type, int32_t id) = 0;
};

class CommandBars {
 public:
  virtual ~CommandBars() = default;
  virtual std::shared_ptr<CommandBar> Item(const Text& name) = 0;
};

class Explorer {
 public:
  virtual ~Explorer() = default;
  virtual std::shared_ptr<ol::CommandBars> CommandBars() = 0;
  virtual std::shared_ptr<Folder> CurrentFolder() = 0;
  virtual std::shared_ptr<ol::Selection> Selection() = 0;
  // The handle of the folder window (its IOleWindow), 0 when it has none.
  virtual intptr_t Window() = 0;
  virtual ConnectionPtr Advise(ExplorerEvents& sink) = 0;
};

class Inspector {
 public:
  virtual ~Inspector() = default;
  virtual std::shared_ptr<ol::CommandBars> CommandBars() = 0;
  virtual std::shared_ptr<ol::Item> CurrentItem() = 0;
  // "Application", by name: the Outlook the window belongs to.
  virtual std::shared_ptr<ol::Application> Application() = 0;
  // Whether other is a reference to this same window.
  virtual bool Is(Inspector& other) = 0;
  virtual ConnectionPtr Advise(InspectorEvents& sink) = 0;
};

// A host object of a kind known only at run time, told by its Class: the
// Context of a ribbon control (an Explorer, an Inspector, a Selection, or
// something else). The As* views are the same object seen as that kind;
// empty when the object is not of it.
class Object {
 public:
  virtual ~Object() = default;
  virtual int32_t Class() = 0;  // "Class", by name
  virtual std::shared_ptr<ol::Explorer> AsExplorer() = 0;
  virtual std::shared_ptr<ol::Inspector> AsInspector() = 0;
  virtual std::shared_ptr<ol::Selection> AsSelection() = 0;
};

class Explorers {
 public:
  virtual ~Explorers() = default;
  virtual int32_t Count() = 0;
  virtual ConnectionPtr Advise(ExplorersEvents& sink) = 0;
};

class Inspectors {
 public:
  virtual ~Inspectors() = default;
  virtual int32_t Count() = 0;
  virtual std::shared_ptr<Inspector> Item(int32_t index) = 0;  // 1-based
  virtual ConnectionPtr Advise(InspectorsEvents& sink) = 0;
};

class NameSpace {
 public:
  virtual ~NameSpace() = default;
  virtual ConnectionPtr Advise(NameSpaceEvents& sink) = 0;
};

class PropertyPages {
 public:
  virtual ~PropertyPages() = default;
  virtual void Add(const Text& page, const Text& title) = 0;
};

// An automation object reached by name: the published Connect, seen from the
// options page, and Connect itself when it publishes itself.
class Automation {
 public:
  virtual ~Automation() = default;
  // Calls a method without arguments by name (late binding).
  virtual void CallMethod(const Text& name) = 0;
};

class COMAddIn {
 public:
  virtual ~COMAddIn() = default;
  virtual std::shared_ptr<Automation> Object() = 0;  // empty when none is set
  virtual void SetObject(const std::shared_ptr<Automation>& object) = 0;
};

class COMAddIns {
 public:
  virtual ~COMAddIns() = default;
  // The entry of that ProgID; failure 5 when there is none.
  virtual std::shared_ptr<COMAddIn> Item(const Text& progId) = 0;
};

class Application {
 public:
  virtual ~Application() = default;
  // "Version", by name: "9.0.0.2711" for Outlook 2000, "16.0.0.…" for 2016
  // and later.
  virtual Text Version() = 0;
  virtual std::shared_ptr<ol::Explorers> Explorers() = 0;
  virtual std::shared_ptr<ol::Inspectors> Inspectors() = 0;
  virtual std::shared_ptr<NameSpace> GetNamespace(const Text& type) = 0;
  virtual std::shared_ptr<Explorer> ActiveExplorer() = 0;    // empty if none
  virtual std::shared_ptr<Inspector> ActiveInspector() = 0;  // empty if none
  virtual std::shared_ptr<ol::COMAddIns> COMAddIns() = 0;
  virtual ConnectionPtr Advise(ApplicationEvents& sink) = 0;
};

}  // namespace vx::ol
