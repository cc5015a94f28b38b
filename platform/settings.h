// The per-user settings store and the layout of every setting the two
// libraries keep in it.
//
// On Windows a section is the registry key
//   HKCU\Software\VB and VBA Program Settings\<application>\<section>
// and each setting a string value named after its key
// (platform/win32/registry_store.h). Tests use an in-memory store.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/text.h"

namespace vx {

struct SettingEntry {
  Text key;
  Text value;
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // The stored value, or defaultValue when the key (or its section) is
  // missing. Raises a numbered failure when the store cannot be read.
  virtual Text GetSetting(const Text& application, const Text& section, const Text& key,
                          const Text& defaultValue) = 0;

  // Creates or overwrites one value, creating the section when needed.
  // Raises a numbered failure when the value cannot be written.
  virtual void SaveSetting(const Text& application, const Text& section, const Text& key,
                           const Text& value) = 0;

  // The section's entries in the order the store enumerates them (for a
  // section written afresh on Windows: the order of writing). Empty when the
  // section is missing or holds no value.
  virtual std::vector<SettingEntry> GetAllSettings(const Text& application,
                                                   const Text& section) = 0;

  // Removes the section with all its keys. A missing section is not a
  // failure. Raises a numbered failure when the section cannot be removed.
  virtual void DeleteSetting(const Text& application, const Text& section) = 0;
};

// ---- Layout (application "Brisanto") ----
namespace layout {
inline constexpr TextView kApplication = u"Brisanto";
inline constexpr TextView kStartup = u"Startup";
inline constexpr TextView kFirstRun = u"FirstRun";
inline constexpr TextView kShowSplash = u"ShowSplash";
inline constexpr TextView kAdressFormat = u"AdressFormat";
inline constexpr TextView kLinePrefix = u"Line";
}  // namespace layout

}  // namespace vx

namespace vx {

// Key of template line k (1-based): "Line" followed by k in decimal.
Text LineKey(int32_t k);

// Whether key names a template line: it begins with "Line" (exact case).
bool IsLineKey(TextView key);

// The line number of a template key (IsLineKey must hold): the rest of the
// key read as a whole number. Only plain decimal digits count as a number:
// anything else (nothing, letters, blanks, signs) is failure 13; a number
// beyond 32,767 is failure 6.
int16_t LineNumberOf(TextView key);

// The default template, three lines.
inline constexpr TextView kDefaultTemplate[] = {u"<FullName>", u"<CompanyName>",
                                                 u"<MailingAddress>"};

// The store side of SaveInitialSettings, shared by both libraries:
// "Startup"/"FirstRun" = "0", then Line1..Line3 of the default template in
// this order. A failed write raises; later writes do not happen.
void WriteInitialSettings(SettingsStore& store);

// The entries of section "AdressFormat" in the store's order; empty when no
// template is stored. Raises when the store cannot be read.
std::vector<SettingEntry> ReadTemplateEntries(SettingsStore& store);

// The prompt shown (critical icon, the application title) when the store
// holds no template, before the defaults are written.
inline constexpr TextView kNoTemplateMessage =
    u"In der Registry wurde kein Adressformat gefunden, verwende Standardformat.";

// Reads "Startup"/key (default "1") as a number and tells whether it is 1.
// A value that is not a number is failure 13.
bool SettingIsOne(SettingsStore& store, TextView key);

}  // namespace vx
