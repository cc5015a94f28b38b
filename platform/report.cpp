#include "platform/report.h"

namespace vx {

ErrorBox GermanBox(TextView procedure, TextView kind, TextView module) {
  Text suffix = u" in Funktion '";
  suffix += procedure;
  suffix += u"' von ";
  suffix += kind;
  suffix += u" '";
  suffix += module;
  suffix += u"'";
  return ErrorBox{Text(procedure), mb::kCritical, std::move(suffix)};
}

ErrorBox EnglishBox(TextView suffix) {
  return ErrorBox{Text(kAppTitle), mb::kOkOnly, Text(suffix)};
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
  boxes.Show(FormatReport(failure, box.suffix), box.style, box.title);
}

}  // namespace vx
