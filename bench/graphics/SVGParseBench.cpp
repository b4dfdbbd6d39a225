// The SVG reader on a path-heavy document of about 1 MB, against a baseline
// that only reads the document's numbers with the same number reader. The
// reader should stay within four times the baseline.
#include <cstdio>
#include <random>
#include <string>

#include <benchmark/benchmark.h>

#include "graphics/SVG.h"
#include "graphics/SVGNumber.h"

namespace {

const std::string& PathHeavyDocument()
{
  static const std::string doc = [] {
    std::mt19937 rng(17);
    std::uniform_real_distribution<double> coord(0.0, 500.0);
    std::string text = "<svg xmlns='http://www.w3.org/2000/svg' width='500' height='500' viewBox='0 0 500 500'>\n";
    char buf[160];
    int n = 0;
    while (text.size() < 1000000)
    {
      text += "<path fill='#336699' stroke='black' stroke-width='1.5' d='";
      snprintf(buf, sizeof buf, "M%.3f %.3f", coord(rng), coord(rng));
      text += buf;
      for (int i = 0; i < 20; ++i)
      {
        switch ((n + i) % 4)
        {
          case 0: snprintf(buf, sizeof buf, " L%.3f,%.3f", coord(rng), coord(rng)); break;
          case 1:
            snprintf(buf, sizeof buf, " C%.3f %.3f %.3f %.3f %.3f %.3f", coord(rng), coord(rng), coord(rng),
              coord(rng), coord(rng), coord(rng));
            break;
          case 2: snprintf(buf, sizeof buf, " q%.3f-%.3f %.3f %.3f", coord(rng), coord(rng), coord(rng), coord(rng)); break;
          default: snprintf(buf, sizeof buf, " A20 10 30 0 1 %.3f %.3f", coord(rng), coord(rng)); break;
        }
        text += buf;
      }
      text += " Z'/>\n";
      ++n;
    }
    text += "</svg>\n";
    return text;
  }();
  return doc;
}

void BM_SVGParsePathHeavy(benchmark::State& state)
{
  const std::string& doc = PathHeavyDocument();
  for (auto _ : state)
  {
    plugkit::gfx::NSVGimage* image = plugkit::gfx::nsvgParse(doc.c_str(), "px", 96.f);
    benchmark::DoNotOptimize(image);
    plugkit::gfx::nsvgDelete(image);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}
BENCHMARK(BM_SVGParsePathHeavy)->Unit(benchmark::kMillisecond);

void BM_SVGNumbersOnlyBaseline(benchmark::State& state)
{
  const std::string& doc = PathHeavyDocument();
  for (auto _ : state)
  {
    const char* p = doc.data();
    const char* end = p + doc.size();
    double sum = 0.0, v = 0.0;
    while (p < end)
    {
      if (plugkit::gfx::svg::ReadNumber(p, end, v) == plugkit::gfx::svg::NumberResult::kOk)
        sum += v;
      else
        ++p;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}
BENCHMARK(BM_SVGNumbersOnlyBaseline)->Unit(benchmark::kMillisecond);

} // namespace
