// Vellox.DLL in the substitute Outlook with a template that names one field
// of each group of the field list, our own salutation fields and a field
// Outlook 2000 lacks: the text copied from the explorer and from a contact
// window, the boxes (none), and the late-bound calls the click makes on a
// contact. As Outlook 2000 (toolbar buttons) and as Outlook 2016 (ribbon).
#include <gtest/gtest.h>

#include <iostream>

#include "tests/e2e/vellox_install.h"
#include "tests/host/host.h"

namespace vx::e2e {
namespace {

using host::ContactObj;
using host::ExplorerObj;
using host::Host;
using host::InspectorObj;

const std::vector<std::wstring> kTemplate = {
    L"<CompanyName>",
    L"<Anrede>",
    L"<Title> <FirstName> <LastName>",
    L"<JobTitle>",
    L"<BusinessAddressStreet>",
    L"<HomeAddressPostalCode> <HomeAddressCity>",
    L"<OtherAddressCountry>",
    L"Mobil: <MobileTelephoneNumber>",
    L"<Email1Address>",
    L"<IMAddress>",
    L"<Birthday>",
    L"",
    L"<Briefanrede>"};
// The reads of one contact for it: one per placeholder, the letter's
// greeting three (Gender, LastName, Title).
constexpr long kTemplateReads = 14 + 3;

host::ContactFields Weiss() {
  return {.FullName = L"Dr. Jürgen Weiß",
          .CompanyName = L"Müller & Söhne GmbH",
          .more = {{L"Title", L"Dr."},
                   {L"FirstName", L"Jürgen"},
                   {L"LastName", L"Weiß"},
                   {L"JobTitle", L"Prokurist"},
                   {L"BusinessAddressStreet", L"Königsallee 12"},
                   {L"HomeAddressPostalCode", L"40212"},
                   {L"HomeAddressCity", L"Düsseldorf"},
                   {L"OtherAddressCountry", L"Österreich"},
                   {L"MobileTelephoneNumber", L"+49 171 1234567"},
                   {L"Email1Address", L"j.weiss@example.de"},
                   {L"IMAddress", L"jweiss@chat.example.de"}},
          .Birthday = 22347.0,  // 7 March 1961
          .Gender = 2};
}

std::wstring Expected(int major) {
  return std::wstring(L"Müller & Söhne GmbH\r\nHerrn\r\nDr. Jürgen Weiß\r\nProkurist\r\n"
                      L"Königsallee 12\r\n40212 Düsseldorf\r\nÖsterreich\r\n"
                      L"Mobil: +49 171 1234567\r\nj.weiss@example.de\r\n") +
         (major >= 10 ? L"jweiss@chat.example.de\r\n" : L"") +  // unknown to Outlook 2000
         L"07.03.1961\r\n\r\nSehr geehrter Herr Dr. Weiß,";
}

class FieldsInEachOutlook : public testing::TestWithParam<const wchar_t*> {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(Regsvr32(false), 0u); }
  static void TearDownTestSuite() { Regsvr32(true); }

  void SetUp() override {
    DeleteSettings();
    WriteSetting(L"Startup", L"FirstRun", L"0");
    WriteSetting(L"Startup", L"ShowSplash", L"0");
    host_ = std::make_unique<Host>();
    host_->SetVersion(GetParam());
    major_ = host_->Major();
    Host::ClearClipboard();
    weiss_ = host_->AddContact(host_->Contacts(), Weiss());
  }
  void TearDown() override {
    for (const std::wstring& fault : host_->Faults()) ADD_FAILURE() << fault.size() << " fault";
    host_.reset();
    DeleteSettings();
  }

  HRESULT CopyFrom(ExplorerObj* explorer) {
    if (major_ < 14) return host_->Click(explorer->bars, kCaption) ? S_OK : host::kNotShown;
    return host_->RibbonClick(explorer, L"VelloxCopyExplorer");
  }
  HRESULT CopyFrom(InspectorObj* window) {
    if (major_ < 12) return host_->Click(window->bars, kCaption) ? S_OK : host::kNotShown;
    return host_->RibbonClick(window, L"VelloxCopyInspector");
  }

  std::unique_ptr<Host> host_;
  ContactObj* weiss_ = nullptr;
  int major_ = 9;
};

TEST_P(FieldsInEachOutlook, OneFieldOfEachGroupFromTheExplorerAndFromAContactWindow) {
  WriteTemplate(kTemplate);
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  host_->Select(explorer, {weiss_->AsDispatch()});
  ASSERT_EQ(CopyFrom(explorer), S_OK);
  EXPECT_EQ(Host::ClipboardUnicode(), Expected(major_));
  EXPECT_TRUE(host_->TakeBoxes().empty());
  // Class, then one read per placeholder: nothing the template does not name.
  // Outlook 2000 does not know IMAddress: the add-in asks for its name and
  // gets no DISPID, unless it learnt one from a later Outlook before.
  const long fromExplorer = weiss_->invokes;
  EXPECT_LE(fromExplorer, 1 + kTemplateReads);
  EXPECT_GE(fromExplorer, 1 + kTemplateReads - (major_ < 10 ? 1 : 0));
  std::cout << "late-bound calls on the contact, ten-plus-field template, Outlook " << major_
            << ": " << fromExplorer << "\n";

  Host::ClearClipboard();
  InspectorObj* window = host_->OpenInspector(weiss_->AsDispatch());
  ASSERT_EQ(CopyFrom(window), S_OK);
  EXPECT_EQ(Host::ClipboardUnicode(), Expected(major_));
  EXPECT_TRUE(host_->TakeBoxes().empty());
  host_->Shutdown();
}

TEST_P(FieldsInEachOutlook, TheDefaultTemplateReadsThreeFieldsPerContact) {
  WriteTemplate({L"<FullName>", L"<CompanyName>", L"<MailingAddress>"});
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  host_->Select(explorer, {weiss_->AsDispatch()});
  ASSERT_EQ(CopyFrom(explorer), S_OK);
  EXPECT_EQ(Host::ClipboardUnicode(), L"Dr. Jürgen Weiß\r\nMüller & Söhne GmbH");
  EXPECT_EQ(weiss_->invokes, 1 + 3);
  host_->Shutdown();
}

INSTANTIATE_TEST_SUITE_P(Outlook, FieldsInEachOutlook,
                         testing::Values(L"9.0.0.2711", L"16.0.0.4266"));

}  // namespace
}  // namespace vx::e2e
