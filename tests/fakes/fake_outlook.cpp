#include "tests/fakes/fake_outlook.h"

#include <algorithm>
#include <set>
#include <stdexcept>

#include "platform/failure.h"

namespace vx::fake {

namespace {

const std::set<std::string>& KnownOperations() {
  static const std::set<std::string> known = {
      "Application.Explorers",       "Application.Inspectors",       "Application.GetNamespace",
      "Application.ActiveExplorer",  "Application.ActiveInspector",  "Application.COMAddIns",
      "Application.Advise",          "Explorers.Count",              "Explorers.Advise",
      "Inspectors.Count",
      "Inspectors.Item",             "Inspectors.Advise",            "NameSpace.Advise",
      "Explorer.CommandBars",        "Explorer.CurrentFolder",       "Explorer.Selection",
      "Explorer.Advise",             "Inspector.CommandBars",        "Inspector.CurrentItem",
      "Inspector.Advise",            "Selection.Count",              "Selection.Item",
      "Folder.DefaultItemType",      "CommandBars.Item",
      "CommandBar.Controls",         "CommandBar.FindControl",       "CommandBarControls.Item",
      "CommandBarControls.Add",      "CommandBarButton.Id",          "CommandBarButton.SetCaption",
      "CommandBarButton.SetTooltipText", "CommandBarButton.SetVisible", "CommandBarButton.Advise",
      "PropertyPages.Add",           "COMAddIns.Item",               "COMAddIn.Object",
      "COMAddIn.SetObject",          "Application.Version",          "Object.Class",
      "Inspector.Application",
  };
  return known;
}

template <class T>
T* LastOpen(const std::vector<std::shared_ptr<T>>& windows) {
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if ((*it)->open()) return it->get();
  }
  return nullptr;
}

}  // namespace

void OutlookState::Check(const char* operation) const {
  auto it = failures.find(operation);
  if (it != failures.end()) Raise(it->second);
}

// ---- command bars ----

FakeButton::FakeButton(std::shared_ptr<OutlookState> state, int32_t type, int32_t id, bool temporary)
    : FakeObject(std::move(state)), type_(type), id_(id), temporary_(temporary), click_(state_) {}

int32_t FakeButton::Id() {
  Check("CommandBarButton.Id");
  return id_;
}

void FakeButton::SetCaption(const Text& caption) {
  Check("CommandBarButton.SetCaption");
  caption_ = caption;
}

void FakeButton::SetTooltipText(const Text& text) {
  Check("CommandBarButton.SetTooltipText");
  tooltip_ = text;
}

void FakeButton::SetVisible(bool visible) {
  Check("CommandBarButton.SetVisible");
  visible_ = visible;
}

ol::ConnectionPtr FakeButton::Advise(ol::CommandBarButtonEvents& sink) {
  Check("CommandBarButton.Advise");
  return click_.Advise(sink);
}

bool FakeButton::Click() {
  bool cancelDefault = false;
  auto self = HandSelf<ol::CommandBarButton>(*this);
  click_.Raise([&](ol::CommandBarButtonEvents& sink) { sink.Click(self, cancelDefault); });
  return cancelDefault;
}

std::shared_ptr<ol::CommandBarButton> FakeControls::Item(const Text& caption) {
  Check("CommandBarControls.Item");
  for (const auto& button : bar_.buttons_) {
    if (button->caption() == caption) return state_->Hand<ol::CommandBarButton>(button);
  }
  Raise(fail::kInvalidArgument);
}

std::shared_ptr<ol::CommandBarButton> FakeControls::Add(int32_t type, bool temporary) {
  Check("CommandBarControls.Add");
  auto button = std::make_shared<FakeButton>(state_, type, FakeCommandBar::kCustomId, temporary);
  bar_.buttons_.push_back(button);
  return state_->Hand<ol::CommandBarButton>(button);
}

