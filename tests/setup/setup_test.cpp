// The setup package under Wine, as users and administrators install it:
// silent installation, the entries regsvr32 writes, the add-in connected by
// the substitute Outlook from its installed place, a repair by installing the
// same version again, an upgrade to a newer version in place and the refusal
// of an older one, the add-in for every user of the machine, silent removal,
// nothing left that names our identities, the user's settings kept.
//
// The registry checks are those of the libraries' own registration tests,
// run as child processes against the installed files; the add-in runs in a
// child process too (InstalledAddin.*), so that no library of the package is
// loaded here while the package removes it.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/vellox_install.h"
#include "tests/host/host.h"
#include "tests/host/property_dialog.h"

namespace vx::setup {
namespace {

#ifdef _WIN64
constexpr wchar_t kProductName[] = L"Vellox (64 Bit) - Adresse in Zwischenablage kopieren";
#else
constexpr wchar_t kProductName[] = L"Vellox - Adresse in Zwischenablage kopieren";
#endif
constexpr wchar_t kUninstallRoot[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kAddinKey[] = L"Software\\Microsoft\\Office\\Outlook\\Addins\\Vellorian.Connect";

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

// Runs a command line as a person would, answering every message box its
// process shows with OK; returns its exit code, and the boxes' texts in
// *boxes.
DWORD RunAnsweringBoxes(std::wstring command, std::vector<std::wstring>* boxes) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    return 0xDEAD0000u | GetLastError();
  }
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search{pi.dwProcessId, {}};
  std::vector<HWND> answered;
  DWORD code = WAIT_TIMEOUT;
  for (int waited = 0; waited < 180000; waited += 50) {
    if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) {
      GetExitCodeProcess(pi.hProcess, &code);
      break;
    }
    search.found.clear();
    EnumWindows(
        [](HWND h, LPARAM param) CALLBACK -> BOOL {
          auto* in = reinterpret_cast<Search*>(param);
          DWORD pid = 0;
          GetWindowThreadProcessId(h, &pid);
          wchar_t name[16] = L"";
          GetClassNameW(h, name, 16);
          if (pid == in->pid && IsWindowVisible(h) && lstrcmpW(name, L"#32770") == 0) in->found.push_back(h);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    for (HWND box : search.found) {
      if (std::find(answered.begin(), answered.end(), box) != answered.end()) continue;
      wchar_t text[2048] = L"";
      GetDlgItemTextW(box, 0xFFFF, text, 2048);  // a message box's prompt
      boxes->push_back(text);
      answered.push_back(box);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

// msiexec <mode> <package> /qn [more]: a silent installation (/i) or removal (/x).
std::wstring Msiexec(const wchar_t* mode, const char* package = VX_SETUP_PACKAGE, const std::wstring& more = L"") {
  return L"msiexec.exe " + std::wstring(mode) + L" " + Quoted(WindowsPath(package)) + L" /qn" + more;
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

bool KeyExists(HKEY root, const wchar_t* key) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(root, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

// The uninstall entries of this package's product (any version).
std::vector<std::wstring> UninstallEntries() {
  std::vector<std::wstring> keys;
  HKEY root = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallRoot, 0, KEY_READ, &root) != ERROR_SUCCESS) return keys;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(root, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    const std::wstring key = std::wstring(kUninstallRoot) + L"\\" + name;
    bool found = false;
    if (ReadText(HKEY_LOCAL_MACHINE, key.c_str(), L"DisplayName", &found) == kProductName) keys.push_back(key);
  }
  RegCloseKey(root);
  return keys;
}

// One uninstall entry, of the given version, with the German texts.
void ExpectOneUninstallEntry(const wchar_t* version) {
  const std::vector<std::wstring> keys = UninstallEntries();
  ASSERT_EQ(keys.size(), 1u);
  bool found = false;
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, keys[0].c_str(), L"DisplayVersion", &found), version);
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, keys[0].c_str(), L"Publisher", &found), L"Vellox");
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, keys[0].c_str(), L"Comments", &found),
            L"kopiert die ausgewählte Adresse in die Zwischenablage");
}

