// The add-in library's general module: the shared template list, the
// module-wide Outlook reference, the settings procedures and the clipboard
// writer.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/clipboard.h"
#include "platform/outlook.h"
#include "platform/settings.h"
#include "platform/splash.h"
#include "platform/ui.h"

namespace vx {

// What the add-in library reaches of its platform.
struct AddinServices {
  SettingsStore& store;
  MessageBoxes& boxes;
  ClipboardApi& clipboard;
  SplashWindow& splash;
};

class mdlAllgemein {
 public:
  explicit mdlAllgemein(AddinServices s) : services(s) {}

  AddinServices services;

  // The template lines, entry 0 first. Empty (never loaded) until the first
  // load: reading it then is failure 9.
  std::optional<std::vector<Text>> AdressFormatLines;

  // The application object, as held by clsVellox.
  std::shared_ptr<ol::Application> gobjOutlook;

  // Writes the first-run defaults and replaces AdressFormatLines by them.
  // Reports its own failures.
  void SaveInitialSettings();

  // Loads the stored template into AdressFormatLines (defaults and a message
  // when none is stored). Reports its own failures.
  void ReadAdressFormat();

  // Puts text on the clipboard as CF_TEXT (and CF_UNICODETEXT); true when the
  // clipboard was closed successfully after the hand-over.
  bool ClipBoard_SetText(const Text& text);
};

}  // namespace vx
