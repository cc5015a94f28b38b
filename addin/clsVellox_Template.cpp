// The template engine of clsVellox: DecodeLine, GetPropValue and
// BuildAddressText.
//
// Positions and lengths are 1-based and 16-bit, as the classic string
// functions count them: each passes ToInt16, so a position beyond 32,767 is
// failure 6. The working copy of a line is a view that shrinks from the
// front, and every expansion appends to one growing text, so a line or a
// selection costs time in proportion to its length.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>

#include "addin/clsVellox.h"
#include "platform/contact_fields.h"
#include "platform/failure.h"
#include "platform/report.h"

namespace vx {

namespace {

constexpr TextView kUnpairedDelimiters =
    u"Feldbegrenzungen ('<>') treten nicht paarweise auf in Zeile";
constexpr TextView kUnknownFieldBefore = u"!!FEHLER: unbekannter Feldname '";
constexpr TextView kUnknownFieldAfter = u"' !!";
constexpr TextView kMale = u"Herrn";
constexpr TextView kFemale = u"Frau";
constexpr TextView kDearSir = u"Sehr geehrter Herr ";
constexpr TextView kDearMadam = u"Sehr geehrte Frau ";
constexpr TextView kDearSirOrMadam = u"Sehr geehrte Damen und Herren,";

// The most characters per contact BuildAddressText reserves ahead.
constexpr size_t kReservePerContact = 512;

const ErrorBox& DecodeLineBox() {
  static const ErrorBox box = GermanBox(u"DecodeLine", u"Klassenmodul", u"clsVellox");
  return box;
}

const ErrorBox& GetPropValueBox() {
  static const ErrorBox box = GermanBox(u"GetPropValue", u"Klassenmodul", u"clsVellox");
  return box;
}

// A 16-bit position or length: ToInt16 (failure 6 beyond the range), with
// the common case decided here without a call.
inline int16_t Int16(int64_t value) {
  return value >= INT16_MIN && value <= INT16_MAX ? static_cast<int16_t>(value) : ToInt16(value);
}

// The 1-based position of the first c in text, 0 when there is none; failure
// 6 when it lies beyond 32,767.
int16_t InStr(TextView text, char16_t c) {
  size_t at = text.find(c);
  return at == TextView::npos ? int16_t{0} : Int16(static_cast<int64_t>(at) + 1);
}

// The letter's greeting: "Sehr geehrter Herr <Title> <LastName>," or
// "Sehr geehrte Frau …" (the title and its blank only when there is one),
// "Sehr geehrte Damen und Herren," without a known gender or a last name.
void AppendBriefanrede(ol::Item& contact, Text& out) {
  const int32_t gender = contact.GetNumber(Text(fields::kGender));
  if (gender == fields::kMale || gender == fields::kFemale) {
    static const Text& kLastName = fields::NameText(*fields::Find(u"LastName"));
    static const Text& kTitle = fields::NameText(*fields::Find(u"Title"));
    const Text lastName = contact.GetText(kLastName);
    if (!lastName.empty()) {
      const Text title = contact.GetText(kTitle);
      out += gender == fields::kMale ? kDearSir : kDearMadam;
      if (!title.empty()) {
        out += title;
        out += u' ';
      }
      out += lastName;
      out += u',';
      return;
    }
  }
  out += kDearSirOrMadam;
}

// The field's text for the contact, appended to out; a failed read raises
// before anything is appended.
void AppendField(ol::Item& contact, const fields::Field& field, Text& out) {
  switch (field.read) {
    case fields::Read::kText:
      out += contact.GetText(fields::NameText(field));
      return;
    case fields::Read::kDate:
      fields::AppendGermanDate(contact.GetDate(fields::NameText(field)), out);
      return;
    case fields::Read::kAnrede: {
      const int32_t gender = contact.GetNumber(Text(fields::kGender));
      if (gender == fields::kMale) out += kMale;
      if (gender == fields::kFemale) out += kFemale;
      return;
    }
    case fields::Read::kBriefanrede:
      AppendBriefanrede(contact, out);
      return;
  }
}

// GetPropValue, appending the field's text to out. A failed property read
// (an empty contact reference is failure 91) is reported here and appends
// nothing; a field newer than Outlook 2000 that the running Outlook does not
// know (438) reads as empty, without a report.
void AppendPropValue(MessageBoxes& boxes, ol::Item* contact, TextView name, Text& out) {
  const fields::Field* field = fields::Find(name);
  if (!field) {
    out += kUnknownFieldBefore;
    out += name;
    out += kUnknownFieldAfter;
    return;
  }
  Guarded(boxes, GetPropValueBox(), [&] {
    if (!contact) Raise(fail::kObjectNotSet);
    try {
      AppendField(*contact, *field, out);
    } catch (const Failure& failure) {
      if (field->since == fields::kOutlook2000 || failure.number() != fail::kMemberNotFound) throw;
    }
  });
}

// DecodeLine, appending the expanded line to out. When the line is invalid
// or a failure occurs (both reported here), out is left as it was.
void AppendDecodedLine(MessageBoxes& boxes, ol::Item* contact, TextView line, Text& out) {
  const size_t mark = out.size();
  bool ran = Guarded(boxes, DecodeLineBox(), [&] {
    TextView r = line;
    int16_t p = InStr(r, u'<');
    if (p == 0) {
      out += r;
      return;
    }
    do {
      int16_t q = InStr(r, u'>');
      if (q == 0) {
        out.resize(mark);
        Text prompt(kUnpairedDelimiters);
        prompt += kCrLf;
        prompt += line;
        boxes.Show(prompt, mb::kCritical, Text(kAppTitle));
        return;
      }
      if (p > 1) out += r.substr(0, static_cast<size_t>(Int16(p - 1)));
      // The characters between the delimiters: Mid(R, p + 1, q - p - 1).
      int16_t start = Int16(int32_t{p} + 1);
      int16_t length = Int16(int32_t{q} - p - 1);
      if (length < 0) Raise(fail::kInvalidArgument);
      TextView name =
          TrimBlanks(r.substr(static_cast<size_t>(start - 1), static_cast<size_t>(length)));
      if (!name.empty()) AppendPropValue(boxes, contact, name, out);
      // The rest after the ">": Mid(R, q + 1).
      r = r.substr(static_cast<size_t>(Int16(int32_t{q} + 1) - 1));
      p = InStr(r, u'<');
    } while (p != 0);
    out += r;
  });
  if (!ran) out.resize(mark);
}

}  // namespace

Text clsVellox::DecodeLine(ol::Item& contact, const Text& line) {
  Text a;
  a.reserve(line.size() + 64);
  AppendDecodedLine(module_.services.boxes, &contact, line, a);
  return a;
}

Text clsVellox::GetPropValue(ol::Item& contact, const Text& name) {
  Text value;
  AppendPropValue(module_.services.boxes, &contact, name, value);
  return value;
}

std::optional<Text> clsVellox::BuildAddressText(
    const std::vector<std::shared_ptr<ol::Item>>& contacts) {
  struct Listed : Contacts {
    explicit Listed(const std::vector<std::shared_ptr<ol::Item>>& l) : list(l) {}
    bool Next(std::shared_ptr<ol::Item>& contact) override {
      if (next == list.size()) return false;
      contact = list[next++];
      return true;
    }
    size_t Hint() const override { return list.size(); }
    const std::vector<std::shared_ptr<ol::Item>>& list;
    size_t next = 0;
  } listed(contacts);
  return BuildAddressText(listed);
}

std::optional<Text> clsVellox::BuildAddressText(Contacts& contacts) {
  MessageBoxes& boxes = module_.services.boxes;
  Text t;
  Text line;  // the template line being expanded: a copy, since a box may let the list be replaced
  for (size_t n = 0;; ++n) {
    // Released while a report was up: nothing more, not even the next item.
    if (released_) return std::nullopt;
    // Each contact is held for its own block only.
    std::shared_ptr<ol::Item> c;
    if (!contacts.Next(c)) break;
    // Once the first block is known: room for all blocks at its size (at most
    // kReservePerContact each), so a large selection is not copied over and
    // over while the text grows. Only a hint: without the room the text grows
    // as it goes.
    if (n == 1) {
      try {
        t.reserve(std::min(t.size(), kReservePerContact) * contacts.Hint() * 5 / 4);
      } catch (const std::exception&) {
      }
    }
    if (!module_.AdressFormatLines) Raise(fail::kSubscriptOutOfRange);
    const int16_t u = ToInt16(static_cast<int64_t>(module_.AdressFormatLines->size()) - 1);
    for (int32_t i = 0; i <= u; ++i) {
      // Released while a report of an earlier line was up: nothing more.
      if (released_) return std::nullopt;
      if (!module_.AdressFormatLines ||
          static_cast<size_t>(i) >= module_.AdressFormatLines->size()) {
        Raise(fail::kSubscriptOutOfRange);
      }
      line.assign((*module_.AdressFormatLines)[static_cast<size_t>(i)]);
      const size_t mark = t.size();
      AppendDecodedLine(boxes, c.get(), line, t);
      if (t.size() == mark && !line.empty()) continue;  // the line expanded to nothing: dropped
      t += kCrLf;
    }
    t += kCrLf;
  }
  if (t.size() > 4) {
    t.resize(t.size() - 4);
    return t;
  }
  return std::nullopt;
}

}  // namespace vx
