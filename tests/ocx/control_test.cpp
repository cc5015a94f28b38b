// The control in a properties dialog, in process: creation once per page
// whatever the container's order, the real buttons and the in-place edit
// against the real list controls, Apply into the registry, the about window,
// and every reference given back when the dialog closes.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "ocx_test.h"
#include "platform/contact_fields.h"
#include "tests/host/property_dialog.h"

namespace vx::test {
namespace {

using host::PageDialog;
using host::PageSite;
using host::kIdApply;
using host::kIidPropertyPage;

constexpr int kLstFields = 102, kBtnToConfig = 103, kLvConfig = 105, kBtnDelete = 106,
              kBtnInsert = 107, kBtnAbout = 108;

const std::vector<std::wstring> kThreeLines = {L"<FullName>", L"", L"<MailingAddress>"};

std::wstring LineText(HWND list, int index) {
  wchar_t buffer[512] = {};
  ListView_GetItemText(list, index, 0, buffer, 512);
  return buffer;
}

int Selected(HWND list) { return ListView_GetNextItem(list, -1, LVNI_SELECTED); }

// The number of entries the field list holds once the page is created.
LRESULT FieldEntries() { return static_cast<LRESULT>(fields::ListEntries().size()); }

// The tooltip control of the page window.
HWND PageToolTip(HWND page) {
  struct Search {
    HWND owner, found;
  } search{page, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM p) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t cls[32] = {};
        GetClassNameW(h, cls, 32);
        if (lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0 && GetWindow(h, GW_OWNER) == s->owner) s->found = h;
        return s->found == nullptr;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The tip the page's tooltip holds for one of its controls.
std::wstring ToolTipText(HWND tooltip, HWND page, HWND control) {
  wchar_t buffer[128] = {};
  TOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = page;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = buffer;
  SendMessageW(tooltip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
  return buffer;
}

template <class I>
I* As(IUnknown* object, REFIID iid) {
  I* out = nullptr;
  object->QueryInterface(iid, reinterpret_cast<void**>(&out));
  return out;
}

HWND PageWindowOf(IUnknown* control) {
  HWND hwnd = nullptr;
  if (IOleWindow* window = As<IOleWindow>(control, IID_IOleWindow)) {
    window->GetWindow(&hwnd);
    window->Release();
  }
  return hwnd;
}

class Page : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Factory(), nullptr) << "cannot load the control library";
    StoreTemplate(kThreeLines);
  }
};

TEST_F(Page, CreationRunsOnceWhicheverComesFirstSiteOrInitialisation) {
  enum Order { kSiteThenInitNew, kInitNewThenSite, kSiteOnly, kPropertyBag };
  for (Order order : {kSiteThenInitNew, kInitNewThenSite, kSiteOnly, kPropertyBag}) {
    SCOPED_TRACE(order);
    PageSite site;
    IOleObject* control = nullptr;
    ASSERT_HRESULT_SUCCEEDED(
        Factory()->CreateInstance(nullptr, IID_IOleObject, reinterpret_cast<void**>(&control)));
    auto initNew = [&] {
      if (order == kPropertyBag) {
        IPersistPropertyBag* bag = As<IPersistPropertyBag>(control, IID_IPersistPropertyBag);
        ASSERT_NE(bag, nullptr);
        EXPECT_HRESULT_SUCCEEDED(bag->InitNew());
        bag->Release();
      } else {
        IPersistStreamInit* stream = As<IPersistStreamInit>(control, IID_IPersistStreamInit);
        ASSERT_NE(stream, nullptr);
        EXPECT_HRESULT_SUCCEEDED(stream->InitNew());
        EXPECT_EQ(stream->InitNew(), E_UNEXPECTED) << "a second initialisation is refused";
        stream->Release();
      }
    };
    HWND page = PageWindowOf(control);
    HWND fields = GetDlgItem(page, kLstFields), lines = GetDlgItem(page, kLvConfig);
    if (order == kInitNewThenSite) {
      initNew();
      EXPECT_EQ(SendMessageW(fields, LB_GETCOUNT, 0, 0), 0) << "no creation without the site";
      control->SetClientSite(static_cast<IOleClientSite*>(&site));
    } else {
      control->SetClientSite(static_cast<IOleClientSite*>(&site));
      EXPECT_EQ(SendMessageW(fields, LB_GETCOUNT, 0, 0), 0) << "the container may still initialise";
      if (order != kSiteOnly) initNew();
      PageDialog::Pump();
      EXPECT_EQ(SendMessageW(fields, LB_GETCOUNT, 0, 0), FieldEntries())
          << "created once the messages ran";
    }
    // Activation and the PropertyPage calls create a page nobody initialised,
    // and never create one twice.
    RECT area{0, 0, 381, 358};
    control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(&site), 0,
                    nullptr, &area);
    PropertyPage* pp = As<PropertyPage>(control, kIidPropertyPage);
    ASSERT_NE(pp, nullptr);
    VARIANT_BOOL dirty = VARIANT_TRUE;
    EXPECT_HRESULT_SUCCEEDED(pp->get_Dirty(&dirty));
    EXPECT_EQ(dirty, VARIANT_FALSE);
    EXPECT_EQ(SendMessageW(fields, LB_GETCOUNT, 0, 0), FieldEntries());
    EXPECT_EQ(ListView_GetItemCount(lines), 3);
    EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(lines)), 1) << "one column, added once";
    EXPECT_EQ(Selected(lines), 2) << "the last line loaded is selected";
    pp->Release();
    control->Close(OLECLOSE_NOSAVE);
    control->SetClientSite(nullptr);
    control->Release();
    EXPECT_EQ(site.references(), 0);
  }
}