// Each library of the package in the program folder and registered there.
void ExpectInstalledAndRegistered() {
  for (const Library& library : Libraries()) {
    EXPECT_TRUE(Exists(InstallDir() + L"\\" + library.file)) << std::string(library.checker);
    EXPECT_EQ(Check(library, L"Registered"), 0u) << std::string(library.checker);
  }
}

// Nothing of the package left: no file, no entry naming our identities (the
// add-in entries of the user and of the machine included), no uninstall entry.
void ExpectRemoved() {
  for (const Library& library : Libraries()) {
    EXPECT_FALSE(Exists(InstallDir() + L"\\" + library.file)) << std::string(library.checker);
    EXPECT_EQ(Check(library, L"Unregistered", library.scan), 0u) << std::string(library.checker);
  }
  EXPECT_FALSE(Exists(InstallDir()));
  EXPECT_TRUE(UninstallEntries().empty());
}

// The substitute Outlook, in a child process, connects the installed add-in
// and a click copies (InstalledAddin.*; --first-start: a user whose settings
// the add-in has never written; --machine-addins-hidden: an Outlook whose
// COMAddIns does not list add-ins entered for the machine).
DWORD UseInOutlook(bool firstStart = false, bool machineAddInsHidden = false) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return RunProcess(Quoted(self) + L" --installed-addin" + (firstStart ? L" --first-start" : L"") +
                    (machineAddInsHidden ? L" --machine-addins-hidden" : L""));
}

// Removes whatever an interrupted run left installed.
void RemoveLeftovers() {
  for (const char* package : {VX_NEWER_PACKAGE, VX_SETUP_PACKAGE}) {
    if (Exists(InstallDir() + L"\\Vellox.DLL")) RunProcess(Msiexec(L"/x", package));
  }
  ASSERT_FALSE(Exists(InstallDir() + L"\\Vellox.DLL"));
}

const std::vector<std::wstring> kUserTemplate = {L"Firma <CompanyName>", L"<FullName>",
                                                 L"<MailingAddressCity>"};

// A returning user: settings from an earlier installation.
void WriteUserSettings() {
  e2e::DeleteSettings();
  e2e::WriteSetting(L"Startup", L"FirstRun", L"0");
  e2e::WriteSetting(L"Startup", L"ShowSplash", L"0");
  e2e::WriteTemplate(kUserTemplate);
}

void ExpectUserSettings() {
  EXPECT_EQ(e2e::ReadSetting(L"Startup", L"FirstRun"), L"0");
  EXPECT_EQ(e2e::ReadSetting(L"Startup", L"ShowSplash"), L"0");
  for (size_t i = 0; i < kUserTemplate.size(); ++i) {
    EXPECT_EQ(e2e::ReadSetting(L"AdressFormat", L"Line" + std::to_wstring(i + 1)), kUserTemplate[i]);
  }
}

TEST(SetupPackage, InstallRepairRemoveKeepsTheUserSettings) {
  RemoveLeftovers();
  WriteUserSettings();

  ASSERT_EQ(RunProcess(Msiexec(L"/i")), 0u);
  {
    SCOPED_TRACE("installed");
    ExpectInstalledAndRegistered();
    ExpectOneUninstallEntry(VX_VERSION);
    // For the installing user, as regsvr32 registers it.
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kAddinKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAddinKey));
    EXPECT_EQ(UseInOutlook(), 0u);
  }

  // Installing the same version again repairs a lost library, class and
  // add-in entry.
  ASSERT_TRUE(DeleteFileW((InstallDir() + L"\\Vellox.DLL").c_str()));
  SHDeleteKeyW(HKEY_CLASSES_ROOT, e2e::kProgId);
  SHDeleteKeyW(HKEY_CURRENT_USER, kAddinKey);
  ASSERT_EQ(RunProcess(Msiexec(L"/i")), 0u);
  {
    SCOPED_TRACE("repaired");
    ExpectInstalledAndRegistered();
    ExpectOneUninstallEntry(VX_VERSION);
    EXPECT_EQ(UseInOutlook(), 0u);
  }

  ASSERT_EQ(RunProcess(Msiexec(L"/x")), 0u);
  {
    SCOPED_TRACE("removed");
    ExpectRemoved();
    ExpectUserSettings();  // the user's data stays
  }
  e2e::DeleteSettings();
}

