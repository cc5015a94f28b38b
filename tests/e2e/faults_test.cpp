// Vellox.DLL and Vellox.ocx under faults, in the substitute Outlook under
// wine64: a settings store the user may read but not write (Wine enforces a
// key's DACL), an Outlook whose objects fail on every call, and many
// connections and disconnections in one process.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/vellox_install.h"
#include "tests/host/host.h"
#include "tests/host/property_dialog.h"

namespace vx::e2e {
namespace {

using host::Box;
using host::ExplorerObj;
using host::Host;
using host::InspectorObj;

const host::ContactFields kAnna{.FullName = L"Anna Müller",
                                .CompanyName = L"Müller & Söhne GmbH",
                                .MailingAddressCity = L"München",
                                .MailingAddressPostalCode = L"80331"};
const std::vector<std::wstring> kTemplate = {L"<FullName>", L"<CompanyName>",
                                             L"<MailingAddressPostalCode> <MailingAddressCity>"};
constexpr char kAnnaText[] = "Anna M\xFCller\r\nM\xFCller & S\xF6hne GmbH\r\n80331 M\xFCnchen";

constexpr wchar_t kSettingsRoot[] = L"Software\\VB and VBA Program Settings\\Brisanto";

std::wstring GermanReport(const std::wstring& failure, const std::wstring& procedure,
                          const std::wstring& kind, const std::wstring& module) {
  return failure + L"\r\n\r\n in Funktion '" + procedure + L"' von " + kind + L" '" + module + L"'";
}

class Faults : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(Regsvr32(false), 0u); }
  static void TearDownTestSuite() { Regsvr32(true); }

  void SetUp() override {
    DeleteSettings();
    host_ = std::make_unique<Host>();
    Host::ClearClipboard();
    anna_ = host_->AddContact(host_->Contacts(), kAnna);
  }
  void TearDown() override {
    host_.reset();
    AllowWrites();
    DeleteSettings();
  }

  // The settings key and the given sections made read-only for everyone, as
  // for a user with restricted rights: values can be read, not written,
  // created or deleted. False when the registry does not enforce it.
  static bool ReadOnly(const std::vector<std::wstring>& sections) {
    std::vector<std::wstring> keys = {kSettingsRoot};
    for (const auto& s : sections) keys.push_back(std::wstring(kSettingsRoot) + L"\\" + s);
    // Deny set value, create subkey and delete; allow everything else.
    if (!Secure(keys, L"D:P(D;;0x10006;;;WD)(A;;KA;;;WD)")) return false;
    HKEY probe = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, keys.back().c_str(), 0, nullptr, 0,
                                     KEY_SET_VALUE, nullptr, &probe, nullptr);
    if (probe) RegCloseKey(probe);
    return status == ERROR_ACCESS_DENIED;
  }
  static void AllowWrites() {
    std::vector<std::wstring> keys;
    Collect(kSettingsRoot, keys);
    Secure(keys, L"D:P(A;;KA;;;WD)");
  }
  static void Collect(const std::wstring& key, std::vector<std::wstring>& out) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, &h) != ERROR_SUCCESS) {
      return;
    }
    out.push_back(key);
    std::vector<std::wstring> children;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = 256;
      if (RegEnumKeyExW(h, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      children.push_back(name);
    }
    RegCloseKey(h);
    for (const auto& c : children) Collect(key + L"\\" + c, out);
  }
  static bool Secure(const std::vector<std::wstring>& keys, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr)) {
      return false;
    }
    bool ok = true;
    for (const auto& k : keys) {
      HKEY h = nullptr;
      ok = ok && RegCreateKeyExW(HKEY_CURRENT_USER, k.c_str(), 0, nullptr, 0, WRITE_DAC | READ_CONTROL,
                                 nullptr, &h, nullptr) == ERROR_SUCCESS;
      if (!h) continue;
      ok = ok && RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
      RegCloseKey(h);
    }
    LocalFree(sd);
    return ok;
  }

  const host::AddIn& Vellox() {
    for (const host::AddIn& a : host_->AddIns()) {
      if (a.progId == kProgId) return a;
    }
    throw std::runtime_error("Vellorian.Connect is not registered as an Outlook add-in");
  }

  std::unique_ptr<Host> host_;
  host::ContactObj* anna_ = nullptr;
};

