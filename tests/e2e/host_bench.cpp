// Timings of Vellox.DLL in the substitute Outlook (a measuring program, not
// a test): connection time without the splash as Outlook 2000 and as Outlook
// 2016 (with the GetCustomUI calls that version makes), OnConnection and
// OnStartupComplete as Outlook 2016 with the splash due and as Outlook 2000
// without it, and a click on the
// explorer's toolbar button (2000) or ribbon button (2016) with 1,000 and
// 10,000 selected contacts, split into the host's share (answering IDispatch
// calls) and the rest (the add-in's own work, including the clipboard);
// then a click with a ten-field template and its late-bound calls per contact.
// Registers the add-in for its run and removes it after.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "tests/e2e/vellox_install.h"
#include "tests/host/host.h"

namespace {

using vx::host::Host;

constexpr wchar_t kOutlook2000[] = L"9.0.0.2711";
constexpr wchar_t kOutlook2016[] = L"16.0.0.4266";

double Ms(long long ticks) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(ticks) * 1000.0 / static_cast<double>(f.QuadPart);
}

long long Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void Returning() {
  vx::e2e::DeleteSettings();
  vx::e2e::WriteSetting(L"Startup", L"FirstRun", L"0");
  vx::e2e::WriteSetting(L"Startup", L"ShowSplash", L"0");
  vx::e2e::WriteTemplate({L"<FullName>", L"<CompanyName>", L"<MailingAddressStreet>",
                          L"<MailingAddressPostalCode> <MailingAddressCity>",
                          L"<MailingAddressCountry>"});
}

void Connection(const wchar_t* version) {
  std::vector<double> times, explorerUi, contactUi;
  for (int run = 0; run < 21; ++run) {
    Host host;
    host.SetVersion(version);
    host.OpenExplorer(host.Contacts());
    auto* contact = host.AddContact(host.Contacts(), {.FullName = L"Anna"});
    host.Startup();
    host.OpenInspector(contact->AsDispatch());
    for (const auto& a : host.AddIns()) {
      if (a.progId != vx::e2e::kProgId) continue;
      times.push_back(a.connectMs);
      if (const auto* d = a.Ribbon(L"Microsoft.Outlook.Explorer")) explorerUi.push_back(d->ms);
      if (const auto* d = a.Ribbon(L"Microsoft.Outlook.Contact")) contactUi.push_back(d->ms);
    }
    host.Shutdown();
  }
  if (times.empty()) {
    std::printf("Vellorian.Connect was not loaded\n");
    return;
  }
  std::sort(times.begin(), times.end());
  std::printf("connection as %ls (OnConnection, no splash), %zu runs: median %.2f ms, min %.2f, "
              "max %.2f\n",
              version, times.size(), Median(times), times.front(), times.back());
  if (!explorerUi.empty()) {
    std::printf("  GetCustomUI(Microsoft.Outlook.Explorer) at the start: median %.3f ms; "
                "OnConnection + it: median %.2f ms\n",
                Median(explorerUi), Median(times) + Median(explorerUi));
  }
  if (!contactUi.empty()) {
    std::printf("  GetCustomUI(Microsoft.Outlook.Contact) at the first contact window: median %.3f ms\n",
                Median(contactUi));
  }
}

// The two notifications Outlook 2013 and later time or may time, with the
// splash due ("ShowSplash" 1) or not: OnConnection and OnStartupComplete as
// that Outlook calls them, the splash (closed by the watcher at once) shown
// after them where that version defers it.
void Start(const wchar_t* version, bool splash) {
  std::vector<double> connect, complete;
  for (int run = 0; run < 21; ++run) {
    Returning();
    if (splash) vx::e2e::WriteSetting(L"Startup", L"ShowSplash", L"1");
    Host host;
    host.SetVersion(version);
    host.OpenExplorer(host.Contacts());
    host.Startup();
    for (const auto& a : host.AddIns()) {
      if (a.progId != vx::e2e::kProgId) continue;
      connect.push_back(a.connectMs);
      complete.push_back(a.startupCompleteMs);
    }
    size_t boxes = host.TakeBoxes().size();
    if (boxes != (splash ? 1u : 0u)) std::printf("  run %d: %zu boxes shown\n", run, boxes);
    host.Shutdown();
  }
  if (connect.empty()) return;
  std::printf("start as %ls, %s, %zu runs: OnConnection median %.2f ms (max %.2f), "
              "OnStartupComplete median %.3f ms (max %.3f)\n",
              version, splash ? "splash due" : "no splash", connect.size(), Median(connect),
              *std::max_element(connect.begin(), connect.end()), Median(complete),
              *std::max_element(complete.begin(), complete.end()));
}