TEST_F(Page, AContainerThatAsksBeforeSitingGetsAPageThatReportsToTheLaterSite) {
  PageSite site;
  PageDialog dialog(site);
  dialog.AskBeforeSiting();
  std::vector<SeenWindow> seen = WatchWindows(
      [&] { ASSERT_HRESULT_SUCCEEDED(dialog.Open(Factory(), L"Eigenschaften von Kontakte")); });
  EXPECT_TRUE(seen.empty()) << "an Apply before the site writes nothing and tells nobody";
  const PageDialog::EarlyAnswers& early = dialog.early();
  EXPECT_HRESULT_SUCCEEDED(early.pageInfo);
  EXPECT_EQ(early.helpFile, L"Kontakte.hlp");
  EXPECT_EQ(early.helpContext, 42);
  EXPECT_HRESULT_SUCCEEDED(early.dirty);
  EXPECT_EQ(early.isDirty, VARIANT_FALSE);
  EXPECT_HRESULT_SUCCEEDED(early.apply);
  EXPECT_HRESULT_FAILED(early.verb) << "no activation without a site";

  // Created once, with the site.
  HWND page = dialog.pageWindow();
  HWND lines = GetDlgItem(page, kLvConfig);
  EXPECT_EQ(SendDlgItemMessageW(page, kLstFields, LB_GETCOUNT, 0, 0), FieldEntries());
  ASSERT_EQ(ListView_GetItemCount(lines), 3);
  EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(lines)), 1);

  SendMessageW(GetDlgItem(page, kBtnInsert), BM_CLICK, 0, 0);
  EXPECT_EQ(site.statusChanges(), 1);
  EXPECT_TRUE(IsWindowEnabled(dialog.apply()));
  seen = WatchWindows([&] { dialog.Press(kIdApply); });
  EXPECT_EQ(dialog.applies(), 1);
  // Saved, then the add-in cannot be told: Outlook is not running here.
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, L"PropertyPage_Apply");
  std::wstring added;
  EXPECT_TRUE(ReadUserText(kTemplateKey, L"Line4", added)) << "the inserted line was written";
  EXPECT_EQ(added, L"");
}

