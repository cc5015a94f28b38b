// Office's side of the ribbon in the substitute Outlook: a small XML reader,
// the reading of an add-in's customUI document as an Outlook of a given
// version would load it, and the IRibbonControl handed to a callback.
//
// The reader checks what makes a document well-formed (one root, nested and
// matching tags, quoted and unique attributes, known entities, bound
// namespace prefixes) and keeps elements and attributes; text content is
// checked and dropped. Full schema validation is not its business.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/win32/ribbon.h"
#include "tests/host/com_object.h"

namespace vx::host {

inline constexpr wchar_t kCustomUi2006[] = L"http://schemas.microsoft.com/office/2006/01/customui";
inline constexpr wchar_t kCustomUi2009[] = L"http://schemas.microsoft.com/office/2009/07/customui";

struct XmlElement {
  std::wstring ns;    // namespace URI ("" for none)
  std::wstring name;  // local name
  // Attributes other than namespace declarations, by qualified name as
  // written, values with entities replaced.
  std::vector<std::pair<std::wstring, std::wstring>> attributes;
  std::vector<XmlElement> children;

  const std::wstring* Attribute(const std::wstring& qualifiedName) const;
};

// Reads a whole document. False, with what is wrong and where, when it is not
// well-formed.
bool ReadXml(const std::wstring& text, XmlElement* root, std::wstring* error);

// A control an add-in's document puts on a ribbon tab or into a context menu.
struct RibbonControlDef {
  std::wstring place;  // idMso (or id) of the tab or context menu
  bool contextMenu = false;
  std::wstring group;  // id of its group; "" in a context menu
  std::wstring kind;   // element name: "button", ...
  std::wstring id, label, onAction, tag, screentip, keytip, imageMso, size;
};

// One answer of an add-in's GetCustomUI, as Outlook read it.
struct RibbonDocument {
  std::wstring ribbonId;
  HRESULT result = S_FALSE;  // GetCustomUI's
  bool null = true;          // no document (NULL or empty)
  std::wstring xml;
  std::wstring ns;           // of the root element
  std::wstring refused;      // why it is not loaded; "" when it is (or there is none)
  std::vector<RibbonControlDef> controls;  // of a loaded document, in document order
  double ms = 0;             // how long GetCustomUI took

  const RibbonControlDef* Find(const std::wstring& id) const;
};

// Reads xml as Outlook with that major version loads a customUI document:
// well-formed, root customUI in a namespace the version accepts (2006/01 at
// 12; 2006/01 or 2009/07 from 14 on), every element in that namespace, ids
// unique, <contextMenus> only in 2009/07. Fills ns, refused and controls.
void ReadRibbonDocument(int major, RibbonDocument* doc);

// The control Office passes to a callback: Id and Tag from the document,
// Context the window or selection it was used in (not held: host objects
// live as long as the host). Served through its vtable and by name
// (Id 1, Context 2, Tag 3).
class RibbonControlObj : public vx::win::IRibbonControl, public ObjectBase {
 public:
  RibbonControlObj(Tracker& t, std::wstring id, std::wstring tag, IDispatch* context);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return CountAddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return CountRelease(); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override;
  HRESULT STDMETHODCALLTYPE get_Id(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE get_Context(IDispatch** v) override;
  HRESULT STDMETHODCALLTYPE get_Tag(BSTR* v) override;

 private:
  std::wstring id_, tag_;
  IDispatch* context_;
};

}  // namespace vx::host
