#include "tests/host/ribbon.h"

#include <set>

namespace vx::host {

// ---- XML ----

const std::wstring* XmlElement::Attribute(const std::wstring& qualifiedName) const {
  for (const auto& [written, value] : attributes) {
    if (written == qualifiedName) return &value;
  }
  return nullptr;
}

namespace {

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }
bool IsNameStart(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_' || c == L':' ||
         c >= 0xC0;
}
bool IsNameChar(wchar_t c) {
  return IsNameStart(c) || (c >= L'0' && c <= L'9') || c == L'-' || c == L'.' || c == 0xB7;
}

using Scope = std::vector<std::pair<std::wstring, std::wstring>>;  // prefix, URI; innermost last

class XmlReader {
 public:
  explicit XmlReader(const std::wstring& text) : s_(text) {}

  bool Document(XmlElement* root) {
    if (At(L"\xFEFF")) ++p_;
    if (At(L"<?xml") && p_ + 5 < s_.size() && IsSpace(s_[p_ + 5])) {
      if (!Skip(L"?>")) return Fail(L"unterminated XML declaration");
    }
    if (!Misc()) return false;
    if (At(L"<!DOCTYPE")) return Fail(L"document type declarations are not accepted");
    if (!At(L"<")) return Fail(L"no root element");
    Scope scope{{L"xml", L"http://www.w3.org/XML/1998/namespace"}};
    if (!Element(root, scope)) return false;
    if (!Misc()) return false;
    if (p_ != s_.size()) return Fail(L"content after the root element");
    return true;
  }

  std::wstring error;

 private:
  bool Fail(const std::wstring& what) {
    if (error.empty()) error = what + L" (at character " + std::to_wstring(p_) + L")";
    return false;
  }
  bool At(const wchar_t* lit) const { return s_.compare(p_, wcslen(lit), lit) == 0; }
  void Spaces() {
    while (p_ < s_.size() && IsSpace(s_[p_])) ++p_;
  }
  // Moves past the next occurrence of end; false when there is none.
  bool Skip(const wchar_t* end) {
    size_t at = s_.find(end, p_);
    if (at == std::wstring::npos) return false;
    p_ = at + wcslen(end);
    return true;
  }
  // Comments, processing instructions and white space between markup.
  bool Misc() {
    for (;;) {
      Spaces();
      if (At(L"<!--")) {
        if (!Comment()) return false;
      } else if (At(L"<?")) {
        if (!Skip(L"?>")) return Fail(L"unterminated processing instruction");
      } else {
        return true;
      }
    }
  }
  bool Comment() {
    p_ += 4;
    size_t end = s_.find(L"--", p_);
    if (end == std::wstring::npos) return Fail(L"unterminated comment");
    p_ = end;
    if (!At(L"-->")) return Fail(L"'--' inside a comment");
    p_ += 3;
    return true;
  }
  bool Name(std::wstring* out) {
    if (p_ >= s_.size() || !IsNameStart(s_[p_])) return Fail(L"a name expected");
    size_t from = p_;
    while (p_ < s_.size() && IsNameChar(s_[p_])) ++p_;
    out->assign(s_, from, p_ - from);
    return true;
  }
  // An entity or character reference at p_ ('&'), appended to out.
  bool Reference(std::wstring* out) {
    size_t end = s_.find(L';', p_);
    if (end == std::wstring::npos || end - p_ > 12) return Fail(L"'&' not starting a reference");
    std::wstring name = s_.substr(p_ + 1, end - p_ - 1);
    static const std::pair<const wchar_t*, wchar_t> kEntities[] = {
        {L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'}, {L"apos", L'\''}};
    for (const auto& [entity, c] : kEntities) {
      if (name == entity) {
        out->push_back(c);
        p_ = end + 1;
        return true;
      }
    }
    if (name.size() >= 2 && name[0] == L'#') {
      bool hex = name[1] == L'x';
      std::wstring digits = name.substr(hex ? 2 : 1);
      if (digits.empty() || digits.find_first_not_of(hex ? L"0123456789abcdefABCDEF" : L"0123456789") !=
                                std::wstring::npos) {
        return Fail(L"malformed character reference");
      }
      unsigned long code = std::wcstoul(digits.c_str(), nullptr, hex ? 16 : 10);
      if (code == 0 || code > 0x10FFFF || (code < 0x20 && code != 9 && code != 10 && code != 13)) {
        return Fail(L"character reference to a character XML does not allow");
      }
      if (code > 0xFFFF) {
        code -= 0x10000;
        out->push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
        out->push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
      } else {
        out->push_back(static_cast<wchar_t>(code));
      }
      p_ = end + 1;
      return true;
    }
    return Fail(L"unknown entity '&" + name + L";'");
  }
  // Resolves the prefix of a qualified name; false when it is not bound.
  bool Resolve(const std::wstring& qname, const Scope& scope, bool attribute, std::wstring* ns,
               std::wstring* local) {
    size_t colon = qname.find(L':');
    std::wstring prefix = colon == std::wstring::npos ? L"" : qname.substr(0, colon);
    *local = colon == std::wstring::npos ? qname : qname.substr(colon + 1);
    if (local->empty() || local->find(L':') != std::wstring::npos) {
      return Fail(L"malformed qualified name '" + qname + L"'");
    }
    ns->clear();
    if (prefix.empty() && attribute) return true;  // unprefixed attributes are in no namespace
    for (auto it = scope.rbegin(); it != scope.rend(); ++it) {
      if (it->first == prefix) {
        *ns = it->second;
        return true;
      }
    }
    if (prefix.empty()) return true;
    return Fail(L"unbound namespace prefix '" + prefix + L"'");
  }

