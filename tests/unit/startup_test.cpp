// Connect's start in the Outlooks after 2003: the splash after the start,
// owners of the splash and the boxes, a start without a window (more of it
// end to end in tests/e2e/startup_test.cpp).
#include <gtest/gtest.h>

#include "addin/CustomUI.h"
#include "tests/unit/addin_harness.h"

namespace vx::test {
namespace {

class StartupTest : public ::testing::Test, public AddinHarness {
 protected:
  void Returning() {
    Seasoned();
    store.Put(u"Startup", u"ShowSplash", u"1");
  }
};

TEST_F(StartupTest, From2013OnTheConnectionReturnsAtOnceAndTheSplashFollowsTheStart) {
  for (int32_t mode : {connect_mode::kStartup, connect_mode::kAfterStartup}) {
    SCOPED_TRACE(mode);
    AddinHarness h;
    h.outlook.version = u"15.0.0.4420";
    fake::FakeExplorer& explorer = h.outlook.OpenExplorer(h.contacts);
    bool templateLoaded = false;
    h.splash.onShow = [&] { templateLoaded = h.module.AdressFormatLines.has_value(); };
    h.Connected(mode);
    // Published, first-run defaults, template: all inside the connection;
    // the splash not.
    EXPECT_EQ(h.entry.object(), h.self);
    EXPECT_EQ(h.store.Value(u"Startup", u"FirstRun"), u"0");
    EXPECT_TRUE(h.module.AdressFormatLines.has_value());
    EXPECT_TRUE(h.splash.owners.empty());
    // At Outlook's start the splash waits for OnStartupComplete; connected
    // later, it is posted right away.
    EXPECT_EQ(h.steps.queued(), mode == connect_mode::kAfterStartup);
    h.connect.AddinInstance_OnStartupComplete();
    EXPECT_TRUE(h.splash.owners.empty()) << "nothing modal in OnStartupComplete either";
    ASSERT_TRUE(h.steps.Run());
    EXPECT_EQ(h.splash.owners, std::vector<intptr_t>{explorer.window()});
    EXPECT_TRUE(templateLoaded);
    EXPECT_FALSE(h.steps.Run()) << "once";
    EXPECT_TRUE(h.boxes.shown.empty());
    h.connect.AddinInstance_OnDisconnection();
    EXPECT_EQ(h.outlook.References(), 0);
  }

  // Outlook 2010 does not time the start: the splash stays inside it.
  outlook.version = u"14.0.0.4760";
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  Connected();
  EXPECT_EQ(splash.owners, std::vector<intptr_t>{explorer.window()});
  connect.AddinInstance_OnStartupComplete();
  EXPECT_FALSE(steps.queued());
}

TEST_F(StartupTest, ReportsOfTheStartAreOwnedByTheFolderWindowLaterOnesAreNot) {
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  store.Put(u"Startup", u"FirstRun", u"ja");
  Connected();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].title, u"AddinInstance_OnConnection");
  EXPECT_EQ(boxes.shown[0].owner, explorer.window());

  // A failing splash setting at 2016, in the step after the start.
  AddinHarness h;
  h.outlook.version = u"16.0.0.4266";
  h.Seasoned();
  h.store.Put(u"Startup", u"ShowSplash", u"nein");
  fake::FakeExplorer& window = h.outlook.OpenExplorer(h.contacts);
  h.Connected();
  h.connect.AddinInstance_OnStartupComplete();
  ASSERT_TRUE(h.steps.Run());
  ASSERT_EQ(h.boxes.shown.size(), 1u);
  EXPECT_EQ(h.boxes.shown[0].title, u"ShowSplash");
  EXPECT_EQ(h.boxes.shown[0].owner, window.window());

  // A click's report after the start goes to the active window, as before.
  h.module.AdressFormatLines.reset();
  h.connect.VelloxCopy(h.outlook.RibbonContext(std::vector{Contact(u"Anna Berg", u"")}));
  ASSERT_EQ(h.boxes.shown.size(), 2u);
  EXPECT_EQ(h.boxes.shown[1].owner, 0);
  h.connect.AddinInstance_OnDisconnection();
}

TEST_F(StartupTest, DisconnectedBeforeOrWhileTheSplashWaitsNothingIsShownAndNothingHeld) {
  outlook.version = u"16.0.0.4266";
  Returning();
  outlook.OpenExplorer(contacts);
  Connected();
  connect.AddinInstance_OnStartupComplete();
  connect.AddinInstance_OnDisconnection();
  EXPECT_FALSE(steps.Run()) << "the posted step is gone";
  EXPECT_TRUE(splash.owners.empty());
  EXPECT_EQ(outlook.References(), 0);

  // Up when Outlook disconnects (the COM add-ins dialog, or a slow shutdown):
  // ended without OK, nothing held, no report.
  Connected();
  connect.AddinInstance_OnStartupComplete();
  int references = -1;
  splash.onShow = [&] {
    connect.AddinInstance_OnDisconnection();
    references = outlook.References();
  };
  ASSERT_TRUE(steps.Run());
  EXPECT_EQ(splash.ended, 1);
  EXPECT_EQ(references, 0);
  EXPECT_EQ(outlook.Subscriptions(), 0);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(StartupTest, From2010OnAStartWithoutAWindowWaitsHoldingOnlyWhatItNeedsAndAClickStartsIt) {
  outlook.version = u"16.0.0.4266";
  Seasoned();
  outlook.FailOn("Explorers.Advise", 440);  // a folder window's arrival goes unheard
  Connected();
  EXPECT_NE(connect.GetCustomUI(kExplorerRibbon), u"") << "asked once, at load, without a window";
  EXPECT_TRUE(connect.waiting());
  EXPECT_EQ(outlook.Subscriptions(), 1) << "new item windows only";
  EXPECT_EQ(entry.object(), nullptr);
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  EXPECT_EQ(connect.working(), nullptr);
  // The first ribbon click starts the add-in, then copies.
  outlook.Select(explorer, {Contact(u"Anna Berg", u"Hauptstr. 1")});
  connect.VelloxCopy(outlook.RibbonContext(explorer));
  EXPECT_EQ(Copied(), u"Anna Berg\r\nHauptstr. 1");
  EXPECT_FALSE(connect.waiting());
  EXPECT_EQ(entry.object(), self);
  EXPECT_TRUE(boxes.shown.empty());
  connect.AddinInstance_OnDisconnection();
  EXPECT_EQ(outlook.References(), 0);
  EXPECT_EQ(outlook.Subscriptions(), 0);
}

}  // namespace
}  // namespace vx::test
