#include "addin/clsVellox.h"

namespace vx {

// The event sinks of clsVellox: each forwards one source's events to the
// handler named after the member that holds the source.
struct clsVellox::Sinks {
  struct Application : ol::ApplicationEvents {};
  struct NameSpace : ol::NameSpaceEvents {
    clsVellox& o;
    explicit NameSpace(clsVellox& owner) : o(owner) {}
    void OptionsPagesAdd(const std::shared_ptr<ol::PropertyPages>& pages,
                         const std::shared_ptr<ol::Folder>& folder) override {
      o.myOLNS_OptionsPagesAdd(pages, folder);
    }
  };
  struct Inspectors : ol::InspectorsEvents {
    clsVellox& o;
    explicit Inspectors(clsVellox& owner) : o(owner) {}
    void NewInspector(const std::shared_ptr<ol::Inspector>& inspector) override {
      o.myOLInsp_NewInspector(inspector);
    }
  };
  struct Explorer : ol::ExplorerEvents {
    clsVellox& o;
    explicit Explorer(clsVellox& owner) : o(owner) {}
    void FolderSwitch() override { o.myOlExp_FolderSwitch(); }
    void Close() override { o.myOlExp_Close(); }
  };
  struct InspButton : ol::CommandBarButtonEvents {
    clsVellox& o;
    explicit InspButton(clsVellox& owner) : o(owner) {}
    void Click(const std::shared_ptr<ol::CommandBarButton>& ctrl, bool& cancel) override {
      o.myOLInspButton_Click(ctrl, cancel);
    }
  };
  struct ExpButton : ol::CommandBarButtonEvents {
    clsVellox& o;
    explicit ExpButton(clsVellox& owner) : o(owner) {}
    void Click(const std::shared_ptr<ol::CommandBarButton>& ctrl, bool& cancel) override {
      o.myOLExpButton_Click(ctrl, cancel);
    }
  };

  explicit Sinks(clsVellox& o) : ns(o), insp(o), exp(o), inspButton(o), expButton(o) {}
  Application app;
  NameSpace ns;
  Inspectors insp;
  Explorer exp;
  InspButton inspButton;
  ExpButton expButton;
};

clsVellox::clsVellox(mdlAllgemein& module)
    : module_(module),
      sinks_(std::make_unique<Sinks>(*this)),
      objOutlook(sinks_->app),
      myOLNS(sinks_->ns),
      myOLInsp(sinks_->insp),
      myOLInspButton(sinks_->inspButton),
      myOlExp(sinks_->exp),
      myOLExpButton(sinks_->expButton) {}

clsVellox::~clsVellox() = default;

// ---- wiring (InitOutlookEvents, handlers, ReleaseOutlookEvents) ----
// TODO(wiring): the event wiring goes here.
void clsVellox::InitOutlookEvents(const std::shared_ptr<ol::Application>&) {}
void clsVellox::ReleaseOutlookEvents() {}
void clsVellox::myOLInsp_NewInspector(const std::shared_ptr<ol::Inspector>&) {}
void clsVellox::myOlExp_FolderSwitch() {}
void clsVellox::myOlExp_Close() {}
void clsVellox::myOLInspButton_Click(const std::shared_ptr<ol::CommandBarButton>&, bool&) {}
void clsVellox::myOLExpButton_Click(const std::shared_ptr<ol::CommandBarButton>&, bool&) {}
void clsVellox::myOLNS_OptionsPagesAdd(const std::shared_ptr<ol::PropertyPages>&,
                                       const std::shared_ptr<ol::Folder>&) {}

}  // namespace vx
