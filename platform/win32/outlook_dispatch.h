// The Outlook and Office object model of platform/outlook.h over IDispatch:
// every member is reached by name (DispatchObject), every event through a
// connection-point subscription with Outlook's and Office's source
// interfaces and DISPIDs (Subscribe).
//
// Each adapter holds one reference to its host object and releases it when
// the last shared_ptr copy goes.
#pragma once

#include <memory>

#include "platform/outlook.h"
#include "platform/win32/com.h"

namespace vx::win {

// Outlook's and Office's source interfaces.
inline constexpr IID DIID_ApplicationEvents = {
    0x0006304E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID DIID_NameSpaceEvents = {
    0x0006308C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID DIID_InspectorsEvents = {
    0x00063079, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID DIID_InspectorEvents = {
    0x0006307D, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID DIID_ExplorerEvents = {
    0x0006304F, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID DIID_CommandBarButtonEvents = {
    0x000C0351, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Their DISPIDs.
namespace dispid {
inline constexpr DISPID kOptionsPagesAdd = 0xF005;  // NameSpaceEvents (Pages, Folder)
inline constexpr DISPID kNewInspector = 0xF001;     // InspectorsEvents (Inspector)
inline constexpr DISPID kFolderSwitch = 0xF002;     // ExplorerEvents
inline constexpr DISPID kExplorerClose = 0xF008;    // ExplorerEvents
inline constexpr DISPID kInspectorClose = 0xF008;   // InspectorEvents
inline constexpr DISPID kClick = 0x1;               // _CommandBarButtonEvents (Ctrl, CancelDefault)
}  // namespace dispid

// Outlook's application object; empty for null.
std::shared_ptr<ol::Application> WrapApplication(IDispatch* application);

// Single objects of the model, for callers that start below the
// application (and for tests); empty for null.
std::shared_ptr<ol::Item> WrapItem(IDispatch* item);
std::shared_ptr<ol::CommandBarControls> WrapCommandBarControls(IDispatch* controls);
std::shared_ptr<ol::CommandBarButton> WrapCommandBarButton(IDispatch* button);
std::shared_ptr<ol::COMAddIns> WrapCOMAddIns(IDispatch* addIns);
std::shared_ptr<ol::COMAddIn> WrapCOMAddIn(IDispatch* addIn);
// A host object of a kind told by its Class (a ribbon control's Context).
std::shared_ptr<ol::Object> WrapObject(IDispatch* object);

// Any automation object, to be called by name or published as a COM add-in's
// Object; empty for null.
std::shared_ptr<ol::Automation> WrapAutomation(IDispatch* object);

// The object behind an Automation made by WrapAutomation (or read from a
// COMAddIn's Object); null for any other implementation.
IDispatch* DispatchOf(const ol::Automation& object);

}  // namespace vx::win