// ---- a settings store that cannot be written ----

TEST_F(Faults, ReadOnlyStoreOfAReturningUserReportsTheSplashWriteAndStillCopies) {
  WriteSetting(L"Startup", L"FirstRun", L"0");  // ShowSplash missing: the splash shows
  WriteTemplate(kTemplate);
  ASSERT_TRUE(ReadOnly({L"Startup", L"AdressFormat"})) << "the registry does not enforce the key's DACL";

  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  ASSERT_EQ(Vellox().connected, S_OK);
  std::vector<Box> boxes = host_->TakeBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_TRUE(boxes[0].splash);
  EXPECT_EQ(boxes[1].prompt, GermanReport(L"70: Zugriff verweigert", L"btnOK_Click", L"Formular", L"frmSplash"));
  EXPECT_EQ(boxes[1].title, L"btnOK_Click");
  EXPECT_TRUE(boxes[1].icon);
  bool found = true;
  ReadSetting(L"Startup", L"ShowSplash", &found);
  EXPECT_FALSE(found);

  // The template was read; the clipboard works.
  host_->Select(explorer, {anna_->AsDispatch()});
  ASSERT_TRUE(host_->Click(explorer->bars, kCaption));
  EXPECT_EQ(Host::ClipboardText(), kAnnaText);
  EXPECT_TRUE(host_->TakeBoxes().empty());
  host_->Shutdown();
  EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
}

TEST_F(Faults, ReadOnlyEmptyStoreReportsEveryWriterAndTheClickReportsTheMissingTemplate) {
  ASSERT_TRUE(ReadOnly({L"Startup"})) << "the registry does not enforce the key's DACL";

  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  ASSERT_EQ(Vellox().connected, S_OK);
  std::vector<Box> boxes = host_->TakeBoxes();
  const std::wstring denied = L"70: Zugriff verweigert";
  ASSERT_EQ(boxes.size(), 5u);
  // The first-run defaults (step 6 of the connection).
  EXPECT_EQ(boxes[0].prompt, GermanReport(denied, L"SaveInitialSettings", L"Designer", L"Connect"));
  EXPECT_EQ(boxes[0].title, L"SaveInitialSettings");
  EXPECT_TRUE(boxes[0].icon);
  // The splash, and its OK button's write.
  EXPECT_TRUE(boxes[1].splash);
  EXPECT_EQ(boxes[2].prompt, GermanReport(denied, L"btnOK_Click", L"Formular", L"frmSplash"));
  EXPECT_EQ(boxes[2].title, L"btnOK_Click");
  // The template load finds none and writes the defaults, which fails again.
  EXPECT_EQ(boxes[3].prompt, L"In der Registry wurde kein Adressformat gefunden, verwende Standardformat.");
  EXPECT_EQ(boxes[3].title, L"Vellox");
  EXPECT_EQ(boxes[4].prompt, GermanReport(denied, L"SaveInitialSettings", L"Designer", L"Connect"));
  bool found = true;
  ReadSetting(L"Startup", L"FirstRun", &found);
  EXPECT_FALSE(found);

  // No template was ever loaded: the click handler reports it, the clipboard
  // keeps what it held.
  Host::ClearClipboard();
  host_->Select(explorer, {anna_->AsDispatch()});
  ASSERT_TRUE(host_->Click(explorer->bars, kCaption));
  boxes = host_->TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].prompt, L"9: Index außerhalb des gültigen Bereichs\r\n\r\n"
                             L" in procedure myOLExpButton_Click of Klassenmodul Klasse1");
  EXPECT_FALSE(Host::ClipboardHasText());
  host_->Shutdown();
  EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
  EXPECT_EQ(host_->Subscriptions(), 0) << host_->Holders();
}

// ---- an Outlook whose objects fail on every call ----

void Returning() {
  WriteSetting(L"Startup", L"FirstRun", L"0");
  WriteSetting(L"Startup", L"ShowSplash", L"0");
  WriteTemplate(kTemplate);
}

const std::wstring kOutlookFailed = L"-2147467259: Der Vorgang ist fehlgeschlagen.\r\n\r\n";

