// An Outlook item for the logic's tests: a contact (or a mail, a distribution
// list, ...) with text properties that can be set, made to fail with a
// chosen failure number, and whose reads are counted.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "platform/outlook.h"

namespace vx::fake {

class FakeItem : public ol::Item {
 public:
  explicit FakeItem(int32_t objectClass = ol::kClassContact) : objectClass_(objectClass) {}

  // ---- ol::Item ----
  // The class number; raises failClass when that is set.
  int32_t Class() override;
  // The value set for the property. A property never set reads as the empty
  // text, or raises failUnset when that is set. Raises failAll when that is
  // set, or the number given to Fail() for this property.
  Text GetText(const Text& property) override;
  // The same for dates and numbers: a date never set reads as Outlook's "no
  // date" (1 January 4501), a number never set as 0.
  double GetDate(const Text& property) override;
  int32_t GetNumber(const Text& property) override;

  // ---- set-up (each returns the item, to chain calls) ----
  FakeItem& Set(TextView property, TextView value);
  FakeItem& SetDate(TextView property, double value);
  FakeItem& SetNumber(TextView property, int32_t value);
  // Reading this property raises failure number (0 makes it readable again).
  FakeItem& Fail(TextView property, int32_t number);

  int32_t failAll = 0;  // every GetText raises this number
  int32_t failUnset =
      0;  // GetText of a property never set raises this number (438 for a real item)
  int32_t failClass = 0;  // Class raises this number
  // A text property never set reads as its own name.
  bool answerNames = false;

  // ---- observation ----
  int reads = 0;  // GetText, GetDate and GetNumber calls, failed ones included
  int ReadsOf(TextView property) const;

 private:
  struct Property {
    Text name;
    Text value;
    double date = 949998.0;
    int32_t number = 0;
    int32_t fail = 0;
    bool set = false;
    int reads = 0;
  };
  Property& Slot(TextView property);
  // Counts the read and raises what it is set to raise; the property, or
  // null when it was never set.
  Property* Read(const Text& property);
  Property* Find(TextView property);

  int32_t objectClass_;
  std::vector<Property> properties_;  // a handful: searched in order
};

// A contact with the given FullName, CompanyName and MailingAddress.
std::shared_ptr<FakeItem> MakeContact(TextView fullName, TextView companyName,
                                      TextView mailingAddress);

}  // namespace vx::fake
