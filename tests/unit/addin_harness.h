// The add-in as Outlook sees it, over fakes: an in-memory host, store,
// message boxes, clipboard and splash, one mdlAllgemein and one Connect.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "addin/Connect.h"
#include "addin/mdlAllgemein.h"
#include "platform/failure.h"
#include "tests/fakes/fake_outlook.h"
#include "tests/fakes/memory_store.h"
#include "tests/fakes/recording_boxes.h"
#include "tests/fakes/page_fakes.h"

namespace vx::test {

// ---- stand-ins until the template engine and the clipboard writer land ----
extern std::vector<Text> g_copied;

class StandInClipboard : public ClipboardApi {
 public:
  std::string ToAnsi(const Text&) override { return {}; }
  Block Alloc(size_t) override { return nullptr; }
  void* Lock(Block) override { return nullptr; }
  bool Unlock(Block) override { return false; }
  void Free(Block) override {}
  bool Open() override { return false; }
  void Empty() override {}
  bool SetData(uint32_t, Block) override { return false; }
  bool Close() override { return false; }
};

class StandInItem : public ol::Item {
 public:
  StandInItem(int32_t cls, std::map<Text, Text> fields) : cls_(cls), fields_(std::move(fields)) {}
  int32_t Class() override { return cls_; }
  Text GetText(const Text& property) override { return fields_[property]; }

 private:
  int32_t cls_;
  std::map<Text, Text> fields_;
};
// ---- end of stand-ins ----

inline std::shared_ptr<ol::Item> Contact(const Text& fullName, const Text& address) {
  return std::make_shared<StandInItem>(
      ol::kClassContact,
      std::map<Text, Text>{{u"FullName", fullName}, {u"MailingAddress", address}});
}
inline std::shared_ptr<ol::Item> Mail() {
  return std::make_shared<StandInItem>(ol::kClassMail,
                                       std::map<Text, Text>{{u"FullName", u"Betreff"}});
}
inline std::shared_ptr<ol::Item> DistList() {
  return std::make_shared<StandInItem>(ol::kClassDistList,
                                       std::map<Text, Text>{{u"FullName", u"Verteiler"}});
}

struct AddinHarness {
  fake::FakeOutlook outlook;
  fake::MemoryStore store;
  fake::RecordingBoxes boxes;
  StandInClipboard clipboard;
  fake::FakeSplash splash;
  mdlAllgemein module{AddinServices{store, boxes, clipboard, splash}};
  Connect connect{module};
  std::shared_ptr<fake::RecordingAutomation> self = std::make_shared<fake::RecordingAutomation>();

  fake::FakeFolder& contacts = outlook.AddFolder(u"Kontakte", ol::kItemTypeContact);
  fake::FakeFolder& inbox = outlook.AddFolder(u"Posteingang", 0);
  fake::FakeCOMAddIn& entry = outlook.AddCOMAddIn(u"Vellorian.Connect");

  AddinHarness() { g_copied.clear(); }

  // A user who has run the add-in before: no splash, the default template.
  void Seasoned() {
    store.Put(u"Startup", u"FirstRun", u"0");
    store.Put(u"Startup", u"ShowSplash", u"0");
    int32_t k = 1;
    for (TextView line : kDefaultTemplate) store.Put(u"AdressFormat", LineKey(k++), line);
  }

  void Connected() { connect.AddinInstance_OnConnection(outlook.Application(), self); }

  // What the clicks put on the clipboard, one entry per hand-over.
  std::vector<Text> Copied() const { return g_copied; }

  static Text Prompt(int32_t number, TextView suffix) {
    return Decimal(number) + u": " + DescriptionOf(number) + u"\r\n\r\n" + Text(suffix);
  }
};

}  // namespace vx::test