  bool Element(XmlElement* e, Scope scope) {
    ++p_;  // '<'
    std::wstring qname;
    if (!Name(&qname)) return false;
    bool empty = false;
    std::vector<std::pair<std::wstring, std::wstring>> raw;
    for (;;) {
      bool spaced = p_ < s_.size() && IsSpace(s_[p_]);
      Spaces();
      if (p_ >= s_.size()) return Fail(L"unterminated start tag <" + qname + L">");
      if (At(L"/>")) {
        p_ += 2;
        empty = true;
        break;
      }
      if (At(L">")) {
        ++p_;
        break;
      }
      if (!spaced) return Fail(L"white space expected between attributes");
      std::wstring name, value;
      if (!Name(&name)) return false;
      Spaces();
      if (!At(L"=")) return Fail(L"'=' expected after attribute " + name);
      ++p_;
      Spaces();
      if (p_ >= s_.size() || (s_[p_] != L'"' && s_[p_] != L'\'')) {
        return Fail(L"attribute value not quoted");
      }
      wchar_t quote = s_[p_++];
      for (;;) {
        if (p_ >= s_.size()) return Fail(L"unterminated attribute value");
        wchar_t c = s_[p_];
        if (c == quote) break;
        if (c == L'<') return Fail(L"'<' in an attribute value");
        if (c == L'&') {
          if (!Reference(&value)) return false;
          continue;
        }
        value.push_back(IsSpace(c) ? L' ' : c);
        ++p_;
      }
      ++p_;
      for (const auto& [known, unused] : raw) {
        if (known == name) return Fail(L"attribute " + name + L" given twice");
      }
      raw.emplace_back(name, value);
    }
    // Namespace declarations first, then the names they bind.
    for (const auto& [name, value] : raw) {
      if (name == L"xmlns") {
        scope.emplace_back(L"", value);
      } else if (name.starts_with(L"xmlns:")) {
        if (value.empty()) return Fail(L"empty namespace for prefix " + name.substr(6));
        scope.emplace_back(name.substr(6), value);
      }
    }
    if (!Resolve(qname, scope, false, &e->ns, &e->name)) return false;
    std::set<std::pair<std::wstring, std::wstring>> expanded;
    for (const auto& [name, value] : raw) {
      if (name == L"xmlns" || name.starts_with(L"xmlns:")) continue;
      std::wstring ns, local;
      if (!Resolve(name, scope, true, &ns, &local)) return false;
      if (!expanded.emplace(ns, local).second) return Fail(L"attribute " + name + L" given twice");
      e->attributes.emplace_back(name, value);
    }
    if (empty) return true;
    // Content up to the matching end tag.
    for (;;) {
      if (p_ >= s_.size()) return Fail(L"<" + qname + L"> not closed");
      if (At(L"</")) {
        p_ += 2;
        std::wstring end;
        if (!Name(&end)) return false;
        if (end != qname) return Fail(L"</" + end + L"> closes <" + qname + L">");
        Spaces();
        if (!At(L">")) return Fail(L"'>' expected in end tag");
        ++p_;
        return true;
      }
      if (At(L"<!--")) {
        if (!Comment()) return false;
      } else if (At(L"<![CDATA[")) {
        if (!Skip(L"]]>")) return Fail(L"unterminated CDATA section");
      } else if (At(L"<?")) {
        if (!Skip(L"?>")) return Fail(L"unterminated processing instruction");
      } else if (At(L"<")) {
        e->children.emplace_back();
        if (!Element(&e->children.back(), scope)) return false;
      } else if (At(L"&")) {
        std::wstring ignored;
        if (!Reference(&ignored)) return false;
      } else {
        if (At(L"]]>")) return Fail(L"']]>' in text");
        ++p_;
      }
    }
  }