// This version, then a newer one over it, then this one again over the newer.
TEST(SetupPackage, NewerVersionReplacesInPlaceOlderIsRefused) {
  RemoveLeftovers();
  WriteUserSettings();

  ASSERT_EQ(RunProcess(Msiexec(L"/i")), 0u);
  EXPECT_EQ(UseInOutlook(), 0u);

  ASSERT_EQ(RunProcess(Msiexec(L"/i", VX_NEWER_PACKAGE)), 0u);
  {
    SCOPED_TRACE("upgraded");
    ExpectOneUninstallEntry(VX_NEWER_VERSION);
    ExpectInstalledAndRegistered();
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kAddinKey));
    ExpectUserSettings();
    EXPECT_EQ(UseInOutlook(), 0u);
  }

  // The older package, run as a person runs it (basic user interface), says
  // why it stops, and changes nothing.
  std::vector<std::wstring> boxes;
  EXPECT_EQ(RunAnsweringBoxes(L"msiexec.exe /i " + Quoted(WindowsPath(VX_SETUP_PACKAGE)) + L" /qb", &boxes),
            1603u);  // ERROR_INSTALL_FAILURE
  EXPECT_EQ(boxes, std::vector<std::wstring>{L"Auf diesem Computer ist bereits eine neuere Version von Vellox "
                                             L"installiert. Diese ältere Version wird nicht installiert; es wurde "
                                             L"nichts geändert."});
  {
    SCOPED_TRACE("downgrade refused");
    ExpectOneUninstallEntry(VX_NEWER_VERSION);
    ExpectInstalledAndRegistered();
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kAddinKey));
    EXPECT_EQ(UseInOutlook(), 0u);
  }

  ASSERT_EQ(RunProcess(Msiexec(L"/x", VX_NEWER_PACKAGE)), 0u);
  {
    SCOPED_TRACE("removed");
    ExpectRemoved();
    ExpectUserSettings();
  }
  e2e::DeleteSettings();
}

// An administrator installs for every user of the machine; a user who never
// registered the add-in (no add-in entry of his own, no settings) gets it at
// his next Outlook start. An upgrade keeps it for every user.
TEST(SetupPackage, ForEveryUserOfTheMachine) {
  RemoveLeftovers();
  e2e::DeleteSettings();

  ASSERT_EQ(RunProcess(Msiexec(L"/i", VX_SETUP_PACKAGE, L" ADDINALLUSERS=1")), 0u);
  ExpectInstalledAndRegistered();
  ExpectOneUninstallEntry(VX_VERSION);
  bool found = false;
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kAddinKey, L"FriendlyName", &found), L"Adresse in Zwischenablage kopieren");
  DWORD loadBehavior = 0, size = sizeof(loadBehavior);
  EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, kAddinKey, L"LoadBehavior", RRF_RT_REG_DWORD, nullptr, &loadBehavior,
                         &size),
            ERROR_SUCCESS);
  EXPECT_EQ(loadBehavior, 3u);

  // No personal entry for the installing user (nor for the account the
  // registration ran in), so what another user sees is the machine's entry
  // alone; Outlook may not list it in COMAddIns.
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAddinKey));
  SHDeleteKeyW(HKEY_CURRENT_USER, kAddinKey);
  EXPECT_EQ(UseInOutlook(true, true), 0u);

  // The newer version, installed the default way, keeps the machine's entry.
  WriteUserSettings();
  ASSERT_EQ(RunProcess(Msiexec(L"/i", VX_NEWER_PACKAGE)), 0u);
  ExpectOneUninstallEntry(VX_NEWER_VERSION);
  ExpectInstalledAndRegistered();
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kAddinKey));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAddinKey));
  SHDeleteKeyW(HKEY_CURRENT_USER, kAddinKey);
  EXPECT_EQ(UseInOutlook(false, true), 0u);

  ASSERT_EQ(RunProcess(Msiexec(L"/x", VX_NEWER_PACKAGE)), 0u);
  ExpectRemoved();
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAddinKey));
  ExpectUserSettings();
  e2e::DeleteSettings();
}

