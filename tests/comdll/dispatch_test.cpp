// The dispatch layer against small objects of our own: failures from
// HRESULTs, late-bound calls by name, the DISPID cache per object type, the
// adapters' argument passing and the event sinks.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/com_registration.h"
#include "platform/win32/dispatch.h"
#include "platform/win32/event_sink.h"
#include "platform/win32/outlook_dispatch.h"
#include "test_objects.h"
#include "tests/host/thread.h"
#include "tests/unit/failing_allocator.h"

namespace vx::test {
namespace {

using win::DispatchObject;
using win::Variant;

int32_t NumberOf(HRESULT hr) { return win::FailureFromHResult(hr).number(); }

template <class Call>
Failure FailureOf(Call&& call) {
  try {
    call();
  } catch (const Failure& failure) {
    return failure;
  }
  ADD_FAILURE() << "no failure raised";
  return Failure(0, u"");
}

TEST(HResultFailures, MapsTheRuntimeNumbers) {
  EXPECT_EQ(NumberOf(E_INVALIDARG), 5);
  EXPECT_EQ(NumberOf(DISP_E_OVERFLOW), 6);
  EXPECT_EQ(NumberOf(E_OUTOFMEMORY), 7);
  EXPECT_EQ(NumberOf(DISP_E_BADINDEX), 9);
  EXPECT_EQ(NumberOf(DISP_E_TYPEMISMATCH), 13);
  EXPECT_EQ(NumberOf(REGDB_E_CLASSNOTREG), 429);
  EXPECT_EQ(NumberOf(E_NOINTERFACE), 430);
  EXPECT_EQ(NumberOf(DISP_E_MEMBERNOTFOUND), 438);
  EXPECT_EQ(NumberOf(DISP_E_UNKNOWNNAME), 438);
  EXPECT_EQ(win::FailureFromHResult(E_INVALIDARG).description(),
            u"Ungültiger Prozeduraufruf oder ungültiges Argument");
  // A runtime's own error travels as 0x800Axxxx.
  EXPECT_EQ(NumberOf(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 91)), 91);
}

TEST(HResultFailures, OtherHResultsAreAutomationErrors) {
  Failure failure = win::FailureFromHResult(E_FAIL);
  EXPECT_EQ(failure.number(), -2147467259);
  EXPECT_EQ(failure.description(), u"Automatisierungsfehler");
}

TEST(HResultFailures, ExceptionsAreReadFromTheExcepInfo) {
  win::ExcepInfo info;
  info.scode = E_INVALIDARG;
  EXPECT_EQ(win::FailureFromHResult(DISP_E_EXCEPTION, &info).number(), 5);

  win::ExcepInfo coded;
  coded.wCode = 1004;
  coded.bstrDescription = SysAllocString(L"Eigene Beschreibung");
  Failure failure = win::FailureFromHResult(DISP_E_EXCEPTION, &coded);
  EXPECT_EQ(failure.number(), 1004);
  EXPECT_EQ(failure.description(), u"Eigene Beschreibung");

  // Without an EXCEPINFO it stays an automation error.
  EXPECT_EQ(NumberOf(DISP_E_EXCEPTION), static_cast<int32_t>(DISP_E_EXCEPTION));
}

TEST(Variants, ConvertLikeAnAutomationClient) {
  EXPECT_EQ(win::ToInt32(Variant::Of(u"42")), 42);
  EXPECT_EQ(FailureOf([] { win::ToInt32(Variant::Of(u"vierzig")); }).number(), 13);
  Variant big;
  V_VT(&big) = VT_R8;
  V_R8(&big) = 3e10;
  EXPECT_EQ(FailureOf([&] { win::ToInt32(big); }).number(), 6);
  Variant null;
  V_VT(&null) = VT_NULL;
  EXPECT_EQ(FailureOf([&] { win::ToText(null); }).number(), 94);
  EXPECT_EQ(win::ToText(Variant()), u"");
  EXPECT_EQ(win::ToObject(null), nullptr);
  EXPECT_EQ(FailureOf([] { win::ToObject(Variant::Of(5)); }).number(), 424);
  // By reference is followed.
  Variant text = Variant::Of(u"Straße");
  EXPECT_EQ(win::ToText(Variant::RefTo(&text)), u"Straße");
}

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override { win::ClearDispIdCache(); }
};

