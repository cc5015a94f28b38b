// The 64-bit setup package under wine64, as a user installs and removes it:
// silent installation, the entries regsvr32 writes, the add-in connected by
// the substitute Outlook from its installed place, silent removal, nothing
// left that names our identities, the user's settings kept.
//
// The registry checks are those of the libraries' own registration tests,
// run as child processes against the installed files; the add-in runs in a
// child process too (InstalledAddin.*), so that no library of the package is
// loaded here while the package removes it.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/vellox_install.h"
#include "tests/host/host.h"
#include "tests/host/property_dialog.h"

namespace vx::setup {
namespace {

// The uninstall entry of the 64-bit package (its ProductCode).
constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{6CA65BC4-56DF-4523-BE68-6AF9B63EF2D4}";

std::wstring WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return std::wstring(path.begin(), path.end());
}

std::wstring InstallDir() {
  wchar_t programFiles[MAX_PATH] = L"";
  SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programFiles);
  return std::wstring(programFiles) + L"\\Vellox";
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs a command line with this program's standard handles and returns its
// exit code (or a failure code of its own when it could not run or finish).
DWORD RunProcess(std::wstring command) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    return 0xDEAD0000u | GetLastError();
  }
  DWORD code = WAIT_TIMEOUT;
  if (WaitForSingleObject(pi.hProcess, 180000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

std::wstring Msiexec(const wchar_t* mode) {
  return L"msiexec.exe " + std::wstring(mode) + L" " + Quoted(WindowsPath(VX_SETUP_PACKAGE)) + L" /qn";
}

// The registration checks of each library of the package, run against its
// installed file: <checker> --<option>=<installed file> --gtest_filter=<suite>.*
struct Library {
  const wchar_t* file;
  const char* checker;  // the test program of that library
  const wchar_t* option;
  std::wstring scan;  // more options for its Unregistered.* run
};
std::wstring MoreIdentities();
std::vector<Library> Libraries() {
  std::vector<Library> libraries = {{L"Vellox.DLL", VX_COMDLL_TESTS, L"--dll", MoreIdentities()}};
#ifdef VX_OCX_TESTS
  libraries.push_back({L"Vellox.ocx", VX_OCX_TESTS, L"--ocx", L""});
#endif
  return libraries;
}

DWORD Check(const Library& library, const wchar_t* suite, const std::wstring& more = L"") {
  return RunProcess(Quoted(WindowsPath(library.checker)) + L" " + library.option + L"=" +
                    Quoted(InstallDir() + L"\\" + library.file) + L" --gtest_filter=" + suite + L".*" + more);
}

// The add-in's registry scan (Unregistered.*, the whole of HKLM\Software
// and HKCU\Software) also looks for the control library's identities when the
// package holds it.
std::wstring MoreIdentities() {
  std::wstring more;
#ifdef VX_OCX_TESTS
  for (const wchar_t* name : {L"87B630C7-02C3-4ABE-9CAF-FA931F12765B", L"A827D05F-C205-4450-A63D-BEBB40AC241B",
                              L"CFA76581-054C-4F50-B556-B01542F167D8", L"4BA24B0D-34B7-4C33-A543-F78D313F96FF",
                              L"Vellox.ctlVellox"}) {
    more += std::wstring(L" --trace=") + name;
  }
#endif
  return more;
}

std::wstring ReadText(HKEY root, const wchar_t* key, const wchar_t* name, bool* found) {
  wchar_t buffer[512] = L"";
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  *found = RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, buffer, &size) == ERROR_SUCCESS;
  return buffer;
}

const std::vector<std::wstring> kUserTemplate = {L"Firma <CompanyName>", L"<FullName>",
                                                 L"<MailingAddressCity>"};

TEST(SetupPackage, InstallConnectRemoveKeepsTheUserSettings) {
  const std::wstring dir = InstallDir();
  // Left installed by an interrupted run: removed first.
  if (Exists(dir + L"\\Vellox.DLL")) RunProcess(Msiexec(L"/x"));
  ASSERT_FALSE(Exists(dir + L"\\Vellox.DLL"));
  // A returning user: settings from an earlier installation.
  e2e::DeleteSettings();
  e2e::WriteSetting(L"Startup", L"FirstRun", L"0");
  e2e::WriteSetting(L"Startup", L"ShowSplash", L"0");
  e2e::WriteTemplate(kUserTemplate);

  ASSERT_EQ(RunProcess(Msiexec(L"/i")), 0u);
  bool found = false;
  {
    SCOPED_TRACE("installed");
    for (const Library& library : Libraries()) {
      EXPECT_TRUE(Exists(dir + L"\\" + library.file)) << std::string(library.checker);
      EXPECT_EQ(Check(library, L"Registered"), 0u) << std::string(library.checker);
    }
    // The uninstall entry, in German.
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", &found),
              L"Vellox (64 Bit) - Adresse in Zwischenablage kopieren");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"Publisher", &found), L"Vellox");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"Comments", &found),
              L"kopiert die ausgewählte Adresse in die Zwischenablage");
    // The substitute Outlook connects the installed add-in.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(RunProcess(Quoted(self) + L" --installed-addin"), 0u);
  }

  ASSERT_EQ(RunProcess(Msiexec(L"/x")), 0u);
  {
    SCOPED_TRACE("removed");
    for (const Library& library : Libraries()) {
      EXPECT_FALSE(Exists(dir + L"\\" + library.file)) << std::string(library.checker);
      EXPECT_EQ(Check(library, L"Unregistered", library.scan), 0u) << std::string(library.checker);
    }
    EXPECT_FALSE(Exists(dir));
    ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", &found);
    EXPECT_FALSE(found);
    // The user's data stays.
    EXPECT_EQ(e2e::ReadSetting(L"Startup", L"FirstRun"), L"0");
    EXPECT_EQ(e2e::ReadSetting(L"Startup", L"ShowSplash"), L"0");
    for (size_t i = 0; i < kUserTemplate.size(); ++i) {
      EXPECT_EQ(e2e::ReadSetting(L"AdressFormat", L"Line" + std::to_wstring(i + 1)), kUserTemplate[i]);
    }
  }
  e2e::DeleteSettings();
}