// ribbon: as Outlook 2016, through the ribbon button; else as Outlook 2000
// through the toolbar button.
void Click(int contacts, int runs, bool ribbon) {
  Host host;
  host.SetVersion(ribbon ? kOutlook2016 : kOutlook2000);
  std::vector<IDispatch*> selection;
  for (int i = 0; i < contacts; ++i) {
    std::wstring n = std::to_wstring(i);
    auto* c = host.AddContact(host.Contacts(),
                              {.FullName = L"Jürgen Weiß " + n,
                               .CompanyName = L"Müller & Söhne GmbH",
                               .MailingAddressCity = L"München",
                               .MailingAddressStreet = L"Hauptstraße " + n,
                               .MailingAddressPostalCode = L"80331",
                               .MailingAddressCountry = L"Deutschland"});
    selection.push_back(c->AsDispatch());
  }
  auto* explorer = host.OpenExplorer(host.Contacts());
  host.Startup();
  host.Select(explorer, selection);
  std::vector<double> total, hostShare;
  long calls = 0;
  size_t bytes = 0;
  for (int run = 0; run < runs; ++run) {
    Host::ClearClipboard();
    long long ticks0 = host.tracker().dispatchTicks;
    long calls0 = host.tracker().dispatchCalls;
    long long start = Now();
    bool clicked = ribbon ? host.RibbonClick(explorer, L"VelloxCopyExplorer") == S_OK
                          : host.Click(explorer->bars, vx::e2e::kCaption);
    long long end = Now();
    if (!clicked) {
      std::printf("the %s button was not there\n", ribbon ? "ribbon" : "toolbar");
      return;
    }
    total.push_back(Ms(end - start));
    hostShare.push_back(Ms(host.tracker().dispatchTicks - ticks0));
    calls = host.tracker().dispatchCalls - calls0;
    bytes = Host::ClipboardText().size();
  }
  double t = Median(total), h = Median(hostShare);
  std::printf("%s click, %5d contacts, %d runs: median %8.1f ms = %6.1f us/contact; host IDispatch "
              "share %7.1f ms (%4.1f%%, %ld calls); add-in's own %7.1f ms = %5.1f us/contact; "
              "%zu bytes copied\n",
              ribbon ? "ribbon " : "toolbar", contacts, runs, t, t * 1000.0 / contacts, h, 100.0 * h / t, calls, t - h,
              (t - h) * 1000.0 / contacts, bytes);
  host.Shutdown();
}

// A click with a template of ten fields (names, job, business address,
// e-mail, a date and the letter's greeting) as Outlook 2016, through
// the ribbon button: the time per contact and the late-bound calls per
// contact the host answered.
void ClickTenFields(int contacts, int runs) {
  vx::e2e::WriteTemplate({L"<Title> <FirstName> <LastName>", L"<JobTitle>",
                          L"<BusinessAddressStreet>",
                          L"<BusinessAddressPostalCode> <BusinessAddressCity>",
                          L"<Email1Address>", L"<Birthday>", L"", L"<Briefanrede>"});
  Host host;
  host.SetVersion(kOutlook2016);
  std::vector<IDispatch*> selection;
  for (int i = 0; i < contacts; ++i) {
    std::wstring n = std::to_wstring(i);
    auto* c = host.AddContact(host.Contacts(),
                              {.more = {{L"Title", L"Dr."},
                                        {L"FirstName", L"Jürgen"},
                                        {L"LastName", L"Weiß " + n},
                                        {L"JobTitle", L"Prokurist"},
                                        {L"BusinessAddressStreet", L"Königsallee " + n},
                                        {L"BusinessAddressPostalCode", L"40212"},
                                        {L"BusinessAddressCity", L"Düsseldorf"},
                                        {L"Email1Address", L"j.weiss@example.de"}},
                               .Birthday = 22347.0,
                               .Gender = 2});
    selection.push_back(c->AsDispatch());
  }
  auto* explorer = host.OpenExplorer(host.Contacts());
  host.Startup();
  host.Select(explorer, selection);
  std::vector<double> total, hostShare;
  long calls = 0;
  for (int run = 0; run < runs; ++run) {
    long long ticks0 = host.tracker().dispatchTicks;
    long calls0 = host.tracker().dispatchCalls;
    long long start = Now();
    if (host.RibbonClick(explorer, L"VelloxCopyExplorer") != S_OK) {
      std::printf("the ribbon button was not there\n");
      return;
    }
    total.push_back(Ms(Now() - start));
    hostShare.push_back(Ms(host.tracker().dispatchTicks - ticks0));
    calls = host.tracker().dispatchCalls - calls0;
  }
  double t = Median(total), h = Median(hostShare);
  std::printf("ribbon  click, %5d contacts, ten-field template, %d runs: median %8.1f ms = %6.1f "
              "us/contact; %.1f late-bound calls per contact; add-in's own %5.1f us/contact\n",
              contacts, runs, t, t * 1000.0 / contacts, static_cast<double>(calls) / contacts,
              (t - h) * 1000.0 / contacts);
  host.Shutdown();
  Returning();
}

}  // namespace

int main() {
  if (vx::e2e::Regsvr32(false) != 0) {
    std::printf("regsvr32 failed\n");
    return 1;
  }
  Returning();
  Connection(kOutlook2000);
  Connection(kOutlook2016);
  Start(kOutlook2016, true);
  Start(kOutlook2000, false);
  Returning();
  Click(1000, 7, false);
  Click(1000, 7, true);
  Click(10000, 5, false);
  Click(10000, 5, true);
  ClickTenFields(1000, 7);
  vx::e2e::Regsvr32(true);
  vx::e2e::DeleteSettings();
  return 0;
}
