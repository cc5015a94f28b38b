// The options page "Adresse kopieren": edits the address template in a
// contacts folder's properties dialog, writes it back on Apply and asks the
// running add-in to reload it.
//
// This is the page's logic. It reaches its two lists, its container, Outlook
// and the about box through the small interfaces below; the ActiveX face
// (optionspage/com/) binds them to the real controls, implements Outlook's
// PropertyPage on top of ctlVellox and turns its Booleans into VARIANT_BOOL.
// No call of ctlVellox lets a failure escape.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/outlook.h"
#include "platform/settings.h"
#include "platform/splash.h"
#include "platform/ui.h"

namespace vx {

namespace page {

// The list controls' own failure for a position they cannot take
// ("Index außerhalb des gültigen Bereichs"), raised by the list
// implementations below.
inline constexpr int32_t kListIndexOutOfBounds = 35600;

// ---- the template list lvConfig: a one-column report list view ----

class ListItem {
 public:
  virtual ~ListItem() = default;
  // The item's current 1-based position in its list.
  virtual int32_t Index() = 0;
  virtual Text GetText() = 0;
  virtual void SetText(const Text& text) = 0;
  // Selecting an item ends the selection of any other (single selection).
  virtual bool Selected() = 0;
  virtual void SetSelected(bool selected) = 0;
};

class ListItems {
 public:
  virtual ~ListItems() = default;
  virtual int32_t Count() = 0;
  // A new item with empty text at 1-based position index; the items from
  // there on move down by one. The new item is not selected. A position
  // below 1 or beyond Count() + 1 raises kListIndexOutOfBounds and leaves the
  // list as it was.
  virtual std::shared_ptr<ListItem> Add(int32_t index) = 0;
  // Removes the item at index; the items below move up by one. Removing the
  // selected item leaves no item selected. A position outside 1..Count()
  // raises kListIndexOutOfBounds.
  virtual void Remove(int32_t index) = 0;
  // Removes every item.
  virtual void Clear() = 0;
  // The item at index; outside 1..Count() raises kListIndexOutOfBounds.
  virtual std::shared_ptr<ListItem> Item(int32_t index) = 0;
};

class ColumnHeaders {
 public:
  virtual ~ColumnHeaders() = default;
  // Adds a column at 1-based position index. An empty key means none; width
  // is in twips.
  virtual void Add(int32_t index, const Text& key, const Text& text, float width) = 0;
};

class ListView {
 public:
  virtual ~ListView() = default;
  virtual page::ListItems& ListItems() = 0;
  // The selected item, or empty when none is selected (the page's reading
  // of its Index then fails with 91, as it does on the real control).
  virtual std::shared_ptr<ListItem> SelectedItem() = 0;
  virtual page::ColumnHeaders& ColumnHeaders() = 0;
  // The control's width in twips.
  virtual float Width() = 0;
  virtual void SetToolTipText(const Text& text) = 0;
};

// ---- the field list lstFields: a single-selection list box ----

class ListBox {
 public:
  virtual ~ListBox() = default;
  // Appends an entry.
  virtual void AddItem(const Text& item) = 0;
  // The 0-based index of the selected entry, -1 when none is selected.
  virtual int32_t ListIndex() = 0;
  // The text of entry index (0-based); raises for an index it does not hold.
  virtual Text List(int32_t index) = 0;
};

// ---- the hosting dialog ----

// Outlook's PropertyPageSite, as the page uses it.
class PropertyPageSite {
 public:
  virtual ~PropertyPageSite() = default;
  // Tells the dialog that the page's status (Dirty) has changed.
  virtual void OnStatusChange() = 0;
};

// The user control itself, as the page logic sees its face.
class UserControl {
 public:
  virtual ~UserControl() = default;
  // The control's container taken as PropertyPageSite: empty when the control
  // has no container; raises a numbered failure (13, type mismatch) when the
  // container is not a PropertyPageSite.
  virtual std::shared_ptr<PropertyPageSite> ParentAsPropertyPageSite() = 0;
  // The control's window handle, the owner of the about box.
  virtual intptr_t hWnd() = 0;
};

// The thread's Outlook application object. The face creates it on the first
// call and keeps it, one per thread, while a page of that thread is open.
class OutlookSource {
 public:
  virtual ~OutlookSource() = default;
  // Raises a numbered failure (429) when Outlook's application object cannot
  // be created.
  virtual std::shared_ptr<ol::Application> Application() = 0;
  // The running add-in's Connect as the add-in itself registers it while it
  // is connected, for when Outlook's COM add-in collection does not list the
  // add-in (one entered for every user of the machine); empty when none is
  // registered. Raises nothing.
  virtual std::shared_ptr<ol::Automation> RunningAddIn() = 0;
};

}  // namespace page

// What the page reaches: its platform and its own controls.
struct PageServices {
  SettingsStore& store;
  MessageBoxes& boxes;
  SplashWindow& splash;
  page::OutlookSource& outlook;
};

struct PageControls {
  page::UserControl& control;
  page::ListView& lvConfig;
  page::ListBox& lstFields;
};

class ctlVellox {
 public:
  // Construction (UserControl_Initialize).
  ctlVellox(PageServices services, PageControls controls);

  // ---- control events ----

  // Creation on the dialog: takes the site, fills the field list, sets up
  // the template list and loads the template. Reports its own failures.
  void UserControl_InitProperties();
  // Destruction: lets go of the site. Errors are ignored.
  void UserControl_Terminate();

  // ---- PropertyPage ----

  // Writes the lines back as the stored template and has the running add-in
  // reload it. Leaves Dirty as it was. Reports its own failures.
  void PropertyPage_Apply();
  // Whether the page holds changes (bDirty).
  bool PropertyPage_Dirty();
  // The page offers no help: both are returned unchanged.
  void PropertyPage_GetPageInfo(Text& HelpFile, int32_t& HelpContext);

  // ---- public methods of _ctlVellox ----

  // Loads the stored template into lvConfig (defaults and a message when
  // none is stored). Reports its own failures.
  void ReadAdressFormat();
  // Writes the first-run defaults. Reports its own failures.
  void SaveInitialSettings();

  // ---- buttons ----

  void btnInsert_Click();
  void btnToConfig_Click();
  void btnDelete_Click();
  void btnAbout_Click();

  // The user has finished editing line index (1-based) of lvConfig in place;
  // newText is what the line is about to take over. Not called for a
  // cancelled edit. A changed text counts as a change of the page. Errors
  // are ignored.
  void lvConfig_AfterLabelEdit(int32_t index, const Text& newText);

 private:
  void UserControl_Initialize();
  void ListChanged();
  void MarkDirty();

  PageServices services_;
  PageControls controls_;

  bool bDirty = false;
  bool bLoading = false;
  std::shared_ptr<page::PropertyPageSite> objSite;
};

}  // namespace vx
