// The viewer's costs on a 39 MB record (150 channels of 65535 samples), as
// medians of several runs (offscreen, a 1280 x 800 window):
//   open     OpenFile until the section has been painted once
//   zoom     a zoom step of the time axis (Ctrl+wheel) until painted
//   scroll   a scroll step (an arrow key) until painted
//   gain     a gain step until painted
//   agc      AGC switched on until painted
//   filter   the band-pass switched on until painted
// Goals: open <= 1000 ms, zoom and scroll <= 50 ms, agc and filter <= 500 ms.
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "bench/median.h"
#include "sim/record_maker.h"
#include "viewer/window/frm_view.h"

namespace {

using gt7p::bench::Median;

using Clock = std::chrono::steady_clock;

// Milliseconds of `step` followed by a paint of the canvas.
double Timed(gt7p::TfrmView& view, const std::function<void()>& step) {
  const auto t0 = Clock::now();
  step();
  view.pnlSection->repaint();
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int runs = std::max(3, argc > 1 ? std::atoi(argv[1]) : 9);
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "gt7p-viewer-bench";
  std::filesystem::create_directories(dir);
  const std::filesystem::path file = dir / "BIG.T7P";
  gt7p::sim::SurveyFile survey = gt7p::sim::DemoSurveyFiles()[1];
  survey.channels = 150;
  survey.samples = 65535;
  {
    std::ofstream out(file, std::ios::binary);
    gt7p::sim::WriteRawFile(survey, out);
  }
  std::printf("record: 150 x 65535 samples, %.1f MB; medians of %d runs\n",
              std::filesystem::file_size(file) / 1e6, runs);

  std::vector<double> open, zoom, scroll, gain, agc, filter;
  for (int i = 0; i < runs; ++i) {
    gt7p::TfrmView view;
    view.resize(1280, 800);
    view.show();
    app.processEvents();
    open.push_back(Timed(view, [&] { view.OpenFile(file); }));
    for (int k = 0; k < 3; ++k) zoom.push_back(Timed(view, [&] { view.ZoomTime(0.8); }));
    for (int k = 0; k < 3; ++k) scroll.push_back(Timed(view, [&] { view.ScrollPixels(-40, 0); }));
    view.ResetZoom();
    for (int k = 0; k < 2; ++k) gain.push_back(Timed(view, [&] { view.StepGain(k % 2 ? -1 : 1); }));
    gt7p::view::Processing p;
    p.agcMs = 50;
    agc.push_back(Timed(view, [&] { view.SetProcessing(p); }));
    view.SetProcessing(gt7p::view::Processing());
    p = gt7p::view::Processing();
    p.lowCutHz = 100;
    p.highCutHz = 5000;
    filter.push_back(Timed(view, [&] { view.SetProcessing(p); }));
    view.close();
  }
  std::printf("  open    %7.1f ms  (goal <= 1000)\n", Median(open));
  std::printf("  zoom    %7.1f ms  (goal <= 50)\n", Median(zoom));
  std::printf("  scroll  %7.1f ms  (goal <= 50)\n", Median(scroll));
  std::printf("  gain    %7.1f ms\n", Median(gain));
  std::printf("  agc     %7.1f ms  (goal <= 500)\n", Median(agc));
  std::printf("  filter  %7.1f ms  (goal <= 500)\n", Median(filter));
  std::filesystem::remove_all(dir);
  return 0;
}
