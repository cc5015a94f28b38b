// The add-in's one working object: the template engine and the wiring of
// Outlook's events to the "&Zwischenablage" buttons and the options page.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "addin/OutlookVersion.h"
#include "addin/mdlAllgemein.h"
#include "platform/event_member.h"
#include "platform/outlook.h"

namespace vx {

class clsVellox : public std::enable_shared_from_this<clsVellox> {
 public:
  // faces: which buttons this Outlook gets (the ribbon's are Outlook's own).
  explicit clsVellox(mdlAllgemein& module, const Faces& faces = Faces());
  // Lets go of the module-wide gobjOutlook as well while it still holds this
  // object's application (an owner that ends it without ReleaseOutlookEvents).
  ~clsVellox();
  clsVellox(const clsVellox&) = delete;
  clsVellox& operator=(const clsVellox&) = delete;

  // ---- running handlers ----

  // Taken at every entry into an event handler for as long as the handler
  // runs (the event sinks take one around each call; any other entry, such
  // as a toolbar callback reaching the object through Connect, takes one the
  // same way). A handler may wait in a modal message box while its owner lets
  // go of this object (Outlook disconnects the add-in or quits meanwhile):
  // the object then ends when the last running handler has returned, not
  // under it. Keeps nothing alive for an object not owned by a shared_ptr.
  class Running {
   public:
    explicit Running(clsVellox& o) : keep_(o.weak_from_this().lock()) {}

   private:
    std::shared_ptr<clsVellox> keep_;
  };

  // Whether ReleaseOutlookEvents ran since InitOutlookEvents: a handler that
  // is still running then copies nothing and reports nothing more.
  bool Released() const { return released_; }

  // ---- template engine ----

  // Expands one template line for one contact; the empty text when the line
  // is invalid or a failure occurred (reported here).
  Text DecodeLine(ol::Item& contact, const Text& line);

  // The text of one named field of a contact, the field-name error text for
  // an unknown name, or the empty text after a reported read failure.
  Text GetPropValue(ol::Item& contact, const Text& name);

  // The contacts a copy goes over, handed out one at a time. The engine lets
  // go of each before it asks for the next: an Exchange server lets a
  // session hold only so many items open at once (250 by default), and
  // fails every call on the items beyond.
  class Contacts {
   public:
    virtual ~Contacts() = default;
    // The next contact; false when none is left.
    virtual bool Next(std::shared_ptr<ol::Item>& contact) = 0;
    // How many there may be, to reserve room for the text (0: unknown).
    virtual size_t Hint() const { return 0; }
  };

  // Expands AdressFormatLines for each contact and joins the blocks; nothing
  // when the result is too short, or once ReleaseOutlookEvents ran meanwhile.
  // Raises failure 9 when the template list was never loaded (the click
  // handlers report it).
  std::optional<Text> BuildAddressText(Contacts& contacts);
  std::optional<Text> BuildAddressText(const std::vector<std::shared_ptr<ol::Item>>& contacts);

  // ---- wiring ----

  // Takes Outlook's application object and hooks the namespace, the inspector
  // collection and the active explorer. No failure handling of its own.
  void InitOutlookEvents(const std::shared_ptr<ol::Application>& app);
  // Drops every Outlook and Office reference, skipping failures.
  void ReleaseOutlookEvents();

  // Event handlers, named after the member holding the source.
  void myOLInsp_NewInspector(const std::shared_ptr<ol::Inspector>& Inspector);
  void myOLExplorers_NewExplorer(const std::shared_ptr<ol::Explorer>& Explorer);
  void myOlExp_FolderSwitch();
  void myOlExp_Close();
  void myOLInspector_Close();
  void myOLInspButton_Click(const std::shared_ptr<ol::CommandBarButton>& Ctrl, bool& CancelDefault);
  void myOLExpButton_Click(const std::shared_ptr<ol::CommandBarButton>& Ctrl, bool& CancelDefault);
  void myOLNS_OptionsPagesAdd(const std::shared_ptr<ol::PropertyPages>& Pages,
                              const std::shared_ptr<ol::Folder>& Folder);

  // A click on any of the ribbon's controls. context is where it was clicked:
  // a folder window (its selection is copied, as myOLExpButton_Click does),
  // a context menu's Selection (the same over it), or a contact window (its
  // contact, as myOLInspButton_Click does, but of that window). Anything else
  // copies nothing. Failures are reported as by the matching button.
  void Ribbon_Click(const std::shared_ptr<ol::Object>& context);

 private:
  struct Sinks;
  mdlAllgemein& module_;
  Faces faces_;
  std::unique_ptr<Sinks> sinks_;
  // The bar of myOLInspector's window, when myOLCommandBar was taken from it;
  // holds no reference.
  std::weak_ptr<ol::CommandBar> inspectorBar_;
  bool released_ = false;

  // Whether the closing window is Outlook's last one.
  bool IsLastWindow(ol::Inspector& closing);
  // With no explorer left, Outlook's last window is an inspector: one of the
  // open ones (not `closing`) is watched through myOLInspector, so that the
  // last one's Close is heard whichever it is. With an explorer open, none.
  void WatchAnotherWindow(ol::Inspector* closing);

  // The bodies of the clicks, shared by the buttons and the ribbon: the
  // contacts of a selection in its order, or one window's contact.
  void CopySelection(const std::shared_ptr<ol::Selection>& selection);
  void CopyContact(const std::shared_ptr<ol::Item>& item);

 public:
  // The members: the objects Outlook hands out, held until ReleaseOutlookEvents.
  EventMember<ol::Application, ol::ApplicationEvents> objOutlook;
  EventMember<ol::NameSpace, ol::NameSpaceEvents> myOLNS;
  EventMember<ol::Inspectors, ol::InspectorsEvents> myOLInsp;
  // The explorer collection: an explorer opening while none is tracked is
  // tracked from then on.
  EventMember<ol::Explorers, ol::ExplorersEvents> myOLExplorers;
  EventMember<ol::CommandBarButton, ol::CommandBarButtonEvents> myOLInspButton;
  // The window watched for its Close: the contact window whose button
  // myOLInspButton holds, or, while no explorer is open, another open window
  // (one open at the connection, or the first to open).
  EventMember<ol::Inspector, ol::InspectorEvents> myOLInspector;
  EventMember<ol::Explorer, ol::ExplorerEvents> myOlExp;
  EventMember<ol::CommandBarButton, ol::CommandBarButtonEvents> myOLExpButton;
  std::shared_ptr<ol::CommandBar> myOLCommandBar;
};

}  // namespace vx