// Run by the tests above, in its own process, while the package is installed:
// for a returning user (kUserTemplate) or, with --first-start, for a user
// without settings, whose first-run defaults the add-in writes.
bool g_firstStart = false;
bool g_machineAddInsHidden = false;

TEST(InstalledAddin, ConnectsFromTheProgramFolderAndCopies) {
  host::Host host;
  host::Host::ClearClipboard();
  host::ContactObj* anna = host.AddContact(host.Contacts(), {.FullName = L"Anna Müller",
                                                             .CompanyName = L"Müller & Söhne GmbH",
                                                             .MailingAddressCity = L"München"});
  host::ExplorerObj* explorer = host.OpenExplorer(host.Contacts());
  host.HideMachineAddIns(g_machineAddInsHidden);
  host.Startup();
  const host::AddIn* vellox = nullptr;
  for (const host::AddIn& a : host.AddIns()) {
    if (a.progId == e2e::kProgId) vellox = &a;
  }
  ASSERT_NE(vellox, nullptr) << "no Outlook add-in entry Vellorian.Connect";
  EXPECT_EQ(vellox->loadBehavior, 3u);
  ASSERT_EQ(vellox->connected, S_OK);
  EXPECT_NE(vellox->entry->object, nullptr) << "published";
  // The library loaded is the installed one.
  HMODULE module = GetModuleHandleW(L"Vellox.DLL");
  ASSERT_NE(module, nullptr);
  wchar_t loaded[MAX_PATH] = L"";
  GetModuleFileNameW(module, loaded, MAX_PATH);
  EXPECT_EQ(lstrcmpiW(loaded, (InstallDir() + L"\\Vellox.DLL").c_str()), 0)
      << std::string(loaded, loaded + wcslen(loaded));

  if (g_firstStart) {
    std::vector<host::Box> boxes = host.TakeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].splash);
    EXPECT_EQ(e2e::ReadSetting(L"Startup", L"FirstRun"), L"0");
    EXPECT_EQ(e2e::ReadSetting(L"AdressFormat", L"Line1"), L"<FullName>");
  }

  host.Select(explorer, {anna->AsDispatch()});
  ASSERT_TRUE(host.Click(explorer->bars, e2e::kCaption));
  EXPECT_EQ(host::Host::ClipboardUnicode(), g_firstStart ? L"Anna Müller\r\nMüller & Söhne GmbH\r\nMünchen"
                                                         : L"Firma Müller & Söhne GmbH\r\nAnna Müller\r\nMünchen");
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
    e2e::WriteTemplate(g_firstStart ? std::vector<std::wstring>{L"<FullName>", L"<CompanyName>", L"<MailingAddress>"}
                                    : kUserTemplate);  // as it was
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
  for (int i = 1; i < argc; ++i) {
    child = child || std::string(argv[i]) == "--installed-addin";
    vx::setup::g_firstStart = vx::setup::g_firstStart || std::string(argv[i]) == "--first-start";
    vx::setup::g_machineAddInsHidden =
        vx::setup::g_machineAddInsHidden || std::string(argv[i]) == "--machine-addins-hidden";
  }
  GTEST_FLAG_SET(filter, child ? "InstalledAddin.*" : "SetupPackage.*");
  return RUN_ALL_TESTS();
}
