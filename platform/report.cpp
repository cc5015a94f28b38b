#include "platform/report.h"

namespace vx {

Text ErrorBox::Suffix() const {
  if (kind.empty() && module.empty()) return Text(suffix);
  Text german = u" in Funktion '";
  german += title;
  german += u"' von ";
  german += kind;
  german += u" '";
  german += module;
  german += u"'";
  return german;
}

ErrorBox GermanBox(TextView procedure, TextView kind, TextView module) {
  return ErrorBox{procedure, mb::kCritical, kind, module, TextView()};
}

ErrorBox EnglishBox(TextView suffix) {
  return ErrorBox{kAppTitle, mb::kOkOnly, TextView(), TextView(), suffix};
}

Text FormatReport(const Failure& failure, TextView suffix) {
  Text prompt = Decimal(failure.number());
  prompt += u": ";
  prompt += failure.description();
  prompt += kCrLf;
  prompt += kCrLf;
  prompt += suffix;
  return prompt;
}

void Report(MessageBoxes& boxes, const ErrorBox& box, const Failure& failure) {
  boxes.Show(FormatReport(failure, box.Suffix()), box.style, Text(box.title));
}

}  // namespace vx