// Run by the test above, in its own process, while the package is installed.
TEST(InstalledAddin, ConnectsFromTheProgramFolderAndCopies) {
  host::Host host;
  host::Host::ClearClipboard();
  host::ContactObj* anna = host.AddContact(host.Contacts(), {.FullName = L"Anna Müller",
                                                             .CompanyName = L"Müller & Söhne GmbH",
                                                             .MailingAddressCity = L"München"});
  host::ExplorerObj* explorer = host.OpenExplorer(host.Contacts());
  host.Startup();
  const host::AddIn* vellox = nullptr;
  for (const host::AddIn& a : host.AddIns()) {
    if (a.progId == e2e::kProgId) vellox = &a;
  }
  ASSERT_NE(vellox, nullptr) << "no Outlook add-in entry Vellorian.Connect";
  EXPECT_EQ(vellox->loadBehavior, 3u);
  ASSERT_EQ(vellox->connected, S_OK);
  // The library loaded is the installed one.
  HMODULE module = GetModuleHandleW(L"Vellox.DLL");
  ASSERT_NE(module, nullptr);
  wchar_t loaded[MAX_PATH] = L"";
  GetModuleFileNameW(module, loaded, MAX_PATH);
  EXPECT_EQ(lstrcmpiW(loaded, (InstallDir() + L"\\Vellox.DLL").c_str()), 0)
      << std::string(loaded, loaded + wcslen(loaded));

  host.Select(explorer, {anna->AsDispatch()});
  ASSERT_TRUE(host.Click(explorer->bars, e2e::kCaption));
  EXPECT_EQ(host::Host::ClipboardUnicode(), L"Firma Müller & Söhne GmbH\r\nAnna Müller\r\nMünchen");
  EXPECT_TRUE(host.TakeBoxes().empty());
#ifdef VX_OCX_TESTS
  {
    // The options page the add-in announces, created from the installed
    // control library; Apply reaches the running add-in (no report).
    host::PagesObj* pages = host.OpenFolderProperties(host.Contacts());
    ASSERT_EQ(pages->pages.size(), 1u);
    host::PageSite site;
    host::PageDialog dialog(site);
    ASSERT_HRESULT_SUCCEEDED(dialog.OpenProgId(pages->pages[0].progId.c_str(), pages->pages[0].title.c_str()));
    HMODULE ocx = GetModuleHandleW(L"Vellox.ocx");
    ASSERT_NE(ocx, nullptr);
    GetModuleFileNameW(ocx, loaded, MAX_PATH);
    EXPECT_EQ(lstrcmpiW(loaded, (InstallDir() + L"\\Vellox.ocx").c_str()), 0)
        << std::string(loaded, loaded + wcslen(loaded));
    constexpr int kBtnInsert = 107;
    SendMessageW(GetDlgItem(dialog.pageWindow(), kBtnInsert), BM_CLICK, 0, 0);
    dialog.Press(host::kIdApply);
    EXPECT_EQ(dialog.applies(), 1);
    EXPECT_TRUE(host.TakeBoxes().empty());
    EXPECT_EQ(e2e::ReadSetting(L"AdressFormat", L"Line4"), L"");
    dialog.Close();
  }
#endif
  host.Shutdown();
  // The control library keeps Outlook's application object until it is
  // unloaded.
  CoFreeUnusedLibrariesEx(0, 0);
  CoFreeUnusedLibrariesEx(0, 0);
  EXPECT_EQ(host.ExternalRefs(), 0) << host.Holders();
  EXPECT_EQ(host.Subscriptions(), 0) << host.Holders();
}

}  // namespace
}  // namespace vx::setup

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  bool child = false;
  for (int i = 1; i < argc; ++i) child = child || std::string(argv[i]) == "--installed-addin";
  GTEST_FLAG_SET(filter, child ? "InstalledAddin.*" : "SetupPackage.*");
  return RUN_ALL_TESTS();
}
