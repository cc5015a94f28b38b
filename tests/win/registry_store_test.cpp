// The registry store under HKCU\Software\VB and VBA Program Settings, against
// the real registry. Each run works below an application name of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include "platform/failure.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_error.h"

namespace vx {
namespace {

const Text kSection = u"AdressFormat";

class Registry : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const Text& section : {kSection, Text(u"Startup")}) {
      store.DeleteSetting(app, section);
    }
    const Text path = u"Software\\VB and VBA Program Settings\\" + app;
    RegDeleteKeyW(HKEY_CURRENT_USER, win::Wide(path));
  }

  // The raw value as the registry holds it: its type and data.
  std::pair<DWORD, Text> Raw(const Text& section, const Text& key) {
    HKEY h = nullptr;
    const Text path = u"Software\\VB and VBA Program Settings\\" + app + u"\\" + section;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, win::Wide(path), 0, KEY_QUERY_VALUE, &h), 0);
    wchar_t data[512] = {};
    DWORD type = 0, bytes = sizeof data;
    EXPECT_EQ(RegQueryValueExW(h, win::Wide(key), nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes), 0);
    RegCloseKey(h);
    return {type, win::FromWide(data, bytes / 2)};
  }

  std::vector<Text> Keys(const Text& section) {
    std::vector<Text> keys;
    for (const auto& e : store.GetAllSettings(app, section)) keys.push_back(e.key);
    return keys;
  }

  win::RegistryStore store;
  const Text app = u"VelloxTest" + Decimal(GetCurrentProcessId());
};

TEST_F(Registry, ValuesRoundTripAsStringValuesAtTheSectionKey) {
  store.SaveSetting(app, u"Startup", u"FirstRun", u"0");
  store.SaveSetting(app, kSection, u"Line1", u"Straße <FullName> – äöü ÄÖÜ €");
  store.SaveSetting(app, kSection, u"Line2", u"");
  store.SaveSetting(app, kSection, u"Line3", u"Łódź 東京");
  EXPECT_EQ(store.GetSetting(app, u"Startup", u"FirstRun", u"1"), u"0");
  EXPECT_EQ(store.GetSetting(app, kSection, u"Line1", u"x"), u"Straße <FullName> – äöü ÄÖÜ €");
  EXPECT_EQ(store.GetSetting(app, kSection, u"Line2", u"x"), u"") << "empty is not missing";
  EXPECT_EQ(store.GetSetting(app, kSection, u"Line3", u"x"), u"Łódź 東京");
  EXPECT_EQ(store.GetSetting(app, kSection, u"Line4", u"fehlt"), u"fehlt");
  EXPECT_EQ(store.GetSetting(app, u"Nirgends", u"Line1", u"fehlt"), u"fehlt");

  store.SaveSetting(app, kSection, u"Line1", u"neu");
  EXPECT_EQ(store.GetSetting(app, kSection, u"Line1", u"x"), u"neu");
  EXPECT_EQ(Raw(kSection, u"Line1"), std::make_pair(DWORD{REG_SZ}, Text(u"neu\0", 4)));
  EXPECT_EQ(Raw(kSection, u"Line2"), std::make_pair(DWORD{REG_SZ}, Text(u"\0", 1)));
}

TEST_F(Registry, LongValuesAreReadWhole) {
  Text long_(5000, u'ß');
  long_ += u"Ende";
  store.SaveSetting(app, kSection, u"Line1", u"kurz");
  store.SaveSetting(app, kSection, u"Line2", long_);
  EXPECT_EQ(store.GetSetting(app, kSection, u"Line2", u""), long_);
  auto all = store.GetAllSettings(app, kSection);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[1].value, long_);
}

TEST_F(Registry, NineLinesEnumerateInWriteOrder) {
  std::vector<SettingEntry> written;
  for (int k = 1; k <= 9; ++k) {
    written.push_back({LineKey(k), k == 5 ? Text() : u"Zeile " + Decimal(k) + u" – Größe"});
    store.SaveSetting(app, kSection, written.back().key, written.back().value);
  }
  auto all = store.GetAllSettings(app, kSection);
  ASSERT_EQ(all.size(), 9u);
  for (size_t i = 0; i < 9; ++i) {
    EXPECT_EQ(all[i].key, written[i].key);
    EXPECT_EQ(all[i].value, written[i].value);
  }
}