FakeCommandBar::FakeCommandBar(std::shared_ptr<OutlookState> state, Text name)
    : FakeObject(std::move(state)), name_(std::move(name)) {
  controls_ = std::make_shared<FakeControls>(state_, *this);
}

std::shared_ptr<ol::CommandBarControls> FakeCommandBar::Controls() {
  Check("CommandBar.Controls");
  return state_->Hand<ol::CommandBarControls>(controls_);
}

std::shared_ptr<ol::CommandBarButton> FakeCommandBar::FindControl(int32_t type, int32_t id) {
  Check("CommandBar.FindControl");
  for (const auto& button : buttons_) {
    if (button->type() == type && button->id() == id) {
      return state_->Hand<ol::CommandBarButton>(button);
    }
  }
  return nullptr;
}

std::vector<FakeButton*> FakeCommandBar::Captioned(const Text& caption) const {
  std::vector<FakeButton*> found;
  for (const auto& button : buttons_) {
    if (button->caption() == caption) found.push_back(button.get());
  }
  return found;
}

FakeButton& FakeCommandBar::Put(int32_t type, int32_t id, const Text& caption) {
  auto button = std::make_shared<FakeButton>(state_, type, id, false);
  button->SetCaption(caption);
  buttons_.push_back(button);
  return *button;
}

void FakeCommandBar::Remove(FakeButton& button) {
  TakeOff([&](const FakeButton& b) { return &b == &button; });
}

void FakeCommandBar::DiscardTemporary() {
  TakeOff([](const FakeButton& b) { return b.temporary(); });
}

void FakeCommandBar::TakeOff(const std::function<bool(const FakeButton&)>& which) {
  auto kept = std::stable_partition(buttons_.begin(), buttons_.end(),
                                    [&](const auto& b) { return !which(*b); });
  gone_.insert(gone_.end(), kept, buttons_.end());
  buttons_.erase(kept, buttons_.end());
}

FakeCommandBars::FakeCommandBars(std::shared_ptr<OutlookState> state)
    : FakeObject(std::move(state)) {
  standard_ = std::make_shared<FakeCommandBar>(state_, u"Standard");
}

std::shared_ptr<ol::CommandBar> FakeCommandBars::Item(const Text& name) {
  Check("CommandBars.Item");
  if (name != standard_->name()) Raise(fail::kInvalidArgument);
  return state_->Hand<ol::CommandBar>(standard_);
}

// ---- Outlook ----

int32_t FakeFolder::DefaultItemType() {
  Check("Folder.DefaultItemType");
  return type_;
}

int32_t FakeSelection::Count() {
  Check("Selection.Count");
  return static_cast<int32_t>(items_.size());
}

std::shared_ptr<ol::Item> FakeSelection::Item(int32_t index) {
  Check("Selection.Item");
  if (index < 1 || index > static_cast<int32_t>(items_.size())) Raise(fail::kInvalidArgument);
  return state_->Hand(items_[static_cast<size_t>(index - 1)]);
}

FakeExplorer::FakeExplorer(std::shared_ptr<OutlookState> state, std::shared_ptr<FakeFolder> folder)
    : FakeObject(std::move(state)),
      bars_(std::make_shared<FakeCommandBars>(state_)),
      folder_(std::move(folder)),
      events_(state_) {}

std::shared_ptr<ol::CommandBars> FakeExplorer::CommandBars() {
  Check("Explorer.CommandBars");
  return state_->Hand<ol::CommandBars>(bars_);
}

std::shared_ptr<ol::Folder> FakeExplorer::CurrentFolder() {
  Check("Explorer.CurrentFolder");
  return state_->Hand<ol::Folder>(folder_);
}

std::shared_ptr<ol::Selection> FakeExplorer::Selection() {
  Check("Explorer.Selection");
  return state_->Hand<ol::Selection>(std::make_shared<FakeSelection>(state_, selection_));
}

ol::ConnectionPtr FakeExplorer::Advise(ol::ExplorerEvents& sink) {
  Check("Explorer.Advise");
  return events_.Advise(sink);
}

