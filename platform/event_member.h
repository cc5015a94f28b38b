// A member that holds an event source: assigning an object subscribes the
// given sink to that object's events and ends the subscription to the object
// held before; emptying ends it. One type for every event-source member.
//
// A handler may empty or replace the very member whose event it handles: the
// sources keep dispatching safely when a connection ends mid-event.
#pragma once

#include <memory>
#include <utility>

#include "platform/outlook.h"

namespace vx {

template <class Source, class Sink>
class EventMember {
 public:
  explicit EventMember(Sink& sink) : sink_(sink) {}
  EventMember(const EventMember&) = delete;
  EventMember& operator=(const EventMember&) = delete;
  ~EventMember() { Empty(); }

  // Subscribes to the new object first, so a failing subscription leaves the
  // member as it was.
  void Set(std::shared_ptr<Source> object) {
    ol::ConnectionPtr connection;
    if (object) connection = object->Advise(sink_);
    std::swap(object_, object);
    std::swap(connection_, connection);
    connection.reset();  // the old subscription ends, then the old reference
    object.reset();
  }

  void Empty() {
    auto connection = std::move(connection_);
    auto object = std::move(object_);
    connection.reset();
    object.reset();
  }

  const std::shared_ptr<Source>& get() const { return object_; }
  explicit operator bool() const { return static_cast<bool>(object_); }

 private:
  Sink& sink_;
  std::shared_ptr<Source> object_;
  ol::ConnectionPtr connection_;
};

}  // namespace vx
