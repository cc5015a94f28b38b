// Office's ribbon interfaces, declared for the compiler. They belong to
// Office's own library, so they are never defined in our type libraries.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace vx::win {

// {000C0396-0000-0000-C000-000000000046}, dual; GetCustomUI is DISPID 1.
inline constexpr IID IID_IRibbonExtensibility = {
    0x000C0396, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {000C0395-0000-0000-C000-000000000046}, dual; Id 1, Context 2, Tag 3.
inline constexpr IID IID_IRibbonControl = {
    0x000C0395, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// COM interfaces have no virtual destructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
struct IRibbonExtensibility : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR RibbonID, BSTR* RibbonXml) = 0;
};

struct IRibbonControl : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE get_Id(BSTR* Id) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Context(IDispatch** Context) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Tag(BSTR* Tag) = 0;
};
#pragma GCC diagnostic pop

}  // namespace vx::win
