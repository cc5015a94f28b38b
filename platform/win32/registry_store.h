// The settings store in the registry: a section is the key
//   HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>
// and each setting a REG_SZ value named after its key. Registry errors raise
// numbered failures (platform/win32/win32_error.h); an empty application or
// section name is failure 5.
#pragma once

#include "platform/settings.h"

namespace vx::win {

class RegistryStore : public SettingsStore {
 public:
  // A value that is not a string counts as missing.
  Text GetSetting(const Text& application, const Text& section, const Text& key,
                  const Text& defaultValue) override;
  void SaveSetting(const Text& application, const Text& section, const Text& key,
                   const Text& value) override;
  // In the registry's enumeration order (Windows: order of creation; Wine:
  // alphabetical). Values that are not strings are left out.
  std::vector<SettingEntry> GetAllSettings(const Text& application, const Text& section) override;
  // Removes the section key, with its values and any keys below it.
  void DeleteSetting(const Text& application, const Text& section) override;
};

// The registry path of a section below HKEY_CURRENT_USER.
Text SectionPath(const Text& application, const Text& section);

}  // namespace vx::win
