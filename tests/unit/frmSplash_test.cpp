#include "splash/frmSplash.h"

#include <gtest/gtest.h>

#include "tests/fakes/memory_store.h"
#include "tests/fakes/recording_boxes.h"
#include "tests/unit/failing_allocator.h"

namespace vx {
namespace {

class FrmSplashOk : public ::testing::Test {
 protected:
  fake::MemoryStore store;
  fake::RecordingBoxes boxes;
  frmSplash form{store, boxes};
};

TEST_F(FrmSplashOk, StoresTheCheckBoxStateAsOneOrZero) {
  form.btnOK_Click(true);
  EXPECT_EQ(store.Value(u"Startup", u"ShowSplash"), u"1");
  form.btnOK_Click(false);
  EXPECT_EQ(store.Value(u"Startup", u"ShowSplash"), u"0");
  // The about box switches the start-up display on again.
  form.btnOK_Click(true);
  EXPECT_EQ(store.Value(u"Startup", u"ShowSplash"), u"1");

  EXPECT_EQ(store.saves, 3);
  ASSERT_EQ(store.Section(u"Startup").size(), 1u);
  EXPECT_FALSE(store.HasSection(u"AdressFormat"));
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(FrmSplashOk, LeavesTheOtherStartupSettingsAlone) {
  store.Put(u"Startup", u"FirstRun", u"0");
  store.Put(u"Startup", u"ShowSplash", u"0");
  form.btnOK_Click(true);
  EXPECT_EQ(store.Value(u"Startup", u"FirstRun"), u"0");
  EXPECT_EQ(store.Value(u"Startup", u"ShowSplash"), u"1");
}

TEST_F(FrmSplashOk, NeverReadsTheSetting) {
  // A store that cannot be read does not matter: OK only writes.
  store.failGet = 70;
  store.failGetAll = 70;
  form.btnOK_Click(false);
  EXPECT_EQ(store.Value(u"Startup", u"ShowSplash"), u"0");
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(FrmSplashOk, AFailedWriteIsReportedOnceAndGoesNoFurther) {
  store.failSave = 70;
  EXPECT_NO_THROW(form.btnOK_Click(false));
  EXPECT_FALSE(store.Value(u"Startup", u"ShowSplash").has_value());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].prompt,
            u"70: Zugriff verweigert\r\n\r\n in Funktion 'btnOK_Click' von Formular 'frmSplash'");
  EXPECT_EQ(boxes.shown[0].style, 16);
  EXPECT_EQ(boxes.shown[0].title, u"btnOK_Click");

  // The next click, with the store working again, writes normally.
  store.failSave = 0;
  form.btnOK_Click(true);
  EXPECT_EQ(store.Value(u"Startup", u"ShowSplash"), u"1");
  EXPECT_EQ(boxes.shown.size(), 1u);
}

// The click handler answers the dialog whatever happens: with no memory
// left, not even for the report of the failed write, it still returns.
TEST_F(FrmSplashOk, WithNoMemoryLeftTheClickStillReturns) {
  store.failSave = 70;
  {
    test::FailingAllocations none;
    form.btnOK_Click(false);
  }
  EXPECT_TRUE(boxes.shown.empty()) << "no memory for the report's text";
  store.failSave = 0;
  form.btnOK_Click(true);
  EXPECT_EQ(store.Value(u"Startup", u"ShowSplash"), u"1") << "the next click works";
}

}  // namespace
}  // namespace vx
