#include "optionspage/ctlVellox.h"

#include <algorithm>
#include <vector>

#include "platform/contact_fields.h"
#include "platform/failure.h"
#include "platform/report.h"

namespace vx {

namespace {

constexpr TextView kConnectProgId = u"Vellorian.Connect";
constexpr TextView kReReadSettings = u"ReReadSettings";
constexpr TextView kColumnText = u"egal";
constexpr TextView kToolTip = u" Sie können zusätzlichen Text direkt in die Zeilen schreiben";

ErrorBox PageBox(TextView procedure) {
  return GermanBox(procedure, u"Benutzersteuerelement", u"ctlVellox");
}

// Both libraries report their settings procedures under the same texts.
ErrorBox SettingsBox(TextView procedure) { return GermanBox(procedure, u"Designer", u"Connect"); }

// The digits after "Line", when the rest of the key is nothing but decimal
// digits (leading zeros dropped); otherwise nothing.
bool LineDigits(TextView key, TextView& digits) {
  TextView rest = key.substr(layout::kLinePrefix.size());
  if (rest.empty()) return false;
  for (char16_t c : rest) {
    if (c < u'0' || c > u'9') return false;
  }
  size_t first = rest.find_first_not_of(u'0');
  digits = first == TextView::npos ? TextView() : rest.substr(first);
  return true;
}

// The template entries of a section in the order they are to be inserted:
// by line number (equal numbers keep the store's order), then the keys whose
// rest is not a plain number, in the store's order. Each line goes in at its
// own number, so only ascending numbers let every insertion succeed, and not
// every store enumerates a section in the order it was written.
std::vector<const SettingEntry*> InInsertionOrder(const std::vector<SettingEntry>& entries) {
  struct Numbered {
    TextView digits;
    const SettingEntry* entry;
  };
  std::vector<Numbered> numbered;
  std::vector<const SettingEntry*> others;
  for (const SettingEntry& e : entries) {
    if (!IsLineKey(e.key)) continue;
    TextView digits;
    if (LineDigits(e.key, digits)) {
      numbered.push_back({digits, &e});
    } else {
      others.push_back(&e);
    }
  }
  std::stable_sort(numbered.begin(), numbered.end(), [](const Numbered& a, const Numbered& b) {
    if (a.digits.size() != b.digits.size()) return a.digits.size() < b.digits.size();
    return a.digits < b.digits;
  });
  std::vector<const SettingEntry*> ordered;
  ordered.reserve(numbered.size() + others.size());
  for (const Numbered& n : numbered) ordered.push_back(n.entry);
  ordered.insert(ordered.end(), others.begin(), others.end());
  return ordered;
}

}  // namespace

ctlVellox::ctlVellox(PageServices services, PageControls controls)
    : services_(services), controls_(controls) {
  UserControl_Initialize();
}

void ctlVellox::UserControl_Initialize() {
  ResumeNext([&] { bDirty = false; });
}

void ctlVellox::UserControl_InitProperties() {
  Guarded(services_.boxes, PageBox(u"UserControl_InitProperties"), [&] {
    page::ListView& lv = controls_.lvConfig;
    objSite = controls_.control.ParentAsPropertyPageSite();
    bDirty = false;
    bLoading = true;
    for (const fields::ListEntry& entry : fields::ListEntries()) {
      controls_.lstFields.AddItem(entry.text);
    }
    const float width = lv.Width();
    lv.ColumnHeaders().Add(1, Text(), Text(kColumnText), width - 200.0f);
    lv.SetToolTipText(Text(kToolTip));
    ReadAdressFormat();
    bLoading = false;
  });
}

void ctlVellox::UserControl_Terminate() {
  ResumeNext([&] { objSite.reset(); });
}

void ctlVellox::ReadAdressFormat() {
  Guarded(services_.boxes, SettingsBox(u"ReadAdressFormat"), [&] {
    std::vector<SettingEntry> entries = ReadTemplateEntries(services_.store);
    if (entries.empty()) {
      services_.boxes.Show(Text(kNoTemplateMessage), mb::kCritical, Text(kAppTitle));
      SaveInitialSettings();
      entries = ReadTemplateEntries(services_.store);
    }
    page::ListItems& items = controls_.lvConfig.ListItems();
    items.Clear();
    // Still nothing stored: there are no entries to take.
    if (entries.empty()) Raise(fail::kTypeMismatch);
    for (const SettingEntry* entry : InInsertionOrder(entries)) {
      const int16_t n = LineNumberOf(entry->key);
      std::shared_ptr<page::ListItem> item = items.Add(n);
      Need(item).SetText(entry->value);
      item->SetSelected(true);
    }
  });
}

void ctlVellox::SaveInitialSettings() {
  Guarded(services_.boxes, SettingsBox(u"SaveInitialSettings"),
          [&] { WriteInitialSettings(services_.store); });
}

namespace {

// The position of the selected line, 0 for an empty list. A list with lines
// but none selected fails (91) before anything is changed.
int16_t SelectedPosition(page::ListView& lv) {
  if (lv.ListItems().Count() == 0) return 0;
  return ToInt16(Need(lv.SelectedItem()).Index());
}

}  // namespace

void ctlVellox::btnInsert_Click() {
  Guarded(services_.boxes, PageBox(u"btnInsert_Click"), [&] {
    page::ListView& lv = controls_.lvConfig;
    const int16_t p = SelectedPosition(lv);
    std::shared_ptr<page::ListItem> item = lv.ListItems().Add(ToInt16(p + 1));
    Need(item).SetText(Text());
    item->SetSelected(true);
    ListChanged();
  });
}

void ctlVellox::btnToConfig_Click() {
  Guarded(services_.boxes, PageBox(u"btnToConfig_Click"), [&] {
    page::ListView& lv = controls_.lvConfig;
    const int16_t p = SelectedPosition(lv);
    std::shared_ptr<page::ListItem> item = lv.ListItems().Add(ToInt16(p + 1));
    page::ListBox& fields = controls_.lstFields;
    const int32_t selected = fields.ListIndex();
    Need(item).SetText(selected < 0 ? Text() : fields.List(selected));
    item->SetSelected(true);
    ListChanged();
  });
}

void ctlVellox::btnDelete_Click() {
  Guarded(services_.boxes, PageBox(u"btnDelete_Click"), [&] {
    page::ListView& lv = controls_.lvConfig;
    if (lv.ListItems().Count() == 0) return;
    lv.ListItems().Remove(SelectedPosition(lv));
    ListChanged();
  });
}

void ctlVellox::btnAbout_Click() {
  Guarded(services_.boxes, PageBox(u"btnAbout_Click"),
          [&] { services_.splash.ShowModal(controls_.control.hWnd()); });
}

void ctlVellox::lvConfig_AfterLabelEdit(int32_t index, const Text& newText) {
  ResumeNext([&] {
    if (Need(controls_.lvConfig.ListItems().Item(index)).GetText() != newText) ListChanged();
  });
}

void ctlVellox::ListChanged() {
  ResumeNext([&] {
    if (!bLoading) MarkDirty();
  });
}

void ctlVellox::MarkDirty() {
  if (!objSite) return;
  if (bLoading) return;
  ResumeNext([&] { bDirty = true; });
  ResumeNext([&] { objSite->OnStatusChange(); });
}

void ctlVellox::PropertyPage_Apply() {
  Guarded(services_.boxes, PageBox(u"PropertyPage_Apply"), [&] {
    page::ListItems& items = controls_.lvConfig.ListItems();
    const int16_t n = ToInt16(items.Count());
    if (n == 0) return;
    SettingsStore& store = services_.store;
    const Text app(layout::kApplication);
    const Text section(layout::kAdressFormat);
    store.DeleteSetting(app, section);
    for (int32_t i = 1; i <= n; ++i) {
      store.SaveSetting(app, section, LineKey(i), Need(items.Item(i)).GetText());
    }
    std::shared_ptr<ol::Application> outlook = services_.outlook.Application();
    std::shared_ptr<ol::COMAddIns> addIns = Need(outlook).COMAddIns();
    std::shared_ptr<ol::Automation> addIn;
    try {
      addIn = Need(Need(addIns).Item(Text(kConnectProgId))).Object();
    } catch (const Failure& failure) {
      // Not in the collection (failure 5), as an add-in entered for every
      // user of the machine may be: the one the add-in registered itself.
      if (failure.number() != fail::kInvalidArgument) throw;
      addIn = services_.outlook.RunningAddIn();
      if (!addIn) throw;
    }
    Need(addIn).CallMethod(Text(kReReadSettings));
  });
}

bool ctlVellox::PropertyPage_Dirty() {
  bool dirty = false;
  ResumeNext([&] { dirty = bDirty; });
  return dirty;
}

void ctlVellox::PropertyPage_GetPageInfo(Text& HelpFile, int32_t& HelpContext) {
  (void)HelpFile;
  (void)HelpContext;
}

}  // namespace vx
