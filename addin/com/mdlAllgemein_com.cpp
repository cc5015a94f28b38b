// The add-in library's process-wide mdlAllgemein and its real services.
#include "addin/com/Connect_com.h"
#include "platform/win32/message_boxes.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/win32_clipboard.h"
#include "splash/win32/SplashDialog.h"

namespace vx::com {

mdlAllgemein& AddinModule() {
  static win::RegistryStore store;
  static win::Win32MessageBoxes boxes;
  static win::Win32Clipboard clipboard;
  static win32::SplashDialog splash(store, boxes);
  static mdlAllgemein module(AddinServices{store, boxes, clipboard, splash});
  return module;
}

}  // namespace vx::com