TEST_F(DispatchTest, ReadsWritesAndCallsByName) {
  auto contact = win::New<TestContact>();
  DispatchObject object(static_cast<ITestContact*>(contact.Get()));
  EXPECT_EQ(win::ToInt32(object.Get(u"Class")), 40);
  EXPECT_EQ(win::ToText(object.Get(u"fullname")), u"Müller");
  object.Put(u"FullName", Variant::Of(u"Schäfer"));
  EXPECT_EQ(contact->fullName, L"Schäfer");

  EXPECT_EQ(FailureOf([&] { object.Get(u"NoSuchField"); }).number(), 438);
  // A method's failure arrives as DISP_E_EXCEPTION with the HRESULT in scode.
  EXPECT_EQ(FailureOf([&] { object.Call(u"Fail", {Variant::Of(static_cast<int32_t>(E_INVALIDARG))}); })
                .number(),
            5);
  Failure automation =
      FailureOf([&] { object.Call(u"Fail", {Variant::Of(static_cast<int32_t>(E_FAIL))}); });
  EXPECT_EQ(automation.number(), static_cast<int32_t>(E_FAIL));

  DispatchObject empty;
  EXPECT_EQ(FailureOf([&] { empty.Get(u"Class"); }).number(), 91);
}

TEST_F(DispatchTest, CachesDispIdsPerObjectType) {
  auto contact = win::New<TestContact>();
  auto otherContact = win::New<TestContact>();
  auto mail = win::New<TestMail>();
  DispatchObject a(static_cast<ITestContact*>(contact.Get()));
  DispatchObject b(static_cast<ITestContact*>(otherContact.Get()));
  DispatchObject m(static_cast<ITestMail*>(mail.Get()));

  EXPECT_EQ(a.IdOf(u"FullName"), 0x3001);
  EXPECT_EQ(b.IdOf(u"FULLNAME"), 0x3001);
  EXPECT_EQ(win::DispIdCacheSize(), 1u);  // one entry for both contacts
  // The mail's FullName has another DISPID: a mixed selection stays correct.
  EXPECT_EQ(m.IdOf(u"FullName"), 0x7001);
  EXPECT_EQ(win::ToText(m.Get(u"FullName")), u"Post");
  EXPECT_EQ(win::ToInt32(m.Get(u"Class")), 43);
  EXPECT_EQ(win::DispIdCacheSize(), 3u);
}

// A contact that knows every name: each name asked gets a DISPID of its own
// (its number after the first letter), all under the contact's type.
class AnyNameContact final : public win::ComObject<IDispatch> {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT* count) override { return contact_->GetTypeInfoCount(count); }
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
    return contact_->GetTypeInfo(index, lcid, info);
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
    ids[0] = _wtoi(names[0] + 1);
    return S_OK;
  }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

 private:
  void* Find(REFIID iid) override { return IsEqualIID(iid, IID_IDispatch) ? static_cast<IDispatch*>(this) : nullptr; }
  Ref<TestContact> contact_ = win::New<TestContact>();
};

// Pages may live on several threads of one host, each looking up names of
// its own objects at once: the one cache of the process stays whole.
TEST_F(DispatchTest, ThreadsLookingUpAtOnceShareOneWholeCache) {
  constexpr int kThreads = 4, kNames = 30000;
  HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  int wrong[kThreads] = {};
  {
    std::vector<std::unique_ptr<host::Thread>> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.push_back(std::make_unique<host::Thread>([&, t] {
        std::vector<Text> names;
        for (int i = 0; i < kNames; ++i) {
          const std::wstring name = static_cast<wchar_t>(L'a' + t) + std::to_wstring(i);
          names.emplace_back(name.begin(), name.end());
        }
        auto object = win::New<AnyNameContact>();
        DispatchObject any(static_cast<IDispatch*>(object.Get()));
        any.IdOf(u"x0");  // the type is known before the race starts
        WaitForSingleObject(start, INFINITE);
        for (int i = 0; i < kNames; ++i) {
          if (any.IdOf(names[i]) != i) ++wrong[t];
        }
      }));
    }
    SetEvent(start);
  }
  CloseHandle(start);
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(wrong[t], 0) << t;
  EXPECT_EQ(win::DispIdCacheSize(), 1u + kThreads * kNames);
}

