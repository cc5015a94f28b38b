// The ActiveX control "Vellox.ctlVellox": the options page logic (ctlVellox)
// behind _ctlVellox, Outlook's PropertyPage, the event source __ctlVellox and
// the OLE control interfaces a container talks to.
#pragma once

#include <windows.h>

#include "platform/text.h"

namespace vx::win {

// Identities of the control library.
inline constexpr CLSID kClsidCtlVellox = {
    0x87B630C7, 0x02C3, 0x4ABE, {0x9C, 0xAF, 0xFA, 0x93, 0x1F, 0x12, 0x76, 0x5B}};
inline constexpr GUID kLibidVellox = {
    0xA827D05F, 0xC205, 0x4450, {0xA6, 0x3D, 0xBE, 0xBB, 0x40, 0xAC, 0x24, 0x1B}};
inline constexpr IID kIidCtlVellox = {
    0xCFA76581, 0x054C, 0x4F50, {0xB5, 0x56, 0xB0, 0x15, 0x42, 0xF1, 0x67, 0xD8}};
inline constexpr IID kDiidCtlVelloxEvents = {
    0x4BA24B0D, 0x34B7, 0x4C33, {0xA5, 0x43, 0xF7, 0x8D, 0x31, 0x3F, 0x96, 0xFF}};
inline constexpr TextView kCtlVelloxProgId = u"Vellox.ctlVellox";

// Outlook's.
inline constexpr IID kIidPropertyPage = {
    0x0006307E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidPropertyPageSite = {
    0x0006307F, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr CLSID kClsidOutlookApplication = {
    0x0006F03A, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// OLEMISC of the content aspect: set-client-site-first, activate-when-visible,
// inside-out, cannot-link-inside, recompose-on-resize.
inline constexpr DWORD kCtlVelloxMiscStatus = 0x00020191;

// The class factory's create function for ctlVellox.
HRESULT CreateCtlVellox(REFIID iid, void** out);

// Releases any Outlook application object still kept for a thread (the
// library is being unloaded).
void ReleaseOutlookApplications();

}  // namespace vx::win
