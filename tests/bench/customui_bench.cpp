// GetCustomUI's own work: the XML of each ribbon Outlook asks for, per
// version (Outlook asks once per ribbon ID, at start and at the first
// contact window).
#include <benchmark/benchmark.h>

#include "addin/CustomUI.h"

namespace vx {
namespace {

void BM_CustomUI(benchmark::State& state) {
  const Faces faces = FacesOf(static_cast<int32_t>(state.range(0)));
  const TextView ribbonId = state.range(1) ? kExplorerRibbon : kContactRibbon;
  size_t length = 0;
  for (auto _ : state) {
    Text xml = CustomUI(faces, ribbonId);
    length = xml.size();
    benchmark::DoNotOptimize(xml);
  }
  state.counters["chars"] = static_cast<double>(length);
}

// (major, explorer?): 12 contact, 16 contact, 16 explorer, and an ID that
// gets nothing.
BENCHMARK(BM_CustomUI)->Args({12, 0})->Args({16, 0})->Args({16, 1})->Args({9, 1});

}  // namespace
}  // namespace vx
