// The type library "Vellox" as the build produces it, loaded: the library's
// attributes, exactly three types in order with their flags, the DISPIDs and
// vtable slots of _ctlVellox, and the coclass's PropertyPage as a reference
// into Outlook's library, not a copy. Checked for the library inside
// Vellox.ocx (win64) and for the win32 library.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ocx_test.h"
#include "tests/host/property_dialog.h"
#include "tests/host/this_build.h"

namespace vx::test {
namespace {

using host::PageDialog;
using host::PageSite;
using host::kIdApply;
using host::kIidPropertyPage;

const GUID kLibid = {0xA827D05F, 0xC205, 0x4450, {0xA6, 0x3D, 0xBE, 0xBB, 0x40, 0xAC, 0x24, 0x1B}};
const GUID kOutlookLibid = {0x00062FFF, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIid = {0xCFA76581, 0x054C, 0x4F50, {0xB5, 0x56, 0xB0, 0x15, 0x42, 0xF1, 0x67, 0xD8}};
const IID kEvents = {0x4BA24B0D, 0x34B7, 0x4C33, {0xA5, 0x43, 0xF7, 0x8D, 0x31, 0x3F, 0x96, 0xFF}};

std::wstring NameOf(ITypeLib* lib, int index, std::wstring* help = nullptr) {
  BSTR name = nullptr, doc = nullptr;
  lib->GetDocumentation(index, &name, &doc, nullptr, nullptr);
  std::wstring out = name ? name : L"";
  if (help) *help = doc ? doc : L"";
  SysFreeString(name);
  SysFreeString(doc);
  return out;
}

// The vtable size and the first two methods' offsets of type 0 (_ctlVellox)
// as the file stores them (MSFT layout: header, type offsets, segment
// directory; the type record holds cbSizeVft, its member block the records).
struct RawVtable {
  int size = -1, first = -1, second = -1;
};
RawVtable ReadRawVtable(const std::wstring& path) {
  RawVtable raw;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return raw;
  std::vector<unsigned char> d(GetFileSize(file, nullptr));
  DWORD got = 0;
  ReadFile(file, d.data(), static_cast<DWORD>(d.size()), &got, nullptr);
  CloseHandle(file);
  auto i32 = [&](size_t at) { return *reinterpret_cast<const int32_t*>(&d[at]); };
  auto i16 = [&](size_t at) { return *reinterpret_cast<const int16_t*>(&d[at]); };
  size_t pos = 0x54 + ((i32(0x14) & 0x100) ? 4 : 0) + 4 * i32(0x20);
  const size_t type0 = i32(pos);  // the TypeInfo segment's offset
  raw.size = i16(type0 + 0x4E);
  const size_t block = i32(type0 + 4);
  raw.first = i16(block + 4 + 12);
  raw.second = i16(block + 4 + i32(block + 4) % 0x10000 + 12);
  return raw;
}

void CheckLibrary(const std::wstring& path, SYSKIND syskind) {
  SCOPED_TRACE(std::string(path.begin(), path.end()));
  ITypeLib* lib = nullptr;
  ASSERT_HRESULT_SUCCEEDED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib));

  TLIBATTR* attr = nullptr;
  ASSERT_HRESULT_SUCCEEDED(lib->GetLibAttr(&attr));
  EXPECT_TRUE(IsEqualGUID(attr->guid, kLibid));
  EXPECT_EQ(attr->lcid, 0u);
  EXPECT_EQ(attr->wMajorVerNum, 24);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->wLibFlags & ~LIBFLAG_FHASDISKIMAGE, LIBFLAG_FCONTROL);
  EXPECT_EQ(attr->syskind, syskind);
  lib->ReleaseTLibAttr(attr);
  std::wstring help;
  EXPECT_EQ(NameOf(lib, -1, &help), L"Vellox");
  EXPECT_EQ(help, L"Property Page for Vellox");

  struct Expected {
    const wchar_t* name;
    TYPEKIND kind;
    WORD flags;
    GUID guid;
  } types[] = {
      // hidden dual nonextensible dispatchable; oleautomation shows on the
      // interface side (checked below)
      {L"_ctlVellox", TKIND_DISPATCH, 0x10D0, kIid},
      {L"ctlVellox", TKIND_COCLASS, TYPEFLAG_FCONTROL, kClsidCtlVellox},
      {L"__ctlVellox", TKIND_DISPATCH, 0x1090, kEvents},  // hidden nonextensible dispatchable
  };
  ASSERT_EQ(lib->GetTypeInfoCount(), 3u) << "no fourth type: Outlook's interfaces stay Outlook's";
  for (UINT i = 0; i < 3; ++i) {
    EXPECT_EQ(NameOf(lib, static_cast<int>(i)), types[i].name);
    ITypeInfo* info = nullptr;
    ASSERT_HRESULT_SUCCEEDED(lib->GetTypeInfo(i, &info));
    TYPEATTR* ta = nullptr;
    info->GetTypeAttr(&ta);
    EXPECT_EQ(ta->typekind, types[i].kind) << i;
    EXPECT_EQ(ta->wTypeFlags & ~TYPEFLAG_FOLEAUTOMATION, types[i].flags) << i;
    EXPECT_TRUE(IsEqualGUID(ta->guid, types[i].guid)) << i;
    if (i == 2) {
      EXPECT_EQ(ta->cFuncs, 0) << "no events";
    }
    info->ReleaseTypeAttr(ta);
    info->Release();
  }
  ITypeInfo* copy = nullptr;
  EXPECT_NE(lib->GetTypeInfoOfGuid(kIidPropertyPage, &copy), S_OK);

