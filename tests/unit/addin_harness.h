// The add-in as Outlook sees it, over fakes: an in-memory host, store,
// message boxes, clipboard and splash, one mdlAllgemein and one Connect.
#pragma once

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "addin/Connect.h"
#include "addin/mdlAllgemein.h"
#include "platform/failure.h"
#include "tests/fakes/fake_item.h"
#include "tests/fakes/fake_outlook.h"
#include "tests/fakes/manual_steps.h"
#include "tests/fakes/memory_store.h"
#include "tests/fakes/page_fakes.h"
#include "tests/fakes/recording_boxes.h"
#include "tests/fakes/recording_clipboard.h"

namespace vx::test {

inline std::shared_ptr<ol::Item> Contact(TextView fullName, TextView address) {
  return fake::MakeContact(fullName, u"", address);
}
inline std::shared_ptr<ol::Item> Mail() {
  auto mail = std::make_shared<fake::FakeItem>(ol::kClassMail);
  mail->Set(u"FullName", u"Betreff");
  return mail;
}
inline std::shared_ptr<ol::Item> DistList() {
  auto list = std::make_shared<fake::FakeItem>(ol::kClassDistList);
  list->Set(u"FullName", u"Verteiler");
  return list;
}

struct AddinHarness {
  fake::FakeOutlook outlook;
  fake::MemoryStore store;
  fake::RecordingBoxes boxes;
  fake::RecordingClipboard clipboard;
  fake::FakeSplash splash;
  mdlAllgemein module{AddinServices{store, boxes, clipboard, splash}};
  fake::ManualSteps steps;  // the add-in's after-start step, run by the test
  Connect connect{module, steps};
  std::shared_ptr<fake::RecordingAutomation> self = std::make_shared<fake::RecordingAutomation>();

  fake::FakeFolder& contacts = outlook.AddFolder(u"Kontakte", ol::kItemTypeContact);
  fake::FakeFolder& inbox = outlook.AddFolder(u"Posteingang", 0);
  fake::FakeCOMAddIn& entry = outlook.AddCOMAddIn(u"Vellorian.Connect");

  // A user who has run the add-in before: no splash, the default template.
  void Seasoned() {
    store.Put(u"Startup", u"FirstRun", u"0");
    store.Put(u"Startup", u"ShowSplash", u"0");
    int32_t k = 1;
    for (TextView line : kDefaultTemplate) store.Put(u"AdressFormat", LineKey(k++), line);
  }

  // Outlook's start: the application and this add-in's entry are handed over.
  void Connected(int32_t mode = connect_mode::kStartup) {
    connect.AddinInstance_OnConnection(outlook.Application(), self, outlook.AddInInst(entry), mode);
  }

  // The text on the clipboard, and how often the clicks handed one over.
  std::optional<Text> Copied() const { return clipboard.TextFromAnsi(); }
  int HandOvers() const {
    return static_cast<int>(std::count(clipboard.steps.begin(), clipboard.steps.end(), "Open"));
  }

  static Text Prompt(int32_t number, TextView suffix) {
    return Decimal(number) + u": " + DescriptionOf(number) + u"\r\n\r\n" + Text(suffix);
  }
};

}  // namespace vx::test
