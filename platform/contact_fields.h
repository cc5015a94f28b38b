// The contact fields a template may name: one table (contact_fields.inc)
// that the engine's lookup, the options page's field list and its tooltips,
// and the substitute Outlook's contact all read. Adding a field is adding a
// row there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/text.h"

namespace vx::fields {

// How a field's text is got.
enum class Read : uint8_t {
  kText,         // the text property of the same name, as the contact returns it
  kDate,         // the date property of the same name, as "TT.MM.JJJJ"
  kAnrede,       // "Herrn" / "Frau" from Gender
  kBriefanrede,  // the letter's greeting from Gender, Title and LastName
};

// Where the page lists a field, in the page's order.
enum class Group : uint8_t {
  kFirst,  // the page's first seven entries
  kNames,
  kCompany,
  kBusinessAddress,
  kHomeAddress,
  kOtherAddress,
  kPhone,
  kOnline,  // e-mail, instant messaging and web
  kOther,
};

// How a field appears in the page's list.
enum class Entry : uint8_t {
  kEntry,       // an entry of its own
  kPairFirst,   // one entry "<this> <next>" with the row after it
  kPairSecond,  // only within the pair before it
};

// Outlook major versions, as Application.Version starts.
inline constexpr int kOutlook2000 = 9;

struct Field {
  TextView name;    // placeholder = property name (exact, case-sensitive)
  int32_t dispid;   // the property's DISPID in Outlook's library; 0 for our own
  Read read;
  Group group;
  Entry entry;
  uint8_t since;    // the Outlook major version that brought it
  bool guarded;     // protected by Outlook's object model guard
};

// Every row, in the page's order.
std::span<const Field> All();

// The row of that exact name, or null. Binary search over the names.
const Field* Find(TextView name);

// The field's German name, the page's tooltip for it (in
// contact_field_list.cpp with the list below: the add-in needs neither).
TextView Label(const Field& field);

// The field's name as a Text that lives as long as the program (for calls
// that take a Text).
const Text& NameText(const Field& field);

// The contact property Anrede and Briefanrede read for the gender, and its
// values (OlGender).
inline constexpr TextView kGender = u"Gender";
inline constexpr int32_t kGenderDispId = 0x3A4D;
inline constexpr int32_t kFemale = 1;
inline constexpr int32_t kMale = 2;

// One entry of the page's field list: what is copied and its tooltip.
struct ListEntry {
  Text text;   // "<FullName>", "<MailingAddressPostalCode> <MailingAddressCity>", ...
  Text label;  // "Vollständiger Name", "Postleitzahl und Ort (Postanschrift)", ...
};

// The page's field list, in order: the first seven entries, then the groups.
const std::vector<ListEntry>& ListEntries();

// The tooltip of a field list entry; empty for a text that is no entry.
TextView LabelOfEntry(TextView entry);

// Outlook's date (days since 30 December 1899, the time as the fraction) as
// "TT.MM.JJJJ", appended to out; Outlook's "no date" (1 January 4501)
// appends nothing. A value outside the years 100 to 9999 is failure 6.
void AppendGermanDate(double date, Text& out);

}  // namespace vx::fields