FakeInspector::FakeInspector(std::shared_ptr<OutlookState> state, std::shared_ptr<ol::Item> item)
    : FakeObject(std::move(state)),
      bars_(std::make_shared<FakeCommandBars>(state_)),
      item_(std::move(item)),
      events_(state_) {}

std::shared_ptr<ol::CommandBars> FakeInspector::CommandBars() {
  Check("Inspector.CommandBars");
  return state_->Hand<ol::CommandBars>(bars_);
}

std::shared_ptr<ol::Item> FakeInspector::CurrentItem() {
  Check("Inspector.CurrentItem");
  return state_->Hand(item_);
}

std::shared_ptr<ol::Application> FakeInspector::Application() {
  Check("Inspector.Application");
  return state_->Hand(application_.lock());
}

// Every handout of a window points at the window itself.
bool FakeInspector::Is(ol::Inspector& other) {
  return &other == static_cast<ol::Inspector*>(this);
}

ol::ConnectionPtr FakeInspector::Advise(ol::InspectorEvents& sink) {
  Check("Inspector.Advise");
  return events_.Advise(sink);
}

int32_t FakeExplorers::Count() {
  Check("Explorers.Count");
  return static_cast<int32_t>(outlook_.openExplorers().size());
}

ol::ConnectionPtr FakeExplorers::Advise(ol::ExplorersEvents& sink) {
  Check("Explorers.Advise");
  return events_.Advise(sink);
}

int32_t FakeInspectors::Count() {
  Check("Inspectors.Count");
  return static_cast<int32_t>(outlook_.openInspectors().size());
}

std::shared_ptr<ol::Inspector> FakeInspectors::Item(int32_t index) {
  Check("Inspectors.Item");
  auto open = outlook_.openInspectors();
  if (index < 1 || index > static_cast<int32_t>(open.size())) Raise(fail::kSubscriptOutOfRange);
  FakeInspector* window = open[static_cast<size_t>(index - 1)];
  return state_->Hand<ol::Inspector>(std::static_pointer_cast<FakeInspector>(window->shared_from_this()));
}

ol::ConnectionPtr FakeInspectors::Advise(ol::InspectorsEvents& sink) {
  Check("Inspectors.Advise");
  return events_.Advise(sink);
}

ol::ConnectionPtr FakeNameSpace::Advise(ol::NameSpaceEvents& sink) {
  Check("NameSpace.Advise");
  return events_.Advise(sink);
}

void FakePropertyPages::Add(const Text& page, const Text& title) {
  Check("PropertyPages.Add");
  added_.push_back({page, title});
}

std::shared_ptr<ol::Automation> FakeCOMAddIn::Object() {
  Check("COMAddIn.Object");
  return object_;
}

void FakeCOMAddIn::SetObject(const std::shared_ptr<ol::Automation>& object) {
  Check("COMAddIn.SetObject");
  object_ = object;
}

std::shared_ptr<ol::COMAddIn> FakeCOMAddIns::Item(const Text& progId) {
  Check("COMAddIns.Item");
  for (const auto& entry : entries_) {
    if (entry->listed() && entry->progId() == progId) return state_->Hand<ol::COMAddIn>(entry);
  }
  Raise(fail::kInvalidArgument);
}

int32_t FakeContext::Class() {
  Check("Object.Class");
  return class_;
}

Text FakeApplication::Version() {
  Check("Application.Version");
  return outlook_.version;
}

std::shared_ptr<ol::Explorers> FakeApplication::Explorers() {
  Check("Application.Explorers");
  return state_->Hand<ol::Explorers>(outlook_.explorers_);
}

std::shared_ptr<ol::Inspectors> FakeApplication::Inspectors() {
  Check("Application.Inspectors");
  return state_->Hand<ol::Inspectors>(outlook_.inspectors_);
}