  const std::wstring& s_;
  size_t p_ = 0;
};

}  // namespace

bool ReadXml(const std::wstring& text, XmlElement* root, std::wstring* error) {
  XmlReader reader(text);
  *root = XmlElement{};
  bool ok = reader.Document(root);
  if (error) *error = reader.error;
  return ok;
}

// ---- customUI documents ----

const RibbonControlDef* RibbonDocument::Find(const std::wstring& id) const {
  for (const RibbonControlDef& c : controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

namespace {

std::wstring Attr(const XmlElement& e, const wchar_t* name) {
  const std::wstring* v = e.Attribute(name);
  return v ? *v : L"";
}

bool IsControl(const std::wstring& name) {
  for (const wchar_t* kind : {L"button", L"toggleButton", L"checkBox", L"control"}) {
    if (name == kind) return true;
  }
  return false;
}

// The controls under a group or a context menu (menus looked into).
void Controls(const XmlElement& parent, const RibbonControlDef& where,
              std::vector<RibbonControlDef>* out) {
  for (const XmlElement& child : parent.children) {
    if (child.name == L"menu") {
      Controls(child, where, out);
      continue;
    }
    if (!IsControl(child.name)) continue;
    RibbonControlDef c = where;
    c.kind = child.name;
    c.id = Attr(child, L"id");
    c.label = Attr(child, L"label");
    c.onAction = Attr(child, L"onAction");
    c.tag = Attr(child, L"tag");
    c.screentip = Attr(child, L"screentip");
    c.keytip = Attr(child, L"keytip");
    c.imageMso = Attr(child, L"imageMso");
    c.size = Attr(child, L"size");
    out->push_back(std::move(c));
  }
}

// Attribute rules the host checks itself: unique ids, text lengths. The
// first breach found, or "".
std::wstring Breach(const XmlElement& e, std::set<std::wstring>* ids) {
  for (const auto& [name, value] : e.attributes) {
    if (name == L"id" || name == L"idQ") {
      if (value.empty() || value.size() > 1024) return L"<" + e.name + L"> " + name + L" of bad length";
      if (!ids->insert(value).second) return L"id \"" + value + L"\" used twice";
    } else if (name == L"keytip") {
      if (value.empty() || value.size() > 3) return L"keytip \"" + value + L"\" not 1 to 3 characters";
    } else if (name == L"label" || name == L"screentip") {
      if (value.empty() || value.size() > 1024) return L"<" + e.name + L"> " + name + L" of bad length";
    }
  }
  for (const XmlElement& child : e.children) {
    std::wstring found = Breach(child, ids);
    if (!found.empty()) return found;
  }
  return L"";
}

bool AllIn(const XmlElement& e, const std::wstring& ns) {
  if (e.ns != ns) return false;
  for (const XmlElement& child : e.children) {
    if (!AllIn(child, ns)) return false;
  }
  return true;
}

}  // namespace

void ReadRibbonDocument(int major, RibbonDocument* doc) {
  doc->controls.clear();
  doc->refused.clear();
  doc->ns.clear();
  doc->null = doc->xml.empty();
  if (doc->null) return;
  XmlElement root;
  std::wstring error;
  if (!ReadXml(doc->xml, &root, &error)) {
    doc->refused = L"not well-formed: " + error;
    return;
  }
  doc->ns = root.ns;
  bool known = root.ns == kCustomUi2006 || (major >= 14 && root.ns == kCustomUi2009);
  if (major < 12 || !known) {
    doc->refused = L"namespace \"" + root.ns + L"\" is not loaded by version " + std::to_wstring(major);
    return;
  }
  if (root.name != L"customUI") {
    doc->refused = L"root element <" + root.name + L"> is not <customUI>";
    return;
  }
  if (!AllIn(root, root.ns)) {
    doc->refused = L"elements outside the customUI namespace";
    return;
  }
  std::set<std::wstring> ids;
  std::wstring breach = Breach(root, &ids);
  if (!breach.empty()) {
    doc->refused = breach;
    return;
  }
  std::vector<RibbonControlDef> found;
  for (const XmlElement& part : root.children) {
    if (part.name == L"ribbon") {
      for (const XmlElement& tabs : part.children) {
        if (tabs.name != L"tabs") continue;
        for (const XmlElement& tab : tabs.children) {
          if (tab.name != L"tab") continue;
          RibbonControlDef where;
          where.place = tab.Attribute(L"idMso") ? Attr(tab, L"idMso") : Attr(tab, L"id");
          for (const XmlElement& group : tab.children) {
            if (group.name != L"group") continue;
            where.group = Attr(group, L"id");
            Controls(group, where, &found);
          }
        }
      }
    } else if (part.name == L"contextMenus") {
      if (root.ns != kCustomUi2009) {
        doc->refused = L"<contextMenus> exists only in " + std::wstring(kCustomUi2009);
        return;
      }
      for (const XmlElement& menu : part.children) {
        if (menu.name != L"contextMenu") continue;
        RibbonControlDef where;
        where.place = Attr(menu, L"idMso");
        where.contextMenu = true;
        Controls(menu, where, &found);
      }
    }
  }
  for (const RibbonControlDef& c : found) {
    if (c.id.empty()) {
      doc->refused = L"a <" + c.kind + L"> without id in " + c.place;
      return;
    }
  }
  doc->controls = std::move(found);
}

// ---- IRibbonControl ----

RibbonControlObj::RibbonControlObj(Tracker& t, std::wstring id, std::wstring tag,
                                   IDispatch* context)
    : ObjectBase(t, L"IRibbonControl '" + id + L"'"),
      id_(std::move(id)),
      tag_(std::move(tag)),
      context_(context) {}

HRESULT RibbonControlObj::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDispatch && riid != vx::win::IID_IRibbonControl) {
    return E_NOINTERFACE;
  }
  *ppv = static_cast<vx::win::IRibbonControl*>(this);
  CountAddRef();
  return S_OK;
}

