// The Windows-side tests of Vellox.DLL and the COM plumbing, run under
// wine64:  comdll_tests --dll=<path of Vellox.DLL> [--trace=<text>...] [gtest options]
#include <gtest/gtest.h>

#include <string>

#include "comdll_test.h"
#include "platform/win32/com.h"
#include "platform/win32/com_server.h"

namespace vx::test {
std::wstring g_dllPath;
void SetSnapshotPath(const std::wstring& path, bool compare);
void AddTraceNeedle(const std::wstring& text);
}  // namespace vx::test

namespace {
// A Unix path from CTest is reached through drive Z:.
std::wstring WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return std::wstring(path.begin(), path.end());
}
}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.rfind("--dll=", 0) == 0) vx::test::g_dllPath = WindowsPath(arg.substr(6));
    if (arg.rfind("--snapshot=", 0) == 0) vx::test::SetSnapshotPath(WindowsPath(arg.substr(11)), false);
    if (arg.rfind("--compare=", 0) == 0) vx::test::SetSnapshotPath(WindowsPath(arg.substr(10)), true);
    if (arg.rfind("--trace=", 0) == 0) vx::test::AddTraceNeedle(std::wstring(arg.begin() + 8, arg.end()));
  }
  // The test objects answer IDispatch from this program's type library.
  vx::win::module::SetHandle(GetModuleHandleW(nullptr));
  vx::win::ComApartment apartment;
  return RUN_ALL_TESTS();
}