TEST_F(DispatchTest, ItemsReadTheirClassAndTexts) {
  auto contact = win::New<TestContact>();
  auto item = win::WrapItem(static_cast<ITestContact*>(contact.Get()));
  EXPECT_EQ(item->Class(), ol::kClassContact);
  EXPECT_EQ(item->GetText(u"FullName"), u"Müller");
  EXPECT_EQ(item->GetText(u"CompanyName"), u"");  // Empty reads as an empty text
  contact->company = Variant::Of(7);
  EXPECT_EQ(item->GetText(u"CompanyName"), u"7");
  EXPECT_EQ(FailureOf([&] { item->GetText(u"Unbekannt"); }).number(), 438);
  item.reset();
  EXPECT_EQ(RefCount(static_cast<ITestContact*>(contact.Get())), 1u);
}

TEST_F(DispatchTest, ControlsAddPassesTypeAndTemporaryAndOmitsTheRest) {
  auto controls = win::New<TestControls>();
  auto wrapped = win::WrapCommandBarControls(static_cast<ITestControls*>(controls.Get()));
  auto button = wrapped->Add(ol::kControlButton, true);
  ASSERT_NE(button, nullptr);
  ASSERT_EQ(controls->lastAdd.size(), 5u);
  EXPECT_EQ(V_VT(&controls->lastAdd[0]), VT_I4);
  EXPECT_EQ(V_I4(&controls->lastAdd[0]), 1);
  for (int omitted : {1, 2, 3}) {
    EXPECT_EQ(V_VT(&controls->lastAdd[omitted]), VT_ERROR);
    EXPECT_EQ(V_ERROR(&controls->lastAdd[omitted]), DISP_E_PARAMNOTFOUND);
  }
  EXPECT_EQ(V_VT(&controls->lastAdd[4]), VT_BOOL);
  EXPECT_EQ(V_BOOL(&controls->lastAdd[4]), VARIANT_TRUE);
  EXPECT_EQ(button->Id(), 4711);
}

TEST_F(DispatchTest, ButtonPropertiesAreWrittenAndLookupsByCaptionFailWithFive) {
  auto controls = win::New<TestControls>();
  auto wrapped = win::WrapCommandBarControls(static_cast<ITestControls*>(controls.Get()));
  auto added = wrapped->Add(ol::kControlButton, true);
  added->SetCaption(u"&Zwischenablage");
  // A put of a member the object lacks.
  EXPECT_EQ(FailureOf([&] { added->SetTooltipText(u"Tipp"); }).number(), 438);
  added->SetVisible(true);
  EXPECT_EQ(controls->buttons[0]->caption, L"&Zwischenablage");
  EXPECT_EQ(controls->buttons[0]->visible, VARIANT_TRUE);
  added->SetVisible(false);
  EXPECT_EQ(controls->buttons[0]->visible, VARIANT_FALSE);

  auto found = wrapped->Item(u"&Zwischenablage");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->Id(), 4711);
  Failure missing = FailureOf([&] { wrapped->Item(u"&Anderes"); });
  EXPECT_EQ(missing.number(), 5);
  EXPECT_EQ(missing.description(), u"Ungültiger Prozeduraufruf oder ungültiges Argument");
}

struct ClickSink : ol::CommandBarButtonEvents {
  int clicks = 0;
  bool cancelTo = true;
  int ctrlId = 0;
  std::function<void()> also;
  void Click(const std::shared_ptr<ol::CommandBarButton>& ctrl, bool& cancelDefault) override {
    ++clicks;
    ctrlId = ctrl ? ctrl->Id() : -1;
    cancelDefault = cancelTo;
    if (also) also();
  }
};

TEST(EventSinks, ClickArrivesWithTheButtonAndWritesCancelDefaultBack) {
  auto button = win::New<TestButton>();
  button->id = 17;
  auto wrapped = win::WrapCommandBarButton(static_cast<ITestButton*>(button.Get()));
  ClickSink sink;
  ol::ConnectionPtr connection = wrapped->Advise(sink);
  EXPECT_EQ(button->advises, 1);

  EXPECT_TRUE(button->Click(false));
  EXPECT_EQ(sink.clicks, 1);
  EXPECT_EQ(sink.ctrlId, 17);
  sink.cancelTo = false;
  EXPECT_FALSE(button->Click(true));

  connection.reset();
  EXPECT_EQ(button->unadvises, 1);
  EXPECT_EQ(button->connected(), 0);
  button->Click(false);
  EXPECT_EQ(sink.clicks, 2);
  wrapped.reset();
  EXPECT_EQ(RefCount(static_cast<ITestButton*>(button.Get())), 1u);
}

