#include "tests/fakes/fake_item.h"

#include "platform/failure.h"

namespace vx::fake {

int32_t FakeItem::Class() {
  if (failClass) Raise(failClass);
  return objectClass_;
}

Text FakeItem::GetText(const Text& property) {
  ++reads;
  Property* p = Find(property);
  if (p) ++p->reads;
  if (failAll) Raise(failAll);
  if (p && p->fail) Raise(p->fail);
  if (!p || !p->set) {
    if (failUnset) Raise(failUnset);
    return Text();
  }
  return p->value;
}

FakeItem& FakeItem::Set(TextView property, TextView value) {
  Property& p = Slot(property);
  p.value = Text(value);
  p.set = true;
  return *this;
}

FakeItem& FakeItem::Fail(TextView property, int32_t number) {
  Slot(property).fail = number;
  return *this;
}

int FakeItem::ReadsOf(TextView property) const {
  for (const auto& p : properties_) {
    if (p.name == property) return p.reads;
  }
  return 0;
}

FakeItem::Property* FakeItem::Find(TextView property) {
  for (auto& p : properties_) {
    if (p.name == property) return &p;
  }
  return nullptr;
}

FakeItem::Property& FakeItem::Slot(TextView property) {
  if (Property* p = Find(property)) return *p;
  properties_.push_back(Property{Text(property), Text(), 0, false, 0});
  return properties_.back();
}

std::shared_ptr<FakeItem> MakeContact(TextView fullName, TextView companyName,
                                      TextView mailingAddress) {
  auto c = std::make_shared<FakeItem>(ol::kClassContact);
  c->Set(u"FullName", fullName)
      .Set(u"CompanyName", companyName)
      .Set(u"MailingAddress", mailingAddress);
  return c;
}

}  // namespace vx::fake
