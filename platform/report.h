// The one error report of the system: "procedures that handle their own
// failures" guard their body once with Guarded(); on failure one box shows
//   number ": " description CR LF CR LF suffix
// and the procedure returns its default result.
#pragma once

#include "platform/failure.h"
#include "platform/ui.h"

namespace vx {

struct ErrorBox {
  Text title;
  int32_t style;
  Text suffix;
};

// German family: " in Funktion 'proc' von <kind> 'module'", critical icon,
// the procedure's name as title. kind is "Klassenmodul", "Designer",
// "Formular" or "Benutzersteuerelement".
ErrorBox GermanBox(TextView procedure, TextView kind, TextView module);

// English family: the suffix as given (" in procedure X of Y Z"), one OK
// button without icon, the application title.
ErrorBox EnglishBox(TextView suffix);

Text FormatReport(const Failure& failure, TextView suffix);

void Report(MessageBoxes& boxes, const ErrorBox& box, const Failure& failure);

// Runs body; a failure is reported in box and swallowed. Returns true when the
// body ran through.
template <class Body>
bool Guarded(MessageBoxes& boxes, const ErrorBox& box, Body&& body) {
  try {
    body();
    return true;
  } catch (...) {
    Report(boxes, box, CurrentFailure());
    return false;
  }
}

}  // namespace vx