TEST_F(Faults, FailingOutlookAtTheStartConnectsWithoutWiringAndHoldsNothing) {
  Returning();
  host_->OpenExplorer(host_->Contacts());
  host_->FailEveryCall(true);
  host_->Startup();
  EXPECT_EQ(Vellox().connected, S_OK);
  EXPECT_GT(host_->tracker().failedCalls, 0);
  // The window counts cannot be read, so the add-in takes Outlook as running
  // without windows: nothing wired, nothing shown.
  EXPECT_TRUE(host_->TakeBoxes().empty());
  EXPECT_EQ(host_->Subscriptions(), 0) << host_->Holders();
  host_->Shutdown();
  EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
  EXPECT_EQ(AddinCanUnloadNow(), S_OK);
}

TEST_F(Faults, FailingOutlookAfterTheStartGivesEachHandlersReportAndReleasesEverything) {
  Returning();
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  InspectorObj* window = host_->OpenInspector(anna_->AsDispatch());
  ASSERT_NE(Host::FindButton(window->bars, kCaption), nullptr);
  ASSERT_TRUE(host_->TakeBoxes().empty());

  host_->FailEveryCall(true);
  host_->Select(explorer, {anna_->AsDispatch()});
  ASSERT_TRUE(host_->Click(explorer->bars, kCaption));
  ASSERT_TRUE(host_->Click(window->bars, kCaption));
  host_->SwitchFolder(explorer, host_->Inbox());
  host_->OpenInspector(anna_->AsDispatch());
  host::PagesObj* pages = host_->OpenFolderProperties(host_->Contacts());
  std::vector<Box> boxes = host_->TakeBoxes();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].prompt, kOutlookFailed + L" in procedure myOLExpButton_Click of Klassenmodul Klasse1");
  EXPECT_EQ(boxes[1].prompt,
            kOutlookFailed + L" in procedure myOLInspButton_Click of VBA Dokument DieseOutlookSitzung");
  EXPECT_EQ(boxes[2].prompt, kOutlookFailed + L" in procedure myOlExp_FolderSwitch of Klassenmodul Klasse1");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(boxes[i].title, L"Vellox");
    EXPECT_FALSE(boxes[i].icon);
  }
  EXPECT_EQ(boxes[3].prompt, kOutlookFailed + L" in Funktion 'myOLInsp_NewInspector' von Klassenmodul 'clsVellox'");
  EXPECT_EQ(boxes[3].title, L"myOLInsp_NewInspector");
  EXPECT_TRUE(boxes[3].icon);
  // The options page announcement skips its failures silently.
  EXPECT_TRUE(pages->pages.empty());
  EXPECT_FALSE(Host::ClipboardHasText());

  // Closing the last explorer (silent), then Outlook's end: all let go.
  host_->CloseExplorer(explorer);
  EXPECT_TRUE(host_->TakeBoxes().empty());
  host_->Shutdown();
  EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
  EXPECT_EQ(host_->Subscriptions(), 0) << host_->Holders();
  EXPECT_EQ(host_->tracker().surplusReleases, 0);
  // Only the published object is left, in the entry of an Outlook that
  // refused to take it back; Outlook lets go of it when it ends.
  EXPECT_NE(Vellox().entry->object, nullptr);
  Vellox().entry->SetObject(nullptr);
  EXPECT_EQ(AddinCanUnloadNow(), S_OK);
}

// ---- the options page under the same faults ----

constexpr int kLvConfig = 105, kBtnInsert = 107, kBtnAbout = 108;

class PageFaults : public Faults {
 protected:
  static void SetUpTestSuite() {
    Faults::SetUpTestSuite();
    ASSERT_EQ(RegisterOcx(false), 0u);
  }
  static void TearDownTestSuite() {
    RegisterOcx(true);
    Faults::TearDownTestSuite();
  }
  // The contacts folder's properties dialog with the page the add-in added.
  void Open(host::PageDialog& dialog) {
    host::PagesObj* pages = host_->OpenFolderProperties(host_->Contacts());
    ASSERT_EQ(pages->pages.size(), 1u);
    ASSERT_HRESULT_SUCCEEDED(dialog.OpenProgId(pages->pages[0].progId.c_str(), pages->pages[0].title.c_str()));
  }
  int Lines(host::PageDialog& dialog) {
    return static_cast<int>(SendMessageW(GetDlgItem(dialog.pageWindow(), kLvConfig), LVM_GETITEMCOUNT, 0, 0));
  }
  void Finish(host::PageSite& site, host::PageDialog& dialog) {
    dialog.Close();
    EXPECT_EQ(site.references(), 0);
    host_->Shutdown();
    // The control library keeps Outlook's application object until it is unloaded.
    CoFreeUnusedLibrariesEx(0, 0);
    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
    EXPECT_EQ(host_->Subscriptions(), 0) << host_->Holders();
  }
};