TEST_F(Page, TheFieldListAndTheLinesAreTheStoredOnesInTheirControls) {
  PageSite site;
  PageDialog dialog(site);
  ASSERT_HRESULT_SUCCEEDED(dialog.Open(Factory(), L"Eigenschaften von Kontakte"));
  HWND page = dialog.pageWindow();
  ASSERT_EQ(GetParent(page), dialog.window()) << "the page is placed into the dialog";
  EXPECT_TRUE(IsWindowVisible(page));
  HWND fields = GetDlgItem(page, kLstFields);
  const wchar_t* expected[] = {L"<FullName>", L"<CompanyName>", L"<MailingAddress>",
                               L"<MailingAddressStreet>",
                               L"<MailingAddressPostalCode> <MailingAddressCity>",
                               L"<MailingAddressCountry>", L"<BusinessFaxNumber>"};
  ASSERT_EQ(static_cast<size_t>(SendMessageW(fields, LB_GETCOUNT, 0, 0)),
            fields::ListEntries().size());
  for (int i = 0; i < 7; ++i) {
    wchar_t text[128] = {};
    SendMessageW(fields, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, expected[i]);
  }
  EXPECT_EQ(GetWindowLongW(fields, GWL_STYLE) & (LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL), 0);
  HWND lines = GetDlgItem(page, kLvConfig);
  const LONG style = GetWindowLongW(lines, GWL_STYLE);
  EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(style & LVS_SINGLESEL);
  EXPECT_TRUE(style & LVS_EDITLABELS);
  EXPECT_FALSE(style & (LVS_SORTASCENDING | LVS_SORTDESCENDING));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(LineText(lines, i), kThreeLines[i]);

  // Layout in twips at the screen's resolution, the tab order as designed.
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  RECT r{};
  GetWindowRect(lines, &r);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, MulDiv(120, dpi, 1440));
  EXPECT_EQ(r.top, MulDiv(2700, dpi, 1440));
  EXPECT_EQ(r.right - r.left, MulDiv(5475, dpi, 1440));
  const int tabOrder[] = {101, kLstFields, kBtnToConfig, 104, kLvConfig, kBtnDelete, kBtnInsert, kBtnAbout};
  HWND child = GetWindow(page, GW_CHILD);
  for (int id : tabOrder) {
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetDlgCtrlID(child), id);
    child = GetWindow(child, GW_HWNDNEXT);
  }
  // The dialog's Tab walks through the page's controls and on to its buttons.
  HWND focusable[] = {GetDlgItem(page, kLstFields), GetDlgItem(page, kBtnToConfig), lines,
                      GetDlgItem(page, kBtnDelete), GetDlgItem(page, kBtnInsert),
                      GetDlgItem(page, kBtnAbout), GetDlgItem(dialog.window(), IDOK)};
  for (int i = 0; i + 1 < 7; ++i) {
    EXPECT_EQ(GetNextDlgTabItem(dialog.window(), focusable[i], FALSE), focusable[i + 1]) << i;
  }
  wchar_t info[16] = {};
  GetWindowTextW(GetDlgItem(page, kBtnAbout), info, 16);
  EXPECT_STREQ(info, L"Info");
  for (int id : {kBtnToConfig, kBtnDelete, kBtnInsert}) {
    EXPECT_NE(SendDlgItemMessageW(page, id, BM_GETIMAGE, IMAGE_ICON, 0), 0) << id;
  }

  // The tooltips: the three picture buttons' and the one set on lvConfig at
  // creation.
  HWND tooltip = PageToolTip(page);
  ASSERT_NE(tooltip, nullptr);
  const std::pair<int, const wchar_t*> tips[] = {
      {kBtnToConfig, L"Eintrag hinter den unten ausgewählten kopieren"},
      {kBtnDelete, L"Zeile löschen"},
      {kBtnInsert, L"leere Zeile unterhalb einfügen"},
      {kLvConfig, L" Sie können zusätzlichen Text direkt in die Zeilen schreiben"}};
  for (const auto& [id, text] : tips) {
    EXPECT_EQ(ToolTipText(tooltip, page, GetDlgItem(page, id)), text) << id;
  }
}

