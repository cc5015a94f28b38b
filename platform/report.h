// The one error report of the system: "procedures that handle their own
// failures" guard their body once with Guarded(); on failure one box shows
//   number ": " description CR LF CR LF suffix
// and the procedure returns its default result.
#pragma once

#include "platform/failure.h"
#include "platform/ui.h"

namespace vx {

// Where a report goes and what it names. It holds views of the literals it
// was made from, so making one never fails; the suffix is put together only
// when a report is shown.
struct ErrorBox {
  TextView title;
  int32_t style;
  TextView kind;    // the German family's kind of module and module;
  TextView module;  // both empty for the English family
  TextView suffix;  // the English family's suffix as given
  Text Suffix() const;
};

// German family: " in Funktion 'proc' von <kind> 'module'", critical icon,
// the procedure's name as title. The three texts must outlive the box
// (literals do). kind is "Klassenmodul", "Designer",
// "Formular" or "Benutzersteuerelement".
ErrorBox GermanBox(TextView procedure, TextView kind, TextView module);

// English family: the suffix as given (" in procedure X of Y Z"), one OK
// button without icon, the application title.
ErrorBox EnglishBox(TextView suffix);

Text FormatReport(const Failure& failure, TextView suffix);

void Report(MessageBoxes& boxes, const ErrorBox& box, const Failure& failure);

// Runs body; a failure is reported in box and swallowed. Returns true when the
// body ran through. Nothing leaves it: a report that cannot be made (no
// memory left for its text) is given up.
template <class Body>
bool Guarded(MessageBoxes& boxes, const ErrorBox& box, Body&& body) noexcept {
  try {
    body();
    return true;
  } catch (...) {
    ResumeNext([&] { Report(boxes, box, CurrentFailure()); });
    return false;
  }
}

}  // namespace vx
