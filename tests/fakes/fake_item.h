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

  // ---- set-up (each returns the item, to chain calls) ----
  FakeItem& Set(TextView property, TextView value);
  // Reading this property raises failure number (0 makes it readable again).
  FakeItem& Fail(TextView property, int32_t number);

  int32_t failAll = 0;  // every GetText raises this number
  int32_t failUnset =
      0;  // GetText of a property never set raises this number (438 for a real item)
  int32_t failClass = 0;  // Class raises this number

  // ---- observation ----
  int reads = 0;  // GetText calls, failed ones included
  int ReadsOf(TextView property) const;

 private:
  struct Property {
    Text name;
    Text value;
    int32_t fail = 0;
    bool set = false;
    int reads = 0;
  };
  Property& Slot(TextView property);
  Property* Find(TextView property);

  int32_t objectClass_;
  std::vector<Property> properties_;  // a handful: searched in order
};

// A contact with the given FullName, CompanyName and MailingAddress.
std::shared_ptr<FakeItem> MakeContact(TextView fullName, TextView companyName,
                                      TextView mailingAddress);

}  // namespace vx::fake
