// The demo: Vellox.DLL (registered with regsvr32 beforehand, see
// tools/demo.sh) is loaded by the substitute Outlook at its start; a few
// German sample contacts are in the Contacts folder, two of them are
// selected, "&Zwischenablage" is clicked, and the demo prints what the
// clipboard then holds. Prints UTF-8.
//
//   vellox_demo                 Outlook 2000: the toolbar button
//   vellox_demo --outlook 16    that Outlook version (9 to 16): from 14 on the
//                               ribbon button of the Contacts module, clicked
//                               with its Context (the folder window); the
//                               splash, if due, after the start
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/host/host.h"

namespace {

using vx::host::Host;

std::string Utf8(const std::wstring& text) {
  std::string out;
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  out.resize(static_cast<size_t>(n));
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

// The clipboard's CF_TEXT bytes, read in the ANSI code page they were written in.
std::wstring FromAnsi(const std::string& bytes) {
  std::wstring out(bytes.size(), L'\0');
  int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(),
                              static_cast<int>(out.size()));
  out.resize(static_cast<size_t>(n > 0 ? n : 0));
  return out;
}

void Print(const std::wstring& text) {
  std::wstring plain;
  for (wchar_t c : text) {
    if (c != L'\r') plain += c;
  }
  std::string out = Utf8(plain + L"\n");
  std::fwrite(out.data(), 1, out.size(), stdout);
}

// The Version an Outlook of that major number reports.
std::wstring VersionOf(int major) {
  switch (major) {
    case 9: return L"9.0.0.2711";
    case 10: return L"10.0.0.2627";
    case 11: return L"11.0.0.5510";
    case 12: return L"12.0.0.4518";
    case 14: return L"14.0.0.4760";
    case 15: return L"15.0.0.4420";
    case 16: return L"16.0.0.4266";
    default: return L"";
  }
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // the UTF-8 bytes as they are
  int major = 0;
  if (argc == 3 && std::string(argv[1]) == "--outlook") major = std::atoi(argv[2]);
  if (argc != 1 && VersionOf(major).empty()) {
    std::fprintf(stderr, "usage: vellox_demo [--outlook 9|10|11|12|14|15|16]\n");
    return 2;
  }
  Host host;
  if (major) host.SetVersion(VersionOf(major));
  auto* weiss = host.AddContact(host.Contacts(), {.FullName = L"Dr. Jürgen Weiß",
                                                  .CompanyName = L"Müller & Söhne GmbH",
                                                  .MailingAddressCity = L"Düsseldorf",
                                                  .MailingAddressStreet = L"Königsallee 12",
                                                  .MailingAddressPostalCode = L"40212"});
  host.AddContact(host.Contacts(), {.FullName = L"Günther Groß",
                                    .MailingAddressCity = L"München",
                                    .MailingAddressStreet = L"Straßburger Straße 7",
                                    .MailingAddressPostalCode = L"80331"});
  auto* baecker = host.AddContact(host.Contacts(), {.FullName = L"Renée Bäcker",
                                                    .CompanyName = L"Bäckerei Süß KG",
                                                    .MailingAddressCity = L"Dresden",
                                                    .MailingAddressStreet = L"Am Übergang 3",
                                                    .MailingAddressPostalCode = L"01067",
                                                    .MailingAddressCountry = L"Deutschland"});
  auto* explorer = host.OpenExplorer(host.Contacts());
  Host::ClearClipboard();

  Print(L"Vellox \u2013 Adresse in die Zwischenablage kopieren (Demo im Ersatz-Outlook)");
  if (major) Print(L"Ersatz-Outlook meldet Version " + VersionOf(major));
  Print(L"");
  host.Startup();
  bool loaded = false;
  double startupCompletedAt = 0;
  for (const auto& addin : host.AddIns()) {
    if (addin.progId != L"Vellorian.Connect") continue;
    loaded = addin.connected == S_OK;
    Print(L"Add-in " + addin.progId + (loaded ? L" verbunden" : L" nicht geladen"));
    if (loaded && major) {
      wchar_t times[160];
      swprintf(times, 160, L"OnConnection %.1f ms, OnStartupComplete %.1f ms", addin.connectMs,
               addin.startupCompleteMs);
      Print(times);
    }
    startupCompletedAt = addin.startupCompletedAt;
  }
  if (!loaded) {
    Print(L"Vellorian.Connect ist nicht als Outlook-Add-in registriert (regsvr32 Vellox.DLL).");
    return 1;
  }
  for (const auto& box : host.TakeBoxes()) {
    if (box.splash && major) {
      Print(std::wstring(L"Startfenster ") +
            (box.seenAt > startupCompletedAt ? L"nach dem Start" : L"während der Verbindung") +
            L" angezeigt, über dem Outlook-Fenster" +
            (box.owner == explorer->window && !box.ownerEnabled ? L" (das solange gesperrt war)" : L"") +
            L", und mit \u201EOK\u201C geschlossen");
      continue;
    }
    Print(box.splash ? L"Startfenster angezeigt und mit \u201EOK\u201C geschlossen"
                     : L"Meldung \u201E" + box.title + L"\u201C: " + box.prompt);
  }
  const bool ribbon = host.Major() >= 14;
  if (ribbon) {
    const auto* control = host.RibbonControl(explorer, L"VelloxCopyExplorer");
    Print(std::wstring(L"Menüband, Registerkarte \u201EStart\u201C des Moduls \u201EKontakte\u201C, "
                       L"Gruppe \u201EVellox\u201C: Schaltfläche \u201EZwischenablage\u201C ") +
          (control ? L"sichtbar" : L"fehlt"));
  } else {
    auto* button = Host::FindButton(explorer->bars, L"&Zwischenablage");
    Print(std::wstring(L"Schaltfläche \u201E&Zwischenablage\u201C in der Symbolleiste \u201EStandard\u201C: ") +
          (button && button->visible ? L"sichtbar" : L"fehlt"));
  }

  host.Select(explorer, {weiss->AsDispatch(), baecker->AsDispatch()});
  Print(L"Ausgewählt im Ordner \u201EKontakte\u201C: " + weiss->fields.FullName + L", " +
        baecker->fields.FullName);
  if (ribbon) {
    host.RibbonClick(explorer, L"VelloxCopyExplorer");
  } else {
    host.Click(explorer->bars, L"&Zwischenablage");
  }
  for (const auto& box : host.TakeBoxes()) {
    Print(L"Meldung \u201E" + box.title + L"\u201C: " + box.prompt);
  }
  std::string bytes = Host::ClipboardText();
  Print(L"");
  Print(L"Zwischenablage (CF_TEXT, " + std::to_wstring(bytes.size()) +
        L" Bytes, Codepage 1252, Zeilenumbruch CR LF):");
  Print(L"----------------------------------------");
  Print(FromAnsi(bytes));
  Print(L"----------------------------------------");
  host.Shutdown();
  std::fflush(stdout);
  return bytes.empty() ? 1 : 0;
}