  // _ctlVellox: its two methods, DISPIDs and slots 7 and 8 of the vtable.
  ITypeInfo* dual = nullptr;
  ASSERT_HRESULT_SUCCEEDED(lib->GetTypeInfoOfGuid(kIid, &dual));
  HREFTYPE vtableRef = 0;
  ITypeInfo* vtable = nullptr;
  ASSERT_HRESULT_SUCCEEDED(dual->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableRef));
  ASSERT_HRESULT_SUCCEEDED(dual->GetRefTypeInfo(vtableRef, &vtable));
  TYPEATTR* va = nullptr;
  vtable->GetTypeAttr(&va);
  EXPECT_EQ(va->wTypeFlags, 0x11D0) << "hidden dual nonextensible oleautomation dispatchable";
  vtable->ReleaseTypeAttr(va);
  const struct {
    const wchar_t* name;
    MEMBERID id;
  } methods[] = {{L"ReadAdressFormat", 0x60030002}, {L"SaveInitialSettings", 0x60030003}};
  for (UINT f = 0; f < 2; ++f) {
    FUNCDESC* fd = nullptr;
    ASSERT_HRESULT_SUCCEEDED(vtable->GetFuncDesc(f, &fd));
    BSTR name = nullptr;
    vtable->GetDocumentation(fd->memid, &name, nullptr, nullptr, nullptr);
    EXPECT_STREQ(name, methods[f].name);
    SysFreeString(name);
    EXPECT_EQ(fd->memid, methods[f].id);
    EXPECT_EQ(fd->cParams, 0);
    EXPECT_EQ(fd->elemdescFunc.tdesc.vt, VT_HRESULT);
    // oleaut32 gives offsets for the process's own pointer size, whatever
    // the library says; the file itself is checked in RawVtable.
    EXPECT_EQ(fd->oVft, static_cast<SHORT>((7 + f) * sizeof(void*)));
    vtable->ReleaseFuncDesc(fd);
  }
  vtable->Release();
  dual->Release();

  // The coclass: _ctlVellox default, PropertyPage from Outlook's library,
  // __ctlVellox default source.
  ITypeInfo* coclass = nullptr;
  ASSERT_HRESULT_SUCCEEDED(lib->GetTypeInfoOfGuid(kClsidCtlVellox, &coclass));
  const INT implFlags[] = {IMPLTYPEFLAG_FDEFAULT, 0, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE};
  const GUID implGuids[] = {kIid, kIidPropertyPage, kEvents};
  for (UINT k = 0; k < 3; ++k) {
    INT flags = -1;
    coclass->GetImplTypeFlags(k, &flags);
    EXPECT_EQ(flags, implFlags[k]) << k;
    HREFTYPE ref = 0;
    ITypeInfo* impl = nullptr;
    ASSERT_HRESULT_SUCCEEDED(coclass->GetRefTypeOfImplType(k, &ref));
    ASSERT_HRESULT_SUCCEEDED(coclass->GetRefTypeInfo(ref, &impl)) << "implemented type " << k;
    TYPEATTR* ta = nullptr;
    impl->GetTypeAttr(&ta);
    EXPECT_TRUE(IsEqualGUID(ta->guid, implGuids[k])) << k;
    impl->ReleaseTypeAttr(ta);
    ITypeLib* owner = nullptr;
    UINT index = 0;
    ASSERT_HRESULT_SUCCEEDED(impl->GetContainingTypeLib(&owner, &index));
    TLIBATTR* oa = nullptr;
    owner->GetLibAttr(&oa);
    if (k == 1) {
      EXPECT_TRUE(IsEqualGUID(oa->guid, kOutlookLibid)) << "PropertyPage lives in Outlook's library";
      EXPECT_EQ(oa->wMajorVerNum, 9);
      EXPECT_EQ(oa->wMinorVerNum, 0);
    } else {
      EXPECT_TRUE(IsEqualGUID(oa->guid, kLibid));
    }
    owner->ReleaseTLibAttr(oa);
    owner->Release();
    impl->Release();
  }
  coclass->Release();
  lib->Release();
}

TEST(TypeLibrary, InsideTheControlLibrary) { CheckLibrary(Opts().ocx, host::kThisSysKind); }

TEST(TypeLibrary, OfTheWin32Build) {
  if (Opts().tlb32.empty()) GTEST_SKIP() << "no --tlb32";
  CheckLibrary(Opts().tlb32, SYS_WIN32);
  const RawVtable raw = ReadRawVtable(Opts().tlb32);
  EXPECT_EQ(raw.size, 9 * 4) << "IDispatch's seven slots and two methods, 4-byte pointers";
  EXPECT_EQ(raw.first, 7 * 4);
  EXPECT_EQ(raw.second, 8 * 4);
}

}  // namespace
}  // namespace vx::test
