// An in-memory settings store: a section returns its entries in the order
// they were first written, unless the test asks for another order. Any
// operation can be told to fail with a chosen failure number.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/settings.h"

namespace vx::fake {

class MemoryStore : public SettingsStore {
 public:
  Text GetSetting(const Text& application, const Text& section, const Text& key,
                  const Text& defaultValue) override;
  void SaveSetting(const Text& application, const Text& section, const Text& key,
                   const Text& value) override;
  std::vector<SettingEntry> GetAllSettings(const Text& application, const Text& section) override;
  void DeleteSetting(const Text& application, const Text& section) override;

  // Direct access for tests (application "Brisanto").
  std::optional<Text> Value(TextView section, TextView key) const;
  std::vector<SettingEntry> Section(TextView section) const;
  bool HasSection(TextView section) const;
  void Put(TextView section, TextView key, TextView value);

  // Enumerate this section's keys in the given order (keys not listed follow
  // in write order).
  void SetEnumerationOrder(TextView section, std::vector<Text> keys);

  // Failure injection: every call of that operation raises this number.
  // 0 switches it off. failSaveAfter lets that many saves succeed first.
  int32_t failGet = 0;
  int32_t failSave = 0;
  int failSaveAfter = 0;
  int32_t failGetAll = 0;
  int32_t failDelete = 0;

  int saves = 0;    // successful SaveSetting calls
  int deletes = 0;  // DeleteSetting calls that ran

 private:
  struct Section_ {
    std::vector<SettingEntry> entries;  // write order
    std::vector<Text> order;            // enumeration order, if set
  };
  std::map<std::pair<Text, Text>, Section_> sections_;
};

}  // namespace vx::fake
