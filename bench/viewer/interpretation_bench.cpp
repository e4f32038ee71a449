// The "解析" tab's cost of a moved break point: a drag step of the handle
// between the direct wave and the head wave (the points change layer, the
// record is interpreted again, the table filled and the plot painted), on
// a 48-channel loosened-zone record of two flat layers, offscreen, the
// window 1280 x 800. Median of the steps; the goal is under 50 ms.
// usage: interpretation_bench [STEPS] [PICTURE.png]; with a picture's name
// the window at 1024 x 768 with the tab shown is saved there at the end.
#include <QApplication>
#include <QMouseEvent>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "bench/median.h"
#include "records/records.h"
#include "sim/record_maker.h"
#include "viewer/window/frm_view.h"

namespace {

using Clock = std::chrono::steady_clock;

void Send(QWidget* w, QEvent::Type type, QPoint at) {
  QMouseEvent event(type, at, w->mapToGlobal(at), Qt::LeftButton,
                    type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int runs = std::max(5, argc > 1 ? std::atoi(argv[1]) : 41);
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "gt7p-interpretation-bench";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::filesystem::path file = dir / "SK0001.T7P";
  gt7p::sim::SurveyFile survey = gt7p::sim::DemoSurveyFiles()[1];
  survey.method = 32;
  survey.channels = 48;
  survey.samples = 4096;
  survey.preTrigger = 0;
  survey.intervalUs = 10;
  survey.ground.velocities = {500, 2000};
  survey.ground.depths = {3};
  survey.ground.firstReceiverX = 0.5;
  survey.ground.spacing = 0.5;
  {
    std::ofstream out(file, std::ios::binary);
    out << gt7p::sim::MakeRawFile(survey);
  }
  {
    gt7p::RecordReader reader(file);
    gt7p::WritePicksTable(gt7p::PicksFileOf(file), gt7p::RecordPicks(reader, "SK0001.T7P"));
  }
  gt7p::TfrmView view;
  view.resize(1280, 800);
  view.show();
  if (!view.OpenFile(file)) return 1;
  gt7p::TInterpretationTab* tab = view.pnlInterpretation;
  view.tabSide->setCurrentWidget(tab);
  QApplication::processEvents();
  if (!tab->survey() || tab->survey()->branches.empty() || tab->survey()->branches[0].crossoverM.empty()) {
    std::fprintf(stderr, "no break point to move\n");
    return 1;
  }
  gt7p::TInterpretationPlot* plot = tab->pnlPlot;
  const double crossover = tab->survey()->branches[0].crossoverM[0];
  const int hx = plot->PixelOf(crossover, 0).toPoint().x();
  QPoint handle;
  for (int y = plot->height() - 1; y >= 0 && handle.isNull(); --y)
    if (plot->HandleAt(QPoint(hx, y))) handle = QPoint(hx, y);
  if (handle.isNull()) return 1;
  Send(plot, QEvent::MouseButtonPress, handle);
  std::vector<double> steps;
  for (int i = 0; i < runs; ++i) {
    // Back and forth across two receivers: every step moves points.
    const double x = crossover + (i % 2 ? 1.1 : -1.1);
    const QPoint to(plot->PixelOf(x, 0).toPoint().x(), handle.y());
    const auto t0 = Clock::now();
    Send(plot, QEvent::MouseMove, to);
    steps.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  Send(plot, QEvent::MouseButtonRelease, handle);
  if (argc > 2) {
    view.resize(1024, 768);
    QApplication::processEvents();
    tab->SelectChannel(tab->shot().breaks.at(10).channel);
    if (!view.grab().save(QString::fromLocal8Bit(argv[2]))) return 1;
  }
  std::printf("48 channels, plot %d x %d: a moved break point redrawn in %.1f ms (median of %d)\n", plot->width(),
              plot->height(), gt7p::bench::Median(steps), runs);
  std::filesystem::remove_all(dir);
  return 0;
}
