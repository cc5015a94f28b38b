// The in-memory Outlook host: what other tests rely on when they count
// references and subscriptions or end subscriptions during an event.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/event_member.h"
#include "platform/failure.h"
#include "tests/fakes/fake_outlook.h"

namespace vx::fake {
namespace {

struct SwitchSink : ol::ExplorerEvents {
  std::function<void()> onSwitch;
  int switches = 0;
  void FolderSwitch() override {
    ++switches;
    if (onSwitch) onSwitch();
  }
  void Close() override {}
};

TEST(FakeOutlook, CountsEachHandoutUntilItsLastCopyGoes) {
  FakeOutlook outlook;
  FakeFolder& folder = outlook.AddFolder(u"Kontakte", ol::kItemTypeContact);
  FakeExplorer& explorer = outlook.OpenExplorer(folder);
  {
    auto app = outlook.Application();
    auto active = app->ActiveExplorer();
    auto copy = active;
    auto again = app->ActiveExplorer();
    EXPECT_EQ(outlook.ReferencesTo(explorer), 2);
    EXPECT_EQ(outlook.References(), 3);
    active.reset();
    copy.reset();
    EXPECT_EQ(outlook.ReferencesTo(explorer), 1);
  }
  EXPECT_EQ(outlook.References(), 0);
}

TEST(FakeOutlook, SinksEndedDuringAnEventAreSkippedAndTheRestStillRun) {
  FakeOutlook outlook;
  FakeFolder& folder = outlook.AddFolder(u"Kontakte", ol::kItemTypeContact);
  FakeExplorer& explorer = outlook.OpenExplorer(folder);
  auto handout = outlook.Application()->ActiveExplorer();
  SwitchSink first, second, third;
  EventMember<ol::Explorer, ol::ExplorerEvents> a(first), b(second), c(third);
  a.Set(handout);
  b.Set(handout);
  c.Set(handout);
  first.onSwitch = [&] { b.Empty(); };   // ends a later one
  third.onSwitch = [&] { c.Empty(); };   // ends itself
  EXPECT_EQ(outlook.Subscriptions(), 3);
  outlook.SwitchFolder(explorer, folder);
  EXPECT_EQ(first.switches, 1);
  EXPECT_EQ(second.switches, 0);
  EXPECT_EQ(third.switches, 1);
  EXPECT_EQ(explorer.subscriptions(), 1);
  outlook.SwitchFolder(explorer, folder);
  EXPECT_EQ(first.switches, 2);
  EXPECT_EQ(third.switches, 1);
}

TEST(FakeOutlook, InjectedFailuresRaiseTheirNumberUntilHealed) {
  FakeOutlook outlook;
  outlook.AddCOMAddIn(u"Vellorian.Connect");
  auto addins = outlook.Application()->COMAddIns();
  EXPECT_THROW(outlook.FailOn("COMAddIns.Itme", 5), std::invalid_argument);
  outlook.FailOn("COMAddIns.Item", 440);
  EXPECT_EQ(ResumeNext([&] { addins->Item(u"Vellorian.Connect"); }), 440);
  outlook.Heal("COMAddIns.Item");
  EXPECT_EQ(ResumeNext([&] { addins->Item(u"Vellorian.Connect"); }), 0);
  EXPECT_EQ(ResumeNext([&] { addins->Item(u"Andere.Connect"); }), 5);
}

TEST(FakeOutlook, ControlsAreFoundByCaptionAndByTypeAndId) {
  FakeOutlook outlook;
  FakeExplorer& explorer = outlook.OpenExplorer(outlook.AddFolder(u"Posteingang", 0));
  FakeCommandBar& bar = explorer.Standard();
  bar.Put(1, 4, u"&Drucken");
  auto bars = outlook.Application()->ActiveExplorer()->CommandBars();
  EXPECT_EQ(ResumeNext([&] { bars->Item(u"Erweitert"); }), 5);
  auto standard = bars->Item(u"Standard");
  auto added = standard->Controls()->Add(1, true);
  added->SetCaption(u"Neu");
  EXPECT_EQ(standard->FindControl(1, added->Id()), added);
  EXPECT_EQ(standard->FindControl(1, 4)->Id(), 4);
  EXPECT_EQ(standard->FindControl(2, 4), nullptr);
  EXPECT_EQ(standard->Controls()->Item(u"Neu")->Id(), FakeCommandBar::kCustomId);
  EXPECT_EQ(ResumeNext([&] { standard->Controls()->Item(u"neu"); }), 5);
  outlook.CloseExplorer(explorer);
  EXPECT_EQ(bar.buttons().size(), 1u) << "temporary controls go with the window";
}

}  // namespace
}  // namespace vx::fake