TEST_F(PageFaults, ReadOnlyStoreApplyAndAboutReportTheirWritesAndTheAddinKeepsCopying) {
  WriteSetting(L"Startup", L"FirstRun", L"0");
  WriteSetting(L"Startup", L"ShowSplash", L"0");
  WriteTemplate(kTemplate);
  ASSERT_TRUE(ReadOnly({L"Startup", L"AdressFormat"})) << "the registry does not enforce the key's DACL";
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  host::PageSite site;
  host::PageDialog dialog(site);
  Open(dialog);
  EXPECT_EQ(Lines(dialog), 3);
  EXPECT_TRUE(host_->TakeBoxes().empty());

  SendMessageW(GetDlgItem(dialog.pageWindow(), kBtnInsert), BM_CLICK, 0, 0);
  dialog.Press(host::kIdApply);
  EXPECT_EQ(dialog.applies(), 1);
  std::vector<Box> boxes = host_->TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].prompt, GermanReport(L"70: Zugriff verweigert", L"PropertyPage_Apply",
                                          L"Benutzersteuerelement", L"ctlVellox"));
  EXPECT_EQ(boxes[0].title, L"PropertyPage_Apply");
  EXPECT_TRUE(boxes[0].icon);
  EXPECT_EQ(ReadSetting(L"AdressFormat", L"Line3"), kTemplate[2]);

  // Info, then OK on the about window: its write is reported too.
  SendMessageW(GetDlgItem(dialog.pageWindow(), kBtnAbout), BM_CLICK, 0, 0);
  boxes = host_->TakeBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_TRUE(boxes[0].splash);
  EXPECT_EQ(boxes[1].prompt, GermanReport(L"70: Zugriff verweigert", L"btnOK_Click", L"Formular", L"frmSplash"));
  EXPECT_EQ(boxes[1].title, L"btnOK_Click");

  // The add-in still copies with the stored template.
  host_->Select(explorer, {anna_->AsDispatch()});
  ASSERT_TRUE(host_->Click(explorer->bars, kCaption));
  EXPECT_EQ(Host::ClipboardText(), kAnnaText);
  Finish(site, dialog);
}

TEST_F(PageFaults, ReadOnlyEmptyStoreThePageReportsItsDefaultsAndOpensEmpty) {
  Returning();
  host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  // Then the template goes and the store becomes read-only.
  WriteTemplate({});
  ASSERT_TRUE(ReadOnly({L"Startup"})) << "the registry does not enforce the key's DACL";
  host::PageSite site;
  host::PageDialog dialog(site);
  Open(dialog);
  std::vector<Box> boxes = host_->TakeBoxes();
  ASSERT_GE(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].prompt, L"In der Registry wurde kein Adressformat gefunden, verwende Standardformat.");
  EXPECT_EQ(boxes[1].prompt, GermanReport(L"70: Zugriff verweigert", L"SaveInitialSettings", L"Designer", L"Connect"));
  EXPECT_EQ(boxes[1].title, L"SaveInitialSettings");
  // The second read still finds no template: the load's own report.
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[2].title, L"ReadAdressFormat");
  EXPECT_TRUE(boxes[2].prompt.ends_with(L"\r\n\r\n in Funktion 'ReadAdressFormat' von Designer 'Connect'"))
      << std::string(boxes[2].prompt.begin(), boxes[2].prompt.end());
  EXPECT_EQ(Lines(dialog), 0);
  Finish(site, dialog);
}

