// Office's ribbon interfaces, declared for the compiler. They belong to the
// Office library, so they are never defined in our own type libraries.
//
// Office queries the add-in object it created for IRibbonExtensibility and
// asks it for the XML of each ribbon by its ID; the callbacks named in that
// XML are then called by name through the IDispatch of the object that
// answered, with an IRibbonControl as their first argument.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace vx::win {

// {000C0396-0000-0000-C000-000000000046}, dual; GetCustomUI is DISPID 1.
inline constexpr IID IID_IRibbonExtensibility = {
    0x000C0396, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {000C0395-0000-0000-C000-000000000046}, dual; Id, Context, Tag are DISPIDs 1, 2, 3.
inline constexpr IID IID_IRibbonControl = {
    0x000C0395, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace ribbon_dispid {
inline constexpr DISPID kGetCustomUI = 1;
inline constexpr DISPID kId = 1;
inline constexpr DISPID kContext = 2;
inline constexpr DISPID kTag = 3;
}  // namespace ribbon_dispid

// COM interfaces have no virtual destructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
struct IRibbonExtensibility : public IDispatch {
  // The XML for that ribbon; S_OK with *RibbonXml null for "no customization".
  virtual HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR RibbonID, BSTR* RibbonXml) = 0;
};

struct IRibbonControl : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE get_Id(BSTR* Id) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Context(IDispatch** Context) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Tag(BSTR* Tag) = 0;
};
#pragma GCC diagnostic pop

}  // namespace vx::win
