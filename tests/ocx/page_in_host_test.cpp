// Vellox.ocx and Vellox.DLL registered with regsvr32, the add-in connected
// to the substitute Outlook, the folder's properties dialog opened: the page
// the add-in announced is created from its ProgID and hosted with a site that
// answers PropertyPageSite, and used through its real controls.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/contact_fields.h"
#include "tests/host/property_dialog.h"
#include "tests/e2e/vellox_install.h"
#include "tests/host/host.h"

namespace vx::test {
namespace {

using host::PageDialog;
using host::PageSite;
using host::kIdApply;
using host::kIidPropertyPage;

using host::Box;
using host::ExplorerObj;
using host::Host;

constexpr int kLstFields = 102, kBtnToConfig = 103, kLvConfig = 105, kBtnDelete = 106,
              kBtnInsert = 107, kBtnAbout = 108;

std::wstring LineText(HWND list, int index) {
  wchar_t buffer[512] = {};
  ListView_GetItemText(list, index, 0, buffer, 512);
  return buffer;
}

class PageInHost : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(e2e::Regsvr32(false), 0u);
    ASSERT_EQ(e2e::RegisterOcx(false), 0u);
  }
  static void TearDownTestSuite() {
    e2e::RegisterOcx(true);
    e2e::Regsvr32(true);
  }

  void SetUp() override {
    e2e::DeleteSettings();
    e2e::WriteSetting(L"Startup", L"FirstRun", L"0");
    e2e::WriteSetting(L"Startup", L"ShowSplash", L"0");
    e2e::WriteTemplate({L"<FullName>", L"<CompanyName>", L"<MailingAddress>"});
    host_ = std::make_unique<Host>();
    anna_ = host_->AddContact(host_->Contacts(), {.FullName = L"Anna Müller",
                                                  .CompanyName = L"Müller & Söhne GmbH",
                                                  .MailingAddressCity = L"München",
                                                  .MailingAddressStreet = L"Hauptstraße 5",
                                                  .MailingAddressPostalCode = L"80331"});
    explorer_ = host_->OpenExplorer(host_->Contacts());
    host_->SetVersion(version_);
    host_->Startup();
  }
  void TearDown() override {
    host_.reset();
    e2e::DeleteSettings();
  }

  // The folder's properties dialog with the page the add-in added.
  void OpenProperties(PageSite& site, PageDialog& dialog) {
    host::PagesObj* pages = host_->OpenFolderProperties(host_->Contacts());
    ASSERT_EQ(pages->pages.size(), 1u);
    ASSERT_EQ(pages->pages[0].progId, L"Vellox.ctlVellox");
    ASSERT_HRESULT_SUCCEEDED(dialog.OpenProgId(pages->pages[0].progId.c_str(), pages->pages[0].title.c_str()));
    (void)site;
  }

  std::unique_ptr<Host> host_;
  host::ContactObj* anna_ = nullptr;
  ExplorerObj* explorer_ = nullptr;
  const wchar_t* version_ = L"9.0.0.2711";  // Outlook's, chosen before the start
};

// The same page in an Outlook with a ribbon.
class PageInOutlook2016 : public PageInHost {
 protected:
  PageInOutlook2016() { version_ = L"16.0.0.4266"; }
};

