#include "splash/frmSplash.h"

#include "platform/report.h"

namespace vx {

void frmSplash::btnOK_Click(bool checked) noexcept {
  Guarded(boxes_, GermanBox(u"btnOK_Click", u"Formular", u"frmSplash"), [&] {
    store_.SaveSetting(Text(layout::kApplication), Text(layout::kStartup),
                       Text(layout::kShowSplash), checked ? u"1" : u"0");
  });
}

}  // namespace vx