std::shared_ptr<ol::NameSpace> FakeApplication::GetNamespace(const Text& type) {
  Check("Application.GetNamespace");
  if (type != u"MAPI") Raise(fail::kInvalidArgument);
  return state_->Hand<ol::NameSpace>(outlook_.namespace_);
}

std::shared_ptr<ol::Explorer> FakeApplication::ActiveExplorer() {
  Check("Application.ActiveExplorer");
  for (auto it = outlook_.explorerWindows_.rbegin(); it != outlook_.explorerWindows_.rend(); ++it) {
    if ((*it)->open()) return state_->Hand<ol::Explorer>(*it);
  }
  return nullptr;
}

std::shared_ptr<ol::Inspector> FakeApplication::ActiveInspector() {
  Check("Application.ActiveInspector");
  for (auto it = outlook_.inspectorWindows_.rbegin(); it != outlook_.inspectorWindows_.rend();
       ++it) {
    if ((*it)->open()) return state_->Hand<ol::Inspector>(*it);
  }
  return nullptr;
}

std::shared_ptr<ol::COMAddIns> FakeApplication::COMAddIns() {
  Check("Application.COMAddIns");
  return state_->Hand<ol::COMAddIns>(outlook_.addins_);
}

ol::ConnectionPtr FakeApplication::Advise(ol::ApplicationEvents& sink) {
  Check("Application.Advise");
  return events_.Advise(sink);
}

// ---- the host ----

FakeOutlook::FakeOutlook() : state_(std::make_shared<OutlookState>()) {
  application_ = std::make_shared<FakeApplication>(state_, *this);
  namespace_ = std::make_shared<FakeNameSpace>(state_);
  explorers_ = std::make_shared<FakeExplorers>(state_, *this);
  inspectors_ = std::make_shared<FakeInspectors>(state_, *this);
  addins_ = std::make_shared<FakeCOMAddIns>(state_);
}

FakeOutlook::~FakeOutlook() = default;

std::shared_ptr<ol::Application> FakeOutlook::Application() {
  return state_->Hand<ol::Application>(application_);
}

FakeFolder& FakeOutlook::AddFolder(const Text& name, int32_t defaultItemType) {
  folders_.push_back(std::make_shared<FakeFolder>(state_, name, defaultItemType));
  return *folders_.back();
}

FakeExplorer& FakeOutlook::OpenExplorer(FakeFolder& folder) {
  auto shown = std::static_pointer_cast<FakeFolder>(folder.shared_from_this());
  explorerWindows_.push_back(std::make_shared<FakeExplorer>(state_, shown));
  auto window = explorerWindows_.back();
  window->window_ = 0x10000 + 0x10 * static_cast<intptr_t>(explorerWindows_.size());
  auto handout = state_->Hand<ol::Explorer>(window);
  explorers_->events_.Raise([&](ol::ExplorersEvents& sink) { sink.NewExplorer(handout); });
  return *window;
}

void FakeOutlook::SwitchFolder(FakeExplorer& explorer, FakeFolder& folder) {
  explorer.folder_ = std::static_pointer_cast<FakeFolder>(folder.shared_from_this());
  explorer.selection_.clear();
  explorer.events_.Raise([](ol::ExplorerEvents& sink) { sink.FolderSwitch(); });
}

void FakeOutlook::Select(FakeExplorer& explorer, std::vector<std::shared_ptr<ol::Item>> items) {
  explorer.selection_ = std::move(items);
}

void FakeOutlook::CloseExplorer(FakeExplorer& explorer) {
  explorer.open_ = false;
  explorer.Standard().DiscardTemporary();
  // The window is still alive while its Close event runs.
  auto keep = explorer.shared_from_this();
  explorer.events_.Raise([](ol::ExplorerEvents& sink) { sink.Close(); });
}

FakeInspector& FakeOutlook::OpenInspector(std::shared_ptr<ol::Item> item) {
  inspectorWindows_.push_back(std::make_shared<FakeInspector>(state_, std::move(item)));
  auto window = inspectorWindows_.back();
  window->application_ = application_;
  auto handout = state_->Hand<ol::Inspector>(window);
  inspectors_->events_.Raise([&](ol::InspectorsEvents& sink) { sink.NewInspector(handout); });
  return *window;
}