TEST_F(PageInHost, EditApplyAndTheNextClickUsesTheNewTemplate) {
  PageSite site;
  PageDialog dialog(site);
  OpenProperties(site, dialog);
  HWND page = dialog.pageWindow();
  HWND lines = GetDlgItem(page, kLvConfig);
  EXPECT_EQ(static_cast<size_t>(SendDlgItemMessageW(page, kLstFields, LB_GETCOUNT, 0, 0)),
            fields::ListEntries().size());
  ASSERT_EQ(ListView_GetItemCount(lines), 3);
  EXPECT_EQ(LineText(lines, 2), L"<MailingAddress>");
  EXPECT_FALSE(IsWindowEnabled(dialog.apply()));

  // Line 3 selected (the last loaded): Delete it, copy entry 4 below line 2,
  // insert an empty line below that, then type into it.
  SendMessageW(GetDlgItem(page, kBtnDelete), BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(dialog.apply()));
  ListView_SetItemState(lines, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  SendDlgItemMessageW(page, kLstFields, LB_SETCURSEL, 4, 0);
  SendMessageW(GetDlgItem(page, kBtnToConfig), BM_CLICK, 0, 0);
  SendMessageW(GetDlgItem(page, kBtnInsert), BM_CLICK, 0, 0);
  ASSERT_EQ(ListView_GetItemCount(lines), 4);
  SetFocus(lines);
  HWND edit = ListView_EditLabel(lines, 3);
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, L"Deutschland");
  SetFocus(GetDlgItem(page, kLstFields));
  PageDialog::Pump();
  EXPECT_EQ(site.statusChanges(), 4);

  dialog.Press(kIdApply);
  EXPECT_EQ(dialog.applies(), 1);
  EXPECT_TRUE(host_->TakeBoxes().empty()) << "the add-in was reached";
  EXPECT_EQ(e2e::ReadSetting(L"AdressFormat", L"Line2"), L"<CompanyName>");
  EXPECT_EQ(e2e::ReadSetting(L"AdressFormat", L"Line3"), L"<MailingAddressPostalCode> <MailingAddressCity>");
  EXPECT_EQ(e2e::ReadSetting(L"AdressFormat", L"Line4"), L"Deutschland");
  bool found = true;
  e2e::ReadSetting(L"AdressFormat", L"Line5", &found);
  EXPECT_FALSE(found);

  // The running add-in re-read the template: the next click uses it.
  host_->Select(explorer_, {anna_->AsDispatch()});
  ASSERT_TRUE(host_->Click(explorer_->bars, e2e::kCaption));
  EXPECT_EQ(Host::ClipboardText(), "Anna M\xFCller\r\nM\xFCller & S\xF6hne GmbH\r\n80331 M\xFCnchen\r\nDeutschland");

  // Info: the about window, closed by the host's watcher.
  SendMessageW(GetDlgItem(page, kBtnAbout), BM_CLICK, 0, 0);
  std::vector<Box> boxes = host_->TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(boxes[0].splash);

  dialog.Close();
  EXPECT_EQ(site.references(), 0) << "closing the dialog releases the page and its site";
}

TEST_F(PageInHost, WithTheAddInDisconnectedApplySavesThenReports) {
  PageSite site;
  PageDialog dialog(site);
  OpenProperties(site, dialog);
  host_->Shutdown();  // the add-in goes while the dialog is open
  SendMessageW(GetDlgItem(dialog.pageWindow(), kBtnInsert), BM_CLICK, 0, 0);
  dialog.Press(IDOK);
  EXPECT_EQ(dialog.applies(), 1);
  EXPECT_EQ(e2e::ReadSetting(L"AdressFormat", L"Line4"), L"");
  std::vector<Box> boxes = host_->TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, L"PropertyPage_Apply");
  EXPECT_TRUE(boxes[0].prompt.ends_with(L" in Funktion 'PropertyPage_Apply' von Benutzersteuerelement 'ctlVellox'"))
      << std::string(boxes[0].prompt.begin(), boxes[0].prompt.end());
  dialog.Close();
  EXPECT_EQ(site.references(), 0);
}

// The page's application object must not keep Outlook from shutting down:
// the last page of the thread gives it back when it closes.
TEST_F(PageInHost, TheLastPageToCloseGivesTheApplicationBack) {
  {
    PageSite site;
    PageDialog dialog(site);
    OpenProperties(site, dialog);
    SendMessageW(GetDlgItem(dialog.pageWindow(), kBtnInsert), BM_CLICK, 0, 0);
    dialog.Press(kIdApply);
    dialog.Close();
  }
  host_->Shutdown();
  EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
  CoFreeUnusedLibrariesEx(0, 0);
  CoFreeUnusedLibrariesEx(0, 0);
  EXPECT_EQ(GetModuleHandleW(VX_VELLOX_OCX), nullptr) << "the library can unload";
}

// Apply reaches the running add-in through the object it published, beside
// until the add-in answers IRibbonExtensibility: drop the prefix then.
TEST_F(PageInOutlook2016, ApplyAndTheNextRibbonClickUsesTheNewTemplate) {
  {
    PageSite site;
    PageDialog dialog(site);
    OpenProperties(site, dialog);
    SendMessageW(GetDlgItem(dialog.pageWindow(), kBtnDelete), BM_CLICK, 0, 0);  // <MailingAddress>
    dialog.Press(kIdApply);
    EXPECT_TRUE(host_->TakeBoxes().empty()) << "the add-in was reached";
    host_->Select(explorer_, {anna_->AsDispatch()});
    ASSERT_EQ(host_->RibbonClick(explorer_, L"VelloxCopyExplorer"), S_OK);
    EXPECT_EQ(Host::ClipboardText(), "Anna M\xFCller\r\nM\xFCller & S\xF6hne GmbH");
    dialog.Close();
  }
  host_->Shutdown();
  EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
  EXPECT_TRUE(host_->Faults().empty());
}

}  // namespace
}  // namespace vx::test
