// BuildAddressText with the default template over selections of 1 to
// 100,000 contacts: contacts per second (items per second), and the time per
// contact as the selection grows (the text must grow in linear time).
//
// Two runs of each size:
//   BM_BuildAddressText             the allocator keeps freed memory, as in a
//                                   long-running host: the engine's own cost
//   BM_BuildAddressText_FreshPages  glibc's default: a text beyond 128 KiB gets
//                                   new pages from the kernel on every call, so
//                                   the large sizes also pay one page fault per
//                                   4 KiB of text written
#include <benchmark/benchmark.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "addin/clsVellox.h"
#include "platform/contact_fields.h"
#include "tests/fakes/memory_store.h"
#include "tests/fakes/recording_boxes.h"
#include "tests/fakes/unused_services.h"

namespace vx {
namespace {

// A contact as small as the engine lets it be: the three fields the default
// template reads, told apart by the length of their names (8, 11, 14), so
// that the benchmark measures the engine rather than a property lookup.
class Contact : public ol::Item {
 public:
  Contact(Text fullName, Text companyName, Text mailingAddress)
      : full_(std::move(fullName)),
        company_(std::move(companyName)),
        mailing_(std::move(mailingAddress)) {}
  int32_t Class() override { return ol::kClassContact; }
  Text GetText(const Text& property) override {
    switch (property.size()) {
      case 8:
        return full_;
      case 11:
        return company_;
      case 14:
        return mailing_;
      default:
        return Text();
    }
  }
  double GetDate(const Text&) override { return 949998.0; }
  int32_t GetNumber(const Text&) override { return 0; }

 private:
  Text full_, company_, mailing_;
};

// n distinct contacts of typical size, laid out one after the other; every
// tenth one has no company.
std::vector<std::shared_ptr<ol::Item>> Contacts(int64_t n) {
  auto storage = std::make_shared<std::vector<Contact>>();
  storage->reserve(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) {
    Text number = Decimal(i);
    storage->emplace_back(u"Dr. Jürgen Weißmüller " + number,
                          i % 10 == 0 ? Text() : u"Müller & Söhne GmbH " + number,
                          u"Hauptstraße " + number + u"\r\n80331 München\r\nDeutschland");
  }
  std::vector<std::shared_ptr<ol::Item>> contacts;
  contacts.reserve(static_cast<size_t>(n));
  for (Contact& c : *storage)
    contacts.emplace_back(storage, &c);  // sharing the storage's ownership
  return contacts;
}

// Whether freed large blocks stay with the allocator for reuse.
void KeepFreedMemory(bool keep) {
#if defined(__GLIBC__)
  const int threshold = keep ? 1 << 30 : 128 * 1024;  // glibc's defaults: 128 KiB
  mallopt(M_MMAP_THRESHOLD, threshold);
  mallopt(M_TRIM_THRESHOLD, threshold);
#else
  (void)keep;
#endif
}

void Run(benchmark::State& state, bool keepFreedMemory) {
  KeepFreedMemory(keepFreedMemory);
  fake::MemoryStore store;
  fake::RecordingBoxes boxes;
  fake::UnusedClipboard clipboard;
  fake::UnusedSplash splash;
  mdlAllgemein module(AddinServices{store, boxes, clipboard, splash});
  module.ReadAdressFormat();  // no template stored: the defaults (after one message)
  clsVellox vellox(module);
  const auto contacts = Contacts(state.range(0));

  size_t length = 0;
  for (auto _ : state) {
    std::optional<Text> text = vellox.BuildAddressText(contacts);
    length = text ? text->size() : 0;
    benchmark::DoNotOptimize(text);
  }
  if (boxes.shown.size() != 1 || module.AdressFormatLines->size() != 3) {
    state.SkipWithError("the default template was not loaded as expected");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["chars_per_contact"] =
      static_cast<double>(length) / static_cast<double>(state.range(0));
  state.counters["ns_per_contact"] =
      benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  KeepFreedMemory(false);
}

void BM_BuildAddressText(benchmark::State& state) { Run(state, true); }
void BM_BuildAddressText_FreshPages(benchmark::State& state) { Run(state, false); }

BENCHMARK(BM_BuildAddressText)->Arg(1)->Arg(100)->Arg(10000)->Arg(100000);
BENCHMARK(BM_BuildAddressText_FreshPages)->Arg(1)->Arg(100)->Arg(10000)->Arg(100000);

// The field table's lookup: every name of the table once, and a name that
// is not in it; the time per name.
void BM_FieldLookup(benchmark::State& state) {
  std::vector<Text> names;
  for (const fields::Field& f : fields::All()) names.emplace_back(f.name);
  names.emplace_back(u"MailingAddressZip");
  size_t found = 0;
  for (auto _ : state) {
    for (const Text& name : names) found += fields::Find(name) != nullptr;
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(names.size()));
  state.counters["ns_per_name"] =
      benchmark::Counter(static_cast<double>(state.iterations() * names.size()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["names"] = static_cast<double>(names.size());
}
BENCHMARK(BM_FieldLookup);

// A contact answering every text with one value, a date and a gender, and
// counting its reads.
class AnyContact : public ol::Item {
 public:
  int32_t Class() override { return ol::kClassContact; }
  Text GetText(const Text&) override {
    ++reads;
    return value;
  }
  double GetDate(const Text&) override {
    ++reads;
    return 22347.0;
  }
  int32_t GetNumber(const Text&) override {
    ++reads;
    return fields::kFemale;
  }
  Text value = u"Königsallee 12";
  int64_t reads = 0;
};

// A click per contact over 1,000 contacts: the default template, and a
// template of ten placeholders (a date and the letter's greeting among
// them); the property reads per contact.
void RunTemplate(benchmark::State& state, std::vector<Text> lines) {
  KeepFreedMemory(true);
  fake::MemoryStore store;
  fake::RecordingBoxes boxes;
  fake::UnusedClipboard clipboard;
  fake::UnusedSplash splash;
  mdlAllgemein module(AddinServices{store, boxes, clipboard, splash});
  module.AdressFormatLines = std::move(lines);
  clsVellox vellox(module);
  constexpr int64_t kContacts = 1000;
  auto storage = std::make_shared<std::vector<AnyContact>>(kContacts);
  std::vector<std::shared_ptr<ol::Item>> contacts;
  for (AnyContact& c : *storage) contacts.emplace_back(storage, &c);
  for (auto _ : state) {
    std::optional<Text> text = vellox.BuildAddressText(contacts);
    benchmark::DoNotOptimize(text);
  }
  if (!boxes.shown.empty()) state.SkipWithError("a box was shown");
  state.SetItemsProcessed(state.iterations() * kContacts);
  state.counters["ns_per_contact"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kContacts),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["reads_per_contact"] =
      static_cast<double>((*storage)[0].reads) / static_cast<double>(state.iterations());
  KeepFreedMemory(false);
}

void BM_Click_DefaultTemplate(benchmark::State& state) {
  RunTemplate(state, {u"<FullName>", u"<CompanyName>", u"<MailingAddress>"});
}
void BM_Click_TenFieldTemplate(benchmark::State& state) {
  RunTemplate(state, {u"<Title> <FirstName> <LastName>", u"<JobTitle>",
                      u"<BusinessAddressStreet>", u"<BusinessAddressPostalCode> <BusinessAddressCity>",
                      u"<Email1Address>", u"<Birthday>", u"", u"<Briefanrede>"});
}
BENCHMARK(BM_Click_DefaultTemplate);
BENCHMARK(BM_Click_TenFieldTemplate);

}  // namespace
}  // namespace vx

BENCHMARK_MAIN();
