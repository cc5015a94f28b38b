// The demo: the add-in's first start against an in-memory settings store
// (the defaults are written, then the template is loaded from the store), and
// the address text the "&Zwischenablage" button would copy for a selection
// of German sample contacts. Prints UTF-8; CR LF line breaks are shown as
// line breaks.
#include <cstdio>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include "addin/clsVellox.h"
#include "addin/mdlAllgemein.h"
#include "tests/fakes/fake_item.h"
#include "tests/fakes/memory_store.h"

namespace {

using vx::Text;
using vx::TextView;

void Print(TextView text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
    out += vx::ToUtf8(text.substr(i, 1));
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
}

void PrintLine(TextView text) {
  Print(text);
  Print(u"\n");
}

// Message boxes, printed instead of shown.
class PrintedBoxes : public vx::MessageBoxes {
 public:
  void Show(const Text& prompt, int32_t style, const Text& title) override {
    PrintLine(u"[Meldung \u201E" + title + u"\u201C, Stil " + vx::Decimal(style) + u"] " + prompt);
  }
};

// The demo shows no splash window and copies nothing.
class NoClipboard : public vx::ClipboardApi {
 public:
  std::string ToAnsi(const Text&) override { return {}; }
  Block Alloc(size_t) override { return nullptr; }
  void* Lock(Block) override { return nullptr; }
  bool Unlock(Block) override { return false; }
  void Free(Block) override {}
  bool Open() override { return false; }
  void Empty() override {}
  bool SetData(uint32_t, Block) override { return false; }
  bool Close() override { return false; }
};

class NoSplash : public vx::SplashWindow {
 public:
  void ShowModal(intptr_t) override {}
};

}  // namespace

int main() {
#if defined(_WIN32)
  _setmode(_fileno(stdout), _O_BINARY);  // the UTF-8 bytes as they are
#endif
  vx::fake::MemoryStore store;
  PrintedBoxes boxes;
  NoClipboard clipboard;
  NoSplash splash;
  vx::mdlAllgemein module(vx::AddinServices{store, boxes, clipboard, splash});

  // First start: "FirstRun" is missing, so the defaults are written; then the
  // template is loaded from the store.
  if (vx::SettingIsOne(store, vx::layout::kFirstRun)) module.SaveInitialSettings();
  module.ReadAdressFormat();

  PrintLine(u"Vellox \u2013 Adresse in die Zwischenablage kopieren (Demo)");
  PrintLine(u"");
  PrintLine(u"Adressformat aus dem Einstellungsspeicher (Brisanto\\AdressFormat):");
  for (const auto& entry : store.Section(vx::layout::kAdressFormat)) {
    PrintLine(u"  " + entry.key + u" = " + entry.value);
  }

  std::vector<std::shared_ptr<vx::ol::Item>> selection = {
      vx::fake::MakeContact(u"Dr. Jürgen Weiß", u"Müller & Söhne GmbH",
                            u"Königsallee 12\r\n40212 Düsseldorf"),
      vx::fake::MakeContact(u"Günther Groß", u"", u"Straßburger Straße 7\r\n80331 München"),
      vx::fake::MakeContact(u"Renée Bäcker", u"Bäckerei Süß KG",
                            u"Am Übergang 3\r\n01067 Dresden\r\nDeutschland"),
  };

  vx::clsVellox vellox(module);
  std::optional<Text> text = vellox.BuildAddressText(selection);
  PrintLine(u"");
  PrintLine(u"Text für die Zwischenablage (" + vx::Decimal(static_cast<int64_t>(selection.size())) +
            u" Kontakte, " + vx::Decimal(text ? static_cast<int64_t>(text->size()) : 0) +
            u" Zeichen, Zeilenumbruch CR LF):");
  PrintLine(u"----------------------------------------");
  if (text) PrintLine(*text);
  PrintLine(u"----------------------------------------");
  std::fflush(stdout);
  return text ? 0 : 1;
}