void FakeOutlook::CloseInspector(FakeInspector& inspector) {
  auto keep = inspector.shared_from_this();
  inspector.events_.Raise([](ol::InspectorEvents& sink) { sink.Close(); });
  inspector.open_ = false;
  inspector.Standard().DiscardTemporary();
}

FakePropertyPages& FakeOutlook::OpenFolderProperties(FakeFolder& folder) {
  pages_.push_back(std::make_shared<FakePropertyPages>(state_));
  auto pages = state_->Hand<ol::PropertyPages>(pages_.back());
  auto shown = state_->Hand<ol::Folder>(std::static_pointer_cast<FakeFolder>(folder.shared_from_this()));
  namespace_->events_.Raise(
      [&](ol::NameSpaceEvents& sink) { sink.OptionsPagesAdd(pages, shown); });
  return *pages_.back();
}

FakeCOMAddIn& FakeOutlook::AddCOMAddIn(const Text& progId) {
  addins_->entries_.push_back(std::make_shared<FakeCOMAddIn>(state_, progId));
  return *addins_->entries_.back();
}

std::shared_ptr<ol::COMAddIn> FakeOutlook::AddInInst(FakeCOMAddIn& entry) {
  return state_->Hand<ol::COMAddIn>(std::static_pointer_cast<FakeCOMAddIn>(entry.shared_from_this()));
}

std::shared_ptr<ol::Object> FakeOutlook::RibbonContext(FakeExplorer& explorer) {
  auto window = std::static_pointer_cast<FakeExplorer>(explorer.shared_from_this());
  return state_->Hand<ol::Object>(
      std::make_shared<FakeContext>(state_, ol::kClassExplorer, window, nullptr, nullptr));
}

std::shared_ptr<ol::Object> FakeOutlook::RibbonContext(FakeInspector& inspector) {
  auto window = std::static_pointer_cast<FakeInspector>(inspector.shared_from_this());
  return state_->Hand<ol::Object>(
      std::make_shared<FakeContext>(state_, ol::kClassInspector, nullptr, window, nullptr));
}

std::shared_ptr<ol::Object> FakeOutlook::RibbonContext(std::vector<std::shared_ptr<ol::Item>> selection) {
  auto items = std::make_shared<FakeSelection>(state_, std::move(selection));
  return state_->Hand<ol::Object>(
      std::make_shared<FakeContext>(state_, ol::kClassSelection, nullptr, nullptr, items));
}

std::shared_ptr<ol::Object> FakeOutlook::OtherContext(int32_t objectClass) {
  return state_->Hand<ol::Object>(
      std::make_shared<FakeContext>(state_, objectClass, nullptr, nullptr, nullptr));
}

void FakeOutlook::FailOn(const std::string& operation, int32_t number) {
  if (!KnownOperations().count(operation)) {
    throw std::invalid_argument("no such operation in the fake host: " + operation);
  }
  state_->failures[operation] = number;
}

void FakeOutlook::Heal(const std::string& operation) { state_->failures.erase(operation); }

std::vector<FakeExplorer*> FakeOutlook::openExplorers() const {
  std::vector<FakeExplorer*> open;
  for (const auto& e : explorerWindows_) {
    if (e->open()) open.push_back(e.get());
  }
  return open;
}

std::vector<FakeInspector*> FakeOutlook::openInspectors() const {
  std::vector<FakeInspector*> open;
  for (const auto& i : inspectorWindows_) {
    if (i->open()) open.push_back(i.get());
  }
  return open;
}

FakeExplorer* FakeOutlook::activeExplorer() const { return LastOpen(explorerWindows_); }
FakeInspector* FakeOutlook::activeInspector() const { return LastOpen(inspectorWindows_); }

}  // namespace vx::fake