TEST(EventSinks, AHandlerMayEndItsOwnSubscriptionAndFailuresStayInside) {
  auto button = win::New<TestButton>();
  auto wrapped = win::WrapCommandBarButton(static_cast<ITestButton*>(button.Get()));
  ClickSink sink;
  ol::ConnectionPtr connection = wrapped->Advise(sink);
  sink.also = [&] {
    connection.reset();  // the sink object goes while its handler runs
    Raise(fail::kObjectNotSet);
  };
  EXPECT_TRUE(button->Click(false));  // the write-back came before the failure
  EXPECT_EQ(sink.clicks, 1);
  EXPECT_EQ(button->unadvises, 1);
  // A sink the source still holds after the end stays silent.
  EXPECT_EQ(button->connected(), 0);
}

TEST(EventSinks, SourcesWithoutTheConnectionPointFail) {
  auto contact = win::New<TestContact>();
  Failure failure = FailureOf([&] {
    win::Subscribe(static_cast<ITestContact*>(contact.Get()), TestButton::kEvents, {});
  });
  EXPECT_EQ(failure.number(), 430);  // no IConnectionPointContainer
  auto button = win::New<TestButton>();
  failure = FailureOf([&] {
    win::Subscribe(static_cast<ITestButton*>(button.Get()), win::DIID_ExplorerEvents, {});
  });
  EXPECT_NE(failure.number(), 0);
  EXPECT_EQ(button->advises, 0);
}

// With no memory left, our objects answer E_OUTOFMEMORY where they would
// have to allocate (the first use of their type information, a new object
// from the class factory), an event sink answers its source as ever, and
// everything works again once memory is back.
TEST(OutOfMemory, OurObjectsAndSinksAnswerInsteadOfThrowing) {
  auto contact = win::New<TestContact>();
  IDispatch* dispatch = static_cast<ITestContact*>(contact.Get());
  LPOLESTR name = const_cast<LPOLESTR>(L"FullName");
  static const CLSID kSome = {0x1E5F0C2A, 0x77B1, 0x4E0B, {0x9A, 0x11, 0x20, 0x36, 0x4D, 0x52, 0x61, 0x70}};
  static const win::ClassEntry kTable[] = {{&kSome, &win::CreateInstance<TestContact>}};
  IClassFactory* factory = nullptr;
  ASSERT_HRESULT_SUCCEEDED(win::GetClassObject(kTable, 1, kSome, IID_IClassFactory, reinterpret_cast<void**>(&factory)));

  auto button = win::New<TestButton>();
  auto wrapped = win::WrapCommandBarButton(static_cast<ITestButton*>(button.Get()));
  ClickSink sink;
  ol::ConnectionPtr connection = wrapped->Advise(sink);
  ASSERT_EQ(button->connected(), 1);
  IDispatch* source = static_cast<ITestButton*>(button.Get());
  VARIANTARG args[2];
  VariantInit(&args[0]);  // CancelDefault: by value here
  V_VT(&args[0]) = VT_BOOL;
  V_BOOL(&args[0]) = VARIANT_FALSE;
  args[1] = ObjectArg(source);
  DISPPARAMS click{args, nullptr, 2, 0};

  HRESULT ids = S_OK, created = S_OK, invoked = E_FAIL;
  DISPID id = 0;
  IUnknown* object = nullptr;
  {
    test::FailingAllocations none;
    ids = dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id);
    created = factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object));
    invoked = button->sinks[0]->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &click, nullptr, nullptr, nullptr);
  }
  EXPECT_EQ(ids, E_OUTOFMEMORY);
  EXPECT_EQ(created, E_OUTOFMEMORY);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(invoked, S_OK);
  EXPECT_EQ(sink.clicks, 0) << "the handler could not be reached";

  EXPECT_HRESULT_SUCCEEDED(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
  EXPECT_EQ(id, 0x3001);
  ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)));
  object->Release();
  factory->Release();
  button->Click(false);
  EXPECT_EQ(sink.clicks, 1);
}