HRESULT RibbonControlObj::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT RibbonControlObj::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT RibbonControlObj::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                        DISPID* ids) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (!names || !ids || count == 0) return E_INVALIDARG;
  static const std::pair<const wchar_t*, DISPID> kMembers[] = {
      {L"Id", 1}, {L"Context", 2}, {L"Tag", 3}};
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  for (const auto& [member, dispid] : kMembers) {
    if (names[0] && lstrcmpiW(names[0], member) == 0) ids[0] = dispid;
  }
  return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

HRESULT RibbonControlObj::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO*, UINT*) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (id < 1 || id > 3) return DISP_E_MEMBERNOTFOUND;
  if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
  if (params && params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
  if (!result) return S_OK;
  VariantInit(result);
  if (id == 2) {
    V_VT(result) = VT_DISPATCH;
    return get_Context(&V_DISPATCH(result));
  }
  V_VT(result) = VT_BSTR;
  return id == 1 ? get_Id(&V_BSTR(result)) : get_Tag(&V_BSTR(result));
}

HRESULT RibbonControlObj::get_Id(BSTR* v) { return OutText(id_, v); }
HRESULT RibbonControlObj::get_Context(IDispatch** v) { return Out(context_, v); }
HRESULT RibbonControlObj::get_Tag(BSTR* v) { return OutText(tag_, v); }

}  // namespace vx::host