TEST_F(Page, TheFieldListsTipNamesTheFieldUnderTheMouseInGerman) {
  PageSite site;
  PageDialog dialog(site);
  ASSERT_HRESULT_SUCCEEDED(dialog.Open(Factory(), L"Eigenschaften von Kontakte"));
  HWND page = dialog.pageWindow();
  HWND fields = GetDlgItem(page, kLstFields);
  HWND tooltip = PageToolTip(page);
  ASSERT_NE(tooltip, nullptr);
  EXPECT_EQ(ToolTipText(tooltip, page, fields), L"") << "no tip before the mouse is over an entry";

  // The mouse over an entry, the list scrolled to it first where needed.
  auto hover = [&](const wchar_t* entry) {
    const LRESULT index = SendMessageW(fields, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(entry));
    EXPECT_NE(index, LB_ERR) << entry;
    SendMessageW(fields, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    RECT r{};
    SendMessageW(fields, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    SendMessageW(fields, WM_MOUSEMOVE, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    return ToolTipText(tooltip, page, fields);
  };
  EXPECT_EQ(hover(L"<FullName>"), L"Vollständiger Name");
  EXPECT_EQ(hover(L"<MailingAddressPostalCode> <MailingAddressCity>"),
            L"Postleitzahl und Ort (Postanschrift)");
  EXPECT_EQ(hover(L"<FirstName>"), L"Vorname");
  EXPECT_EQ(hover(L"<BusinessAddressPostalCode> <BusinessAddressCity>"),
            L"Postleitzahl und Ort geschäftlich");
  EXPECT_EQ(hover(L"<MobileTelephoneNumber>"), L"Mobiltelefon");
  EXPECT_EQ(hover(L"<User4>"), L"Benutzerfeld 4");

  // Copying a later entry works as the first seven do.
  SendMessageW(fields, LB_SETCURSEL,
               SendMessageW(fields, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(L"<Briefanrede>")),
               0);
  HWND lines = GetDlgItem(page, kLvConfig);
  const int before = ListView_GetItemCount(lines);
  SendMessageW(GetDlgItem(page, kBtnToConfig), BM_CLICK, 0, 0);
  ASSERT_EQ(ListView_GetItemCount(lines), before + 1);
  EXPECT_EQ(LineText(lines, Selected(lines)), L"<Briefanrede>");
}

TEST_F(Page, TheButtonsEditTheLinesAndEnableApply) {
  PageSite site;
  PageDialog dialog(site);
  ASSERT_HRESULT_SUCCEEDED(dialog.Open(Factory(), L"Eigenschaften von Kontakte"));
  HWND page = dialog.pageWindow();
  HWND lines = GetDlgItem(page, kLvConfig), fields = GetDlgItem(page, kLstFields);
  EXPECT_FALSE(IsWindowEnabled(dialog.apply()));

  ListView_SetItemState(lines, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  SendMessageW(GetDlgItem(page, kBtnInsert), BM_CLICK, 0, 0);
  ASSERT_EQ(ListView_GetItemCount(lines), 4);
  EXPECT_EQ(LineText(lines, 1), L"");
  EXPECT_EQ(Selected(lines), 1) << "the new line, directly below the selected one";
  EXPECT_EQ(site.statusChanges(), 1);
  EXPECT_TRUE(IsWindowEnabled(dialog.apply())) << "Dirty after OnStatusChange";

  SendMessageW(fields, LB_SETCURSEL, 4, 0);
  SendMessageW(GetDlgItem(page, kBtnToConfig), BM_CLICK, 0, 0);
  ASSERT_EQ(ListView_GetItemCount(lines), 5);
  EXPECT_EQ(LineText(lines, 2), L"<MailingAddressPostalCode> <MailingAddressCity>");
  EXPECT_EQ(Selected(lines), 2);

  SendMessageW(GetDlgItem(page, kBtnDelete), BM_CLICK, 0, 0);
  ASSERT_EQ(ListView_GetItemCount(lines), 4);
  EXPECT_EQ(LineText(lines, 2), L"") << "the line below moved up";
  EXPECT_EQ(Selected(lines), -1) << "the page selects no other line";
  EXPECT_EQ(site.statusChanges(), 3);

  // Apply writes Line1..Line4; Outlook is not running here, so the add-in
  // cannot be told, which the page reports after saving.
  std::vector<SeenWindow> seen = WatchWindows([&] { dialog.Press(kIdApply); });
  EXPECT_EQ(dialog.applies(), 1);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, L"PropertyPage_Apply");
  EXPECT_EQ(seen[0].text.substr(0, 5), L"429: ");
  const wchar_t* stored[] = {L"<FullName>", L"", L"", L"<MailingAddress>"};
  for (int i = 0; i < 4; ++i) {
    std::wstring value;
    EXPECT_TRUE(ReadUserText(kTemplateKey, L"Line" + std::to_wstring(i + 1), value));
    EXPECT_EQ(value, stored[i]);
  }
  std::wstring none;
  EXPECT_FALSE(ReadUserText(kTemplateKey, L"Line5", none));
  VARIANT_BOOL dirty = VARIANT_FALSE;
  dialog.page()->get_Dirty(&dirty);
  EXPECT_EQ(dirty, VARIANT_TRUE) << "Apply leaves Dirty as it was";
}

TEST_F(Page, AnInPlaceEditChangesTheLineAndEnablesApply) {
  PageSite site;
  PageDialog dialog(site);
  ASSERT_HRESULT_SUCCEEDED(dialog.Open(Factory(), L"Eigenschaften von Kontakte"));
  HWND page = dialog.pageWindow();
  HWND lines = GetDlgItem(page, kLvConfig);

  // Cancelled: nothing changes.
  SetFocus(lines);
  HWND edit = ListView_EditLabel(lines, 1);
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, L"verworfen");
  SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
  PageDialog::Pump();
  EXPECT_EQ(LineText(lines, 1), L"");
  EXPECT_EQ(site.statusChanges(), 0);

  // Ended by leaving the line: the text is taken over and Apply enabled.
  edit = ListView_EditLabel(lines, 1);
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, L"z. Hd. <FullName>");
  SetFocus(GetDlgItem(page, kLstFields));
  PageDialog::Pump();
  EXPECT_EQ(LineText(lines, 1), L"z. Hd. <FullName>");
  EXPECT_EQ(site.statusChanges(), 1);
  EXPECT_TRUE(IsWindowEnabled(dialog.apply()));
}

TEST_F(Page, InfoShowsTheAboutWindowOwnedByTheDialog) {
  PageSite site;
  PageDialog dialog(site);
  ASSERT_HRESULT_SUCCEEDED(dialog.Open(Factory(), L"Eigenschaften von Kontakte"));
  HWND page = dialog.pageWindow();
  std::vector<SeenWindow> seen =
      WatchWindows([&] { SendMessageW(GetDlgItem(page, kBtnAbout), BM_CLICK, 0, 0); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(seen[0].isSplash);
  EXPECT_EQ(seen[0].owner, dialog.window()) << "owned by the page's top-level window";
  std::wstring value;
  EXPECT_TRUE(ReadUserText(L"Software\\VB and VBA Program Settings\\Brisanto\\Startup", L"ShowSplash", value));
  EXPECT_EQ(value, L"1");
}

TEST_F(Page, AContainerThatIsNoPropertyPageSiteGetsTheBoxAndEmptyLists) {
  PageSite site(/*answersPageSite=*/false);
  PageDialog dialog(site);
  std::vector<SeenWindow> seen;
  seen = WatchWindows([&] { ASSERT_HRESULT_SUCCEEDED(dialog.Open(Factory(), L"Eigenschaften")); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, L"UserControl_InitProperties");
  EXPECT_EQ(seen[0].text, L"13: Typen unverträglich\r\n\r\n in Funktion 'UserControl_InitProperties' von "
                          L"Benutzersteuerelement 'ctlVellox'");
  HWND page = dialog.pageWindow();
  EXPECT_EQ(SendDlgItemMessageW(page, kLstFields, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(ListView_GetItemCount(GetDlgItem(page, kLvConfig)), 0);
}

TEST_F(Page, ClosingTheDialogReleasesThePageAndItsSite) {
  PageSite site;
  HWND page = nullptr;
  {
    PageDialog dialog(site);
    ASSERT_HRESULT_SUCCEEDED(dialog.Open(Factory(), L"Eigenschaften von Kontakte"));
    page = dialog.pageWindow();
    SendMessageW(GetDlgItem(page, kBtnInsert), BM_CLICK, 0, 0);
    EXPECT_GT(site.references(), 0) << "the page holds its site while it lives";
    dialog.Close();
  }
  EXPECT_EQ(site.references(), 0);
  EXPECT_FALSE(IsWindow(page)) << "the control is gone with its window";
}

// The page windows of this thread: hidden top-level windows of the library's class.
int PageWindowsOfThisThread() {
  int count = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM p) CALLBACK -> BOOL {
        wchar_t cls[64] = {};
        GetClassNameW(h, cls, 64);
        if (lstrcmpW(cls, L"VelloxPageWindow") == 0) ++*reinterpret_cast<int*>(p);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

// A page whose window cannot be completed (its last control refused, as at
// the system's quota of window handles) is not created, and leaves no window
// behind that the next broadcast could reach.
TEST_F(Page, APageWhoseControlsCannotAllBeMadeLeavesNoWindowBehind) {
  const int before = PageWindowsOfThisThread();
  static HHOOK hook = nullptr;
  hook = SetWindowsHookExW(
      WH_CBT,
      [](int code, WPARAM wp, LPARAM lp) CALLBACK -> LRESULT {
        if (code == HCBT_CREATEWND) {
          const wchar_t* text = reinterpret_cast<CBT_CREATEWNDW*>(lp)->lpcs->lpszName;
          if (text && !IS_INTRESOURCE(text) && lstrcmpW(text, L"Info") == 0) return 1;  // refused
        }
        return CallNextHookEx(hook, code, wp, lp);
      },
      nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  IUnknown* control = nullptr;
  const HRESULT hr = Factory()->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&control));
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(hr, E_FAIL) << "the dialog goes without the page";
  EXPECT_EQ(control, nullptr);
  EXPECT_EQ(PageWindowsOfThisThread(), before);
  // A setting changes: every top-level window of the thread hears of it.
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM) CALLBACK -> BOOL {
        SendMessageW(h, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"));
        return TRUE;
      },
      0);
  // The next page is made as usual.
  ASSERT_HRESULT_SUCCEEDED(Factory()->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&control)));
  EXPECT_EQ(PageWindowsOfThisThread(), before + 1);
  control->Release();
  EXPECT_EQ(PageWindowsOfThisThread(), before);
}

TEST_F(Page, TheControlAnswersWhatAContainerAsks) {
  IUnknown* control = nullptr;
  ASSERT_HRESULT_SUCCEEDED(Factory()->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&control)));
  for (const IID* iid : {&IID_IOleObject, &IID_IOleInPlaceObject, &IID_IOleInPlaceActiveObject,
                         &IID_IOleControl, &IID_IViewObject2, &IID_IPersistStreamInit,
                         &IID_IPersistPropertyBag, &IID_IProvideClassInfo2,
                         &IID_IConnectionPointContainer, &IID_IDispatch, &kIidPropertyPage}) {
    IUnknown* face = As<IUnknown>(control, *iid);
    EXPECT_NE(face, nullptr);
    if (face) face->Release();
  }
  IOleObject* ole = As<IOleObject>(control, IID_IOleObject);
  DWORD misc = 0;
  ole->GetMiscStatus(DVASPECT_CONTENT, &misc);
  EXPECT_EQ(misc, 131473u);
  SIZEL extent{};
  ole->GetExtent(DVASPECT_CONTENT, &extent);
  EXPECT_EQ(extent.cx, MulDiv(5715, 2540, 1440));
  EXPECT_EQ(extent.cy, MulDiv(5370, 2540, 1440));
  ole->Release();

  const IID events = {0x4BA24B0D, 0x34B7, 0x4C33, {0xA5, 0x43, 0xF7, 0x8D, 0x31, 0x3F, 0x96, 0xFF}};
  IProvideClassInfo2* info = As<IProvideClassInfo2>(control, IID_IProvideClassInfo2);
  GUID source{};
  EXPECT_HRESULT_SUCCEEDED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));
  EXPECT_TRUE(IsEqualGUID(source, events));
  ITypeInfo* coclass = nullptr;
  ASSERT_HRESULT_SUCCEEDED(info->GetClassInfo(&coclass));
  TYPEATTR* attr = nullptr;
  coclass->GetTypeAttr(&attr);
  EXPECT_TRUE(IsEqualGUID(attr->guid, kClsidCtlVellox));
  coclass->ReleaseTypeAttr(attr);
  coclass->Release();
  info->Release();

  // The event source takes and gives back a sink; it raises nothing.
  IConnectionPointContainer* points = As<IConnectionPointContainer>(control, IID_IConnectionPointContainer);
  IConnectionPoint* point = nullptr;
  ASSERT_HRESULT_SUCCEEDED(points->FindConnectionPoint(events, &point));
  PageSite sink;
  DWORD cookie = 0;
  EXPECT_HRESULT_SUCCEEDED(point->Advise(static_cast<IOleClientSite*>(&sink), &cookie));
  EXPECT_GT(sink.references(), 0);
  EXPECT_HRESULT_SUCCEEDED(point->Unadvise(cookie));
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(sink.references(), 0);
  IConnectionPoint* other = nullptr;
  EXPECT_EQ(points->FindConnectionPoint(IID_IPropertyNotifySink, &other), CONNECT_E_NOCONNECTION);
  point->Release();
  points->Release();

  // _ctlVellox by name, from the library's own type information.
  IDispatch* dispatch = As<IDispatch>(control, IID_IDispatch);
  const wchar_t* names[] = {L"ReadAdressFormat", L"SaveInitialSettings"};
  DISPID ids[2] = {};
  for (int i = 0; i < 2; ++i) {
    LPOLESTR name = const_cast<LPOLESTR>(names[i]);
    EXPECT_HRESULT_SUCCEEDED(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &ids[i]));
  }
  EXPECT_EQ(ids[0], 0x60030002);
  EXPECT_EQ(ids[1], 0x60030003);
  dispatch->Release();
  control->Release();
}

}  // namespace
}  // namespace vx::test