TEST(AddIns, ItemTakesTheProgIdAndObjectIsPutAndRead) {
  auto addIns = win::New<TestAddIns>();
  auto wrapped = win::WrapCOMAddIns(static_cast<ITestAddIns*>(addIns.Get()));
  auto entry = wrapped->Item(u"Vellorian.Connect");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(addIns->lastKeyType, VT_BSTR);
  EXPECT_EQ(FailureOf([&] { wrapped->Item(u"Fremd.Connect"); }).number(), 5);

  auto published = win::New<TestContact>();
  auto self = win::WrapAutomation(static_cast<ITestContact*>(published.Get()));
  entry->SetObject(self);
  EXPECT_EQ(addIns->entry->object.Get(), static_cast<IDispatch*>(static_cast<ITestContact*>(published.Get())));

  // Read back, it is called by name.
  auto object = entry->Object();
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(win::DispatchOf(*object), addIns->entry->object.Get());
  EXPECT_EQ(FailureOf([&] { object->CallMethod(u"ReReadSettings"); }).number(), 438);

  entry->SetObject(nullptr);
  EXPECT_EQ(addIns->entry->object, nullptr);
  EXPECT_EQ(entry->Object(), nullptr);

  struct Foreign : ol::Automation {
    void CallMethod(const Text&) override {}
  };
  EXPECT_EQ(FailureOf([&] { entry->SetObject(std::make_shared<Foreign>()); }).number(), 13);
}

TEST(AddIns, ItemIsRetriedByReferenceForAHostThatDoesNotCoerce) {
  auto addIns = win::New<TestAddIns>();
  addIns->byReferenceOnly = true;
  auto wrapped = win::WrapCOMAddIns(static_cast<ITestAddIns*>(addIns.Get()));
  EXPECT_NE(wrapped->Item(u"Vellorian.Connect"), nullptr);
  EXPECT_EQ(addIns->calls, 2);
  EXPECT_EQ(addIns->lastKeyType, VT_BSTR);
  EXPECT_EQ(FailureOf([&] { wrapped->Item(u"Fremd.Connect"); }).number(), 5);
}

TEST(RegistryHelpers, WriteReadBackAndReportFailures) {
  const Text key = u"Software\\VelloxTest\\Sub";
  ASSERT_EQ(win::reg::SetText(HKEY_CURRENT_USER, key, u"Text", u"Grüße"), S_OK);
  ASSERT_EQ(win::reg::SetDword(HKEY_CURRENT_USER, key, u"Number", 3), S_OK);
  wchar_t text[16] = {};
  DWORD size = sizeof text;
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\VelloxTest\\Sub", L"Text", RRF_RT_REG_SZ, nullptr, text, &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(text, L"Grüße");
  EXPECT_EQ(win::reg::DeleteTree(HKEY_CURRENT_USER, u"Software\\VelloxTest"), S_OK);
  HKEY gone = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\VelloxTest", 0, KEY_READ, &gone), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(win::reg::DeleteTree(HKEY_CURRENT_USER, u"Software\\VelloxTest"), S_OK);  // already gone
  // An entry that cannot be written is a failure HRESULT.
  EXPECT_TRUE(FAILED(win::reg::SetText(reinterpret_cast<HKEY>(0x1234), u"X", u"", u"y")));
}

TEST(Applications, CountsWindowsAndReleasesWhatItRead) {
  auto app = win::New<TestApplication>();
  app->count = 0;
  auto wrapped = win::WrapApplication(static_cast<ITestApplication*>(app.Get()));
  EXPECT_EQ(wrapped->Explorers()->Count(), 0);
  EXPECT_EQ(wrapped->Inspectors()->Count(), 0);
  EXPECT_EQ(app->explorerReads, 1);
  EXPECT_EQ(app->inspectorReads, 1);
  EXPECT_EQ(wrapped->ActiveExplorer(), nullptr);  // Nothing is empty
  EXPECT_EQ(FailureOf([&] { wrapped->COMAddIns(); }).number(), 438);
  wrapped.reset();
  EXPECT_EQ(RefCount(static_cast<ITestApplication*>(app.Get())), 1u);
  EXPECT_EQ(win::WrapApplication(nullptr), nullptr);
}