TEST_F(Registry, TenOrMoreLinesEnumerateInTheRegistrysOrder) {
  std::vector<Text> keys;
  for (int k = 1; k <= 12; ++k) {
    keys.push_back(LineKey(k));
    store.SaveSetting(app, kSection, keys.back(), Decimal(k));
  }
  std::vector<Text> enumerated = Keys(kSection);
  std::string order;
  for (const Text& k : enumerated) order += ToUtf8(k) + " ";
  std::cout << "enumeration order of 12 lines: " << order << "\n";
  RecordProperty("order", order);
  std::sort(enumerated.begin(), enumerated.end());
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(enumerated, keys);
}

TEST_F(Registry, DeletingASectionRemovesItWithAllItHoldsAndLetsItBeRewritten) {
  for (int k = 1; k <= 5; ++k) store.SaveSetting(app, kSection, LineKey(k), u"alt");
  store.SaveSetting(app, u"Startup", u"FirstRun", u"0");
  HKEY below = nullptr;
  const Text sub = u"Software\\VB and VBA Program Settings\\" + app + u"\\" + kSection + u"\\Unter";
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, win::Wide(sub), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &below, nullptr), 0);
  RegCloseKey(below);

  store.DeleteSetting(app, kSection);
  EXPECT_TRUE(store.GetAllSettings(app, kSection).empty());
  EXPECT_EQ(store.GetSetting(app, kSection, u"Line1", u"fehlt"), u"fehlt");
  EXPECT_EQ(store.GetSetting(app, u"Startup", u"FirstRun", u"1"), u"0") << "other sections stay";

  store.SaveSetting(app, kSection, u"Line1", u"<FullName>");
  store.SaveSetting(app, kSection, u"Line2", u"");
  EXPECT_EQ(Keys(kSection), (std::vector<Text>{u"Line1", u"Line2"}));
}

TEST_F(Registry, AMissingOrEmptySectionReadsAsNothingAndDeletesQuietly) {
  EXPECT_TRUE(store.GetAllSettings(app, kSection).empty());
  EXPECT_NO_THROW(store.DeleteSetting(app, kSection)) << "application missing too";
  store.SaveSetting(app, u"Startup", u"FirstRun", u"0");
  EXPECT_NO_THROW(store.DeleteSetting(app, kSection)) << "section missing";

  HKEY empty = nullptr;
  const Text path = u"Software\\VB and VBA Program Settings\\" + app + u"\\" + kSection;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, win::Wide(path), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &empty, nullptr), 0);
  DWORD number = 1;
  RegSetValueExW(empty, L"Zahl", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), sizeof number);
  RegCloseKey(empty);
  EXPECT_TRUE(store.GetAllSettings(app, kSection).empty()) << "only a value that is no string";
  EXPECT_EQ(store.GetSetting(app, kSection, u"Zahl", u"fehlt"), u"fehlt");
}

TEST_F(Registry, FailuresAreNumberedWithGermanDescriptions) {
  try {
    win::RaiseWin32Error(ERROR_ACCESS_DENIED);
    FAIL();
  } catch (const Failure& f) {
    EXPECT_EQ(f.number(), 70);
    EXPECT_EQ(f.description(), u"Zugriff verweigert");
  }
  EXPECT_EQ(win::FailureNumberOf(ERROR_OUTOFMEMORY), 7);
  EXPECT_EQ(win::FailureNumberOf(ERROR_KEY_DELETED), 75);
  EXPECT_EQ(win::FailureNumberOf(ERROR_INVALID_PARAMETER), 5);

  EXPECT_EQ(ResumeNext([&] { store.SaveSetting(app, u"", u"Line1", u"x"); }), 5);
  EXPECT_EQ(ResumeNext([&] { store.DeleteSetting(u"", kSection); }), 5);
  // A key name the registry refuses (longer than 255 characters).
  EXPECT_EQ(ResumeNext([&] { store.SaveSetting(app, Text(300, u'x'), u"Line1", u"x"); }), 5);
}

}  // namespace
}  // namespace vx
