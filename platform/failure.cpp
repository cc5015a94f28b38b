#include "platform/failure.h"

#include <new>

namespace vx {

namespace {

struct Described {
  int32_t number;
  const char16_t* text;
};

// The German run-time descriptions.
constexpr Described kDescriptions[] = {
    {5, u"Ungültiger Prozeduraufruf oder ungültiges Argument"},
    {6, u"Überlauf"},
    {7, u"Nicht genügend Speicher"},
    {9, u"Index außerhalb des gültigen Bereichs"},
    {11, u"Division durch Null"},
    {13, u"Typen unverträglich"},
    {51, u"Interner Fehler"},
    {52, u"Dateiname oder -nummer falsch"},
    {53, u"Datei nicht gefunden"},
    {70, u"Zugriff verweigert"},
    {75, u"Fehler beim Zugriff auf Pfad/Datei"},
    {91, u"Objektvariable oder With-Blockvariable nicht festgelegt"},
    {424, u"Objekt erforderlich"},
    {429, u"Objekterstellung durch ActiveX-Komponente nicht möglich"},
    {430, u"Klasse unterstützt keine Automatisierung oder keine erwartete Schnittstelle"},
    {438, u"Objekt unterstützt diese Eigenschaft oder Methode nicht"},
    {440, u"Automatisierungsfehler"},
};

}  // namespace

Failure::Failure(int32_t number, Text description)
    : number_(number), description_(std::move(description)) {
  what_ = std::to_string(number_) + ": " + ToUtf8(description_);
}

Text DescriptionOf(int32_t number) {
  for (const auto& d : kDescriptions) {
    if (d.number == number) return d.text;
  }
  return u"Anwendungs- oder objektdefinierter Fehler";
}

void Raise(int32_t number) { throw Failure(number, DescriptionOf(number)); }

void Raise(int32_t number, Text description) { throw Failure(number, std::move(description)); }

Failure CurrentFailure() {
  try {
    throw;
  } catch (const Failure& failure) {
    return failure;
  } catch (const std::bad_alloc&) {
    return Failure(fail::kOutOfMemory, DescriptionOf(fail::kOutOfMemory));
  } catch (...) {
    return Failure(fail::kInternalError, DescriptionOf(fail::kInternalError));
  }
}

int32_t CurrentFailureNumber() noexcept {
  try {
    throw;
  } catch (const Failure& failure) {
    return failure.number();
  } catch (const std::bad_alloc&) {
    return fail::kOutOfMemory;
  } catch (...) {
    return fail::kInternalError;
  }
}

}  // namespace vx