struct OutlookSink : ol::NameSpaceEvents, ol::InspectorsEvents, ol::ExplorerEvents {
  int folderSwitches = 0, closes = 0;
  std::vector<std::shared_ptr<ol::Inspector>> inspectors;
  void OptionsPagesAdd(const std::shared_ptr<ol::PropertyPages>& pages,
                       const std::shared_ptr<ol::Folder>& folder) override {
    // Only a contacts folder gets the page: the folder must be the second
    // argument, the pages the first.
    if (folder->DefaultItemType() == ol::kItemTypeContact) pages->Add(u"Vellox.ctlVellox", u"Adresse kopieren");
  }
  void NewInspector(const std::shared_ptr<ol::Inspector>& inspector) override { inspectors.push_back(inspector); }
  void FolderSwitch() override { ++folderSwitches; }
  void Close() override { ++closes; }
};

TEST(OutlookEvents, ArriveWithOutlooksDispIdsAndArgumentOrder) {
  auto app = win::New<TestApplication>();
  app->nameSpace = win::New<TestApplication>(win::DIID_NameSpaceEvents);
  app->inspectors = win::New<TestApplication>(win::DIID_InspectorsEvents);
  app->explorer = win::New<TestApplication>(win::DIID_ExplorerEvents);
  auto wrapped = win::WrapApplication(static_cast<ITestApplication*>(app.Get()));
  OutlookSink sink;
  auto ns = wrapped->GetNamespace(u"MAPI");
  auto inspectors = wrapped->Inspectors();
  auto explorer = wrapped->ActiveExplorer();
  ASSERT_TRUE(ns && inspectors && explorer);
  ol::ConnectionPtr connections[] = {ns->Advise(sink), inspectors->Advise(sink), explorer->Advise(sink)};

  // OptionsPagesAdd(Pages, Folder): rgvarg[1] = Pages, rgvarg[0] = Folder.
  auto pages = win::New<TestApplication>();
  auto contacts = win::New<TestApplication>();
  contacts->count = ol::kItemTypeContact;
  auto mail = win::New<TestApplication>();
  app->nameSpace->Fire(0xF005, {ObjectArg(static_cast<ITestApplication*>(mail.Get())),
                                ObjectArg(static_cast<ITestApplication*>(pages.Get()))});
  EXPECT_EQ(pages->lastTitle, L"");
  app->nameSpace->Fire(0xF005, {ObjectArg(static_cast<ITestApplication*>(contacts.Get())),
                                ObjectArg(static_cast<ITestApplication*>(pages.Get()))});
  EXPECT_EQ(pages->lastPage, L"Vellox.ctlVellox");
  EXPECT_EQ(pages->lastTitle, L"Adresse kopieren");

  auto inspector = win::New<TestApplication>();
  app->inspectors->Fire(0xF001, {ObjectArg(static_cast<ITestApplication*>(inspector.Get()))});
  ASSERT_EQ(sink.inspectors.size(), 1u);
  EXPECT_NE(sink.inspectors[0], nullptr);

  app->explorer->Fire(0xF002, {});
  app->explorer->Fire(0xF008, {});
  app->explorer->Fire(0xF001, {});  // Activate: not handled, answered
  EXPECT_EQ(sink.folderSwitches, 1);
  EXPECT_EQ(sink.closes, 1);

  // Ending the subscriptions unadvises; every reference goes back.
  for (auto& c : connections) c.reset();
  EXPECT_EQ(app->nameSpace->connected() + app->inspectors->connected() + app->explorer->connected(), 0);
  sink.inspectors.clear();
  ns.reset();
  inspectors.reset();
  explorer.reset();
  wrapped.reset();
  for (IUnknown* object : {static_cast<IUnknown*>(static_cast<ITestApplication*>(app.Get())),
                           static_cast<IUnknown*>(static_cast<ITestApplication*>(app->nameSpace.Get())),
                           static_cast<IUnknown*>(static_cast<ITestApplication*>(inspector.Get())),
                           static_cast<IUnknown*>(static_cast<ITestApplication*>(pages.Get()))}) {
    EXPECT_EQ(RefCount(object), 1u);
  }
  // The application's source interface takes a subscription without handlers.
  auto source = win::New<TestApplication>(win::DIID_ApplicationEvents);
  ol::ApplicationEvents none;
  auto subscription = win::WrapApplication(static_cast<ITestApplication*>(source.Get()))->Advise(none);
  EXPECT_EQ(source->connected(), 1);
  source->Fire(0xF006, {});  // Startup: answered, nothing to do
  subscription.reset();
  EXPECT_EQ(source->connected(), 0);
}

}  // namespace
}  // namespace vx::test
