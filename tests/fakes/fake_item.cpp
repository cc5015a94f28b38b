#include "tests/fakes/fake_item.h"

#include "platform/failure.h"

namespace vx::fake {

int32_t FakeItem::Class() {
  if (failClass) Raise(failClass);
  return objectClass_;
}

FakeItem::Property* FakeItem::Read(const Text& property) {
  ++reads;
  Property* p = Find(property);
  if (p) ++p->reads;
  if (failAll) Raise(failAll);
  if (p && p->fail) Raise(p->fail);
  if (!p || !p->set) {
    if (failUnset) Raise(failUnset);
    return nullptr;
  }
  return p;
}

Text FakeItem::GetText(const Text& property) {
  Property* p = Read(property);
  if (!p) return answerNames ? property : Text();
  return p->value;
}

double FakeItem::GetDate(const Text& property) {
  Property* p = Read(property);
  return p ? p->date : 949998.0;
}

int32_t FakeItem::GetNumber(const Text& property) {
  Property* p = Read(property);
  return p ? p->number : 0;
}

FakeItem& FakeItem::Set(TextView property, TextView value) {
  Property& p = Slot(property);
  p.value = Text(value);
  p.set = true;
  return *this;
}

FakeItem& FakeItem::SetDate(TextView property, double value) {
  Property& p = Slot(property);
  p.date = value;
  p.set = true;
  return *this;
}

FakeItem& FakeItem::SetNumber(TextView property, int32_t value) {
  Property& p = Slot(property);
  p.number = value;
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
  properties_.emplace_back();
  properties_.back().name = Text(property);
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