TEST_F(PageFaults, FailingOutlookApplySavesThenReportsAndEverythingIsReleased) {
  Returning();
  host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  host::PageSite site;
  host::PageDialog dialog(site);
  Open(dialog);
  host_->FailEveryCall(true);
  SendMessageW(GetDlgItem(dialog.pageWindow(), kBtnInsert), BM_CLICK, 0, 0);
  dialog.Press(host::kIdApply);
  std::vector<Box> boxes = host_->TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].prompt,
            kOutlookFailed + L" in Funktion 'PropertyPage_Apply' von Benutzersteuerelement 'ctlVellox'");
  EXPECT_EQ(boxes[0].title, L"PropertyPage_Apply");
  // Saved before Outlook was asked for the add-in.
  EXPECT_EQ(ReadSetting(L"AdressFormat", L"Line4"), L"");
  Finish(site, dialog);
}

// ---- many connections in one process ----

// What the process holds. Wine answers GetProcessHandleCount and the private
// bytes of GetProcessMemoryInfo with 0, so both are counted directly: the
// handle values the process can query, the committed private pages, and the
// bytes in use in every heap of the process.
struct Usage {
  DWORD handles = 0;
  size_t privateBytes = 0;
  size_t heapBytes = 0;
};
Usage Measure() {
  Usage u;
  if (!GetProcessHandleCount(GetCurrentProcess(), &u.handles) || u.handles == 0) {
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
      DWORD flags = 0;
      if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++u.handles;
    }
  }
  MEMORY_BASIC_INFORMATION region;
  for (const char* at = nullptr;
       VirtualQuery(at, &region, sizeof(region)) == sizeof(region) && region.RegionSize > 0;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) u.privateBytes += region.RegionSize;
  }
  std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
  heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
  for (HANDLE heap : heaps) {
    if (!HeapLock(heap)) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry)) {
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) u.heapBytes += entry.cbData;
    }
    HeapUnlock(heap);
  }
  return u;
}

TEST_F(Faults, AThousandConnectionsLeaveNoHandlesMemoryOrReferencesBehind) {
  Returning();
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Select(explorer, {anna_->AsDispatch()});
  host_->Startup();
  ASSERT_EQ(Vellox().connected, S_OK);
  host_->DisconnectAddIn(kProgId);
  ASSERT_EQ(host_->ExternalRefs(), 0) << host_->Holders();

  // One cycle: the user ticks the add-in, clicks its button, unticks it.
  auto cycle = [&] {
    if (host_->ConnectAddIn(kProgId) != S_OK) return false;
    bool clicked = host_->Click(explorer->bars, kCaption);
    host_->DisconnectAddIn(kProgId);
    return clicked;
  };
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(cycle());  // caches and first-use allocations
  const Usage before = Measure();
  const long addRefsBefore = host_->tracker().addRefs;
  int failed = 0;
  for (int i = 0; i < 1000; ++i) failed += cycle() ? 0 : 1;
  const Usage after = Measure();
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(Host::ClipboardText(), kAnnaText);
  EXPECT_TRUE(host_->TakeBoxes().empty());

  EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
  EXPECT_EQ(host_->Subscriptions(), 0) << host_->Holders();
  EXPECT_EQ(host_->tracker().surplusReleases, 0);
  EXPECT_GT(host_->tracker().addRefs, addRefsBefore);  // the cycles did run through the host
  // One button on the bar, however often the add-in connected.
  int buttons = 0;
  for (host::ButtonObj* b : explorer->bars->Find(L"Standard")->buttons) buttons += b->caption == kCaption;
  EXPECT_EQ(buttons, 1);
  // A leak of one handle, or of 64 bytes, per cycle would exceed these.
  std::printf("handles %lu -> %lu, private bytes %zu -> %zu, heap bytes %zu -> %zu\n", before.handles,
              after.handles, before.privateBytes, after.privateBytes, before.heapBytes, after.heapBytes);
  EXPECT_GT(before.handles, 0u);
  EXPECT_GT(before.heapBytes, 0u);
  EXPECT_LE(after.handles, before.handles + 16);
  EXPECT_LE(after.heapBytes, before.heapBytes + 64 * 1024);
  EXPECT_LE(after.privateBytes, before.privateBytes + 1024 * 1024);
}

}  // namespace
}  // namespace vx::e2e
