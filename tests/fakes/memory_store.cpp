#include "tests/fakes/memory_store.h"

#include <algorithm>

#include "platform/failure.h"

namespace vx::fake {

namespace {
const Text kApp(layout::kApplication);
}

Text MemoryStore::GetSetting(const Text& application, const Text& section, const Text& key,
                             const Text& defaultValue) {
  if (failGet) Raise(failGet);
  auto it = sections_.find({application, section});
  if (it == sections_.end()) return defaultValue;
  for (const auto& e : it->second.entries) {
    if (e.key == key) return e.value;
  }
  return defaultValue;
}

void MemoryStore::SaveSetting(const Text& application, const Text& section, const Text& key,
                              const Text& value) {
  if (failSave && saves >= failSaveAfter) Raise(failSave);
  auto& entries = sections_[{application, section}].entries;
  auto it = std::find_if(entries.begin(), entries.end(), [&](auto& e) { return e.key == key; });
  if (it != entries.end()) {
    it->value = value;
  } else {
    entries.push_back({key, value});
  }
  ++saves;
}

std::vector<SettingEntry> MemoryStore::GetAllSettings(const Text& application,
                                                      const Text& section) {
  if (failGetAll) Raise(failGetAll);
  auto it = sections_.find({application, section});
  if (it == sections_.end()) return {};
  const Section_& s = it->second;
  std::vector<SettingEntry> out;
  for (const Text& key : s.order) {
    for (const auto& e : s.entries) {
      if (e.key == key) out.push_back(e);
    }
  }
  for (const auto& e : s.entries) {
    if (std::find(s.order.begin(), s.order.end(), e.key) == s.order.end()) out.push_back(e);
  }
  return out;
}

void MemoryStore::DeleteSetting(const Text& application, const Text& section) {
  if (failDelete) Raise(failDelete);
  sections_.erase({application, section});
  ++deletes;
}

std::optional<Text> MemoryStore::Value(TextView section, TextView key) const {
  auto it = sections_.find({kApp, Text(section)});
  if (it == sections_.end()) return std::nullopt;
  for (const auto& e : it->second.entries) {
    if (e.key == key) return e.value;
  }
  return std::nullopt;
}

std::vector<SettingEntry> MemoryStore::Section(TextView section) const {
  auto it = sections_.find({kApp, Text(section)});
  return it == sections_.end() ? std::vector<SettingEntry>{} : it->second.entries;
}

bool MemoryStore::HasSection(TextView section) const {
  return sections_.count({kApp, Text(section)}) != 0;
}

void MemoryStore::Put(TextView section, TextView key, TextView value) {
  int32_t saved = failSave;
  failSave = 0;
  int count = saves;
  SaveSetting(kApp, Text(section), Text(key), Text(value));
  saves = count;
  failSave = saved;
}

void MemoryStore::SetEnumerationOrder(TextView section, std::vector<Text> keys) {
  sections_[{kApp, Text(section)}].order = std::move(keys);
}

}  // namespace vx::fake
