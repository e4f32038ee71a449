#include "viewer/window/reflection_page.h"

#include <QDoubleSpinBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>

#include "base/cp936.h"
#include "base/error.h"
#include "ui/ui.h"
#include "viewer/section_painter.h"
#include "viewer/window/frm_view.h"
#include "viewer/window/interpretation_drawing.h"

namespace gt7p {

using interpretation_drawing::AreaOf;
using interpretation_drawing::DrawGrid;
using interpretation_drawing::Number;
using interpretation_drawing::SourceName;

namespace {

const QColor kReflectionColour(0, 200, 230);  // as the section marks them
const QColor kBreakColour(255, 200, 0);
constexpr double kMostVelocityMS = 20000;

// A widget that draws what its page draws.
class TPagePlot : public QWidget {
 public:
  TPagePlot(QWidget* parent, std::function<void(QPainter&, const QRect&)> paint)
      : QWidget(parent), paint_(std::move(paint)) {
    setMinimumSize(200, 160);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    paint_(painter, rect());
  }

 private:
  std::function<void(QPainter&, const QRect&)> paint_;
};

QTableWidget* MakeTable(QWidget* parent, const QStringList& heading) {
  auto* table = new QTableWidget(0, static_cast<int>(heading.size()), parent);
  table->setHorizontalHeaderLabels(heading);
  table->verticalHeader()->hide();
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionMode(QAbstractItemView::NoSelection);
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table->horizontalHeader()->setStretchLastSection(true);
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
  return table;
}

// Numbers right-aligned, the words of column `words` (if any) left.
void FillTable(QTableWidget* table, const std::vector<QStringList>& rows, int words = -1) {
  table->setRowCount(static_cast<int>(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r)
    for (int c = 0; c < rows[r].size(); ++c) {
      auto* item = new QTableWidgetItem(rows[r][c]);
      item->setTextAlignment((c == words ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
      table->setItem(static_cast<int>(r), c, item);
    }
}

// Time-down axes over offsets x0..x1 and times 0..t1, titled; the
// mapping of a point to pixels.
struct PlotAxes {
  QRect area;
  double x0 = 0, x1 = 1, t1 = 1;
  QPointF At(double x, double ms) const {
    return QPointF(area.left() + (x - x0) / (x1 - x0) * area.width(), area.top() + ms / t1 * area.height());
  }
};

PlotAxes BeginPlot(QPainter& painter, const QRect& rect, const QString& title, double x0, double x1, double t1) {
  const QFontMetrics fm = BeginPanel(painter, rect);
  PlotAxes axes;
  axes.area = AreaOf(rect, fm);
  axes.x0 = x0;
  axes.x1 = x1 > x0 ? x1 : x0 + 1;
  axes.t1 = t1 > 0 ? t1 : 1;
  painter.setPen(Qt::black);
  painter.drawText(rect.left() + 8, rect.top() + 4 + fm.ascent(), title);
  DrawGrid(painter, fm, axes.area, axes.x0, axes.x1, axes.t1);
  painter.setPen(Qt::black);
  painter.drawRect(axes.area);
  const QString across = Ui("源检距 m");
  painter.drawText(axes.area.right() - fm.horizontalAdvance(across), rect.bottom() - 4, across);
  return axes;
}

// Offsets span from 0 (the source) to a little beyond the farthest.
void OffsetSpan(const std::vector<double>& offsets, double& x0, double& x1) {
  x0 = 0;
  x1 = 0;
  for (double x : offsets) x1 = std::max(x1, x);
  x1 = x1 > 0 ? x1 * 1.05 : 1;
}

}  // namespace

// ---- reflection ----

TReflectionPage::TReflectionPage(TfrmView* view) : TMethodPage(view) {
  pnlPlot_ = new TPagePlot(this, [this](QPainter& painter, const QRect& rect) { PaintPlot(painter, rect); });
  spnVelocity = new QDoubleSpinBox(this);
  spnVelocity->setRange(0, kMostVelocityMS);
  spnVelocity->setDecimals(0);
  spnVelocity->setSingleStep(50);
  spnVelocity->setSuffix(Ui(" m/s"));
  spnVelocity->setSpecialValueText(Ui("无"));
  spnVelocity->setToolTip(Ui("已知速度V0：由各道反射时间求各道深度；0 为不用"));
  lblResults = new QLabel(this);
  lblResults->setTextInteractionFlags(Qt::TextSelectableByMouse);
  tblTraces = MakeTable(this, {Ui("道号"), Ui("源检距 m"), Ui("时间 ms"), Ui("残差 ms"), Ui("V0 深度 m"), Ui("备注")});
  lblNotes = new QLabel(this);
  lblNotes->setWordWrap(true);
  auto* velocity = new QHBoxLayout;
  velocity->addWidget(new QLabel(Ui("已知速度V0："), this));
  velocity->addWidget(spnVelocity);
  velocity->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(pnlPlot_, 3);
  layout->addLayout(velocity);
  layout->addWidget(lblResults);
  layout->addWidget(tblTraces, 2);
  layout->addWidget(lblNotes);
  connect(spnVelocity, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, [this] { Fit(); });
}

void TReflectionPage::Refresh(const TfrmView& view, unsigned changes) {
  if (!(changes & (kRecord | kPicks))) return;
  shot_ = interpret::Shot();
  if (!view.record().channels.empty())
    shot_ = interpret::ShotOfRecord(view.record(), view.firstBreaks(), {}, 0, 0, Utf8FromPath(view.fileName().filename()),
                                    nullptr, view.reflectionPicks());
  if (changes & kRecord) {
    const QSignalBlocker block(spnVelocity);
    spnVelocity->setValue(std::min(shot_.knownV1MS, kMostVelocityMS));
  }
  Fit();
}

void TReflectionPage::Fit() {
  result_.reset();
  failure_.clear();
  try {
    result_ = interpret::FitReflection(shot_.reflections, shot_.sourceX, spnVelocity->value());
  } catch (const Error& e) {
    failure_ = FromCore(e.message());
  }
  lblResults->setText(ResultLines().join(Ui("\n")));
  FillTable(tblTraces, TableRows(), 5);
  lblNotes->setText(NoteLines().join(Ui("\n")));
  pnlPlot_->update();
}

QStringList TReflectionPage::ResultLines() const {
  QStringList lines;
  if (!result_) return lines;
  const interpret::ReflectionResult& r = *result_;
  if (r.velocityMS)
    lines << Ui("速度 v ") + Number(r.velocityMS, 0) + Ui(" m/s   T0 ") + Number(r.zeroOffsetMs, 2) +
                 Ui(" ms   深度 v·T0/2 ") + Number(r.depthM, 2) + Ui(" m   RMS ") + Number(r.rmsMs, 3) + Ui(" ms");
  if (r.knownVelocityMS > 0) {
    QString line = Ui("V0 ") + Number(r.knownVelocityMS, 0) + Ui(" m/s：各道深度平均 ") + Number(r.meanDepthM, 2) +
                   Ui(" m，离差 ") + Number(r.depthSpreadM, 2) + Ui(" m");
    // The channels named while they fit on the line; the table marks each.
    constexpr int kNamed = 8;
    QStringList early;
    for (const interpret::ReflectionTrace& t : r.traces)
      if (t.tooEarly) early << QString::number(t.channel);
    if (early.size() > kNamed) {
      const int all = static_cast<int>(early.size());
      early = early.mid(0, kNamed);
      early << Ui("等 ") + QString::number(all) + Ui(" 道");
    }
    if (!early.isEmpty()) line += Ui("   V0·t < x 的道：") + early.join(Ui("、"));
    lines << line;
  }
  return lines;
}

QStringList TReflectionPage::NoteLines() const {
  QStringList notes;
  if (!failure_.isEmpty()) notes << failure_;
  if (result_)
    for (const std::string& warning : result_->warnings) notes << QString::fromStdString(warning);
  notes << Ui("与巷道斜交、在掌子面前方的反射面（线性时差）不在此解析。");
  return notes;
}

std::vector<QStringList> TReflectionPage::TableRows() const {
  std::vector<QStringList> rows;
  if (!result_) return rows;
  for (const interpret::ReflectionTrace& t : result_->traces)
    rows.push_back({QString::number(t.channel), Number(t.offsetM, 2), Number(t.timeMs, 2), Number(t.residualMs, 3),
                    Number(t.depthM, 2), t.tooEarly ? Ui("V0·t < x") : QString()});
  return rows;
}

void TReflectionPage::PaintPlot(QPainter& painter, const QRect& rect) const {
  painter.save();
  std::vector<double> offsets;
  double t1 = 0;
  for (const interpret::FirstBreak& p : shot_.reflections) {
    offsets.push_back(std::fabs(p.receiverX - shot_.sourceX));
    t1 = std::max(t1, p.timeMs);
  }
  double x0 = 0, x1 = 1;
  OffsetSpan(offsets, x0, x1);
  // The residuals in a strip under the plot, where they fit.
  const bool strip = result_ && result_->velocityMS && rect.height() >= 220;
  const int stripHeight = strip ? std::max(50, rect.height() / 5) : 0;
  const QRect top(rect.left(), rect.top(), rect.width(), rect.height() - stripHeight);
  const PlotAxes axes = BeginPlot(painter, top, Ui("反射波时距（时间 ms，向下）"), x0, x1, t1 > 0 ? t1 * 1.15 : 1);
  painter.setClipRect(axes.area.adjusted(-6, -6, 6, 6));
  painter.setRenderHint(QPainter::Antialiasing, true);
  if (result_ && result_->velocityMS && result_->zeroOffsetMs) {
    // t^2 = T0^2 + x^2 / v^2, x in m and t in ms.
    const double t0 = *result_->zeroOffsetMs, v = *result_->velocityMS / 1000;
    QPainterPath curve;
    const int steps = 100;
    for (int i = 0; i <= steps; ++i) {
      const double x = axes.x0 + (axes.x1 - axes.x0) * i / steps;
      const QPointF at = axes.At(x, std::sqrt(t0 * t0 + x * x / (v * v)));
      i == 0 ? curve.moveTo(at) : curve.lineTo(at);
    }
    painter.setPen(QPen(QColor(200, 40, 40), 2));
    painter.drawPath(curve);
  }
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(kReflectionColour);
  for (size_t i = 0; i < offsets.size(); ++i) {
    const QPointF at = axes.At(offsets[i], shot_.reflections[i].timeMs);
    const QPointF diamond[4] = {at + QPointF(0, -5), at + QPointF(5, 0), at + QPointF(0, 5), at + QPointF(-5, 0)};
    painter.drawPolygon(diamond, 4);
  }
  if (strip) {
    painter.setClipping(false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QFontMetrics fm(painter.font());
    const QRect band(axes.area.left(), top.bottom() + 4, axes.area.width(), stripHeight - 8);
    painter.fillRect(rect.left(), top.bottom() + 1, rect.width(), stripHeight, Qt::white);
    painter.setPen(QColor(200, 200, 200));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(band);
    const int middle = band.center().y();
    painter.drawLine(band.left(), middle, band.right(), middle);
    double most = 0;
    for (const interpret::ReflectionTrace& t : result_->traces)
      if (t.residualMs) most = std::max(most, std::fabs(*t.residualMs));
    // Scaled to the largest, but no finer than a hundredth of a millisecond.
    const double scale = std::max(most, 0.01);
    painter.setPen(QPen(kReflectionColour.darker(130), 3));
    for (const interpret::ReflectionTrace& t : result_->traces) {
      if (!t.residualMs) continue;
      const int x = static_cast<int>(std::lround(axes.At(t.offsetM, 0).x()));
      const int y = middle + static_cast<int>(std::lround(*t.residualMs / scale * (band.height() / 2 - 2)));
      painter.drawLine(x, middle, x, y);
    }
    painter.setPen(Qt::black);
    const QString label = Ui("残差");
    painter.drawText(band.left() - 5 - fm.horizontalAdvance(label), middle + fm.ascent() / 2 - 1, label);
    painter.drawText(band.left() + 4, band.top() + fm.ascent() + 1,
                     Ui("±") + QString::number(scale, 'f', 3) + Ui(" ms（向下为晚到）"));
  }
  painter.restore();
}

void TReflectionPage::PaintPage(QPainter& painter, const QRect& rect) const {
  interpretation_drawing::PaintPageOf(
      painter, rect, [this](QPainter& p, const QRect& r) { PaintPlot(p, r); }, ResultLines(),
      {Ui("道号"), Ui("源检距 m"), Ui("时间 ms"), Ui("残差 ms"), Ui("V0 深度 m"), Ui("备注")}, TableRows(), NoteLines());
}

// ---- two-point ----

TTwoPointPage::TTwoPointPage(TfrmView* view) : TMethodPage(view) {
  pnlPlot_ = new TPagePlot(this, [this](QPainter& painter, const QRect& rect) { PaintPlot(painter, rect); });
  lblResults = new QLabel(this);
  lblResults->setTextInteractionFlags(Qt::TextSelectableByMouse);
  tblPairs = MakeTable(this, {Ui("道 A"), Ui("道 B"), Ui("Δx m"), Ui("Δt ms"), Ui("速度 m/s")});
  lblNotes = new QLabel(this);
  lblNotes->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(pnlPlot_, 3);
  layout->addWidget(lblResults);
  layout->addWidget(tblPairs, 2);
  layout->addWidget(lblNotes);
}

void TTwoPointPage::Refresh(const TfrmView& view, unsigned changes) {
  if (!(changes & (kRecord | kPicks | kProcessing | kTimeWindow))) return;
  shot_ = interpret::Shot();
  result_.reset();
  failure_.clear();
  if (!view.record().channels.empty()) {
    // The automatic picker, where it comes to that, sees the traces as
    // shown, within the time window, as on the refraction's page.
    std::vector<const std::vector<float>*> traces;
    size_t from = 0, to = 0;
    if (view::WindowSamples(view.record().header, view.timeWindow(), from, to))
      for (size_t i = 0; i < view.record().channels.size(); ++i) traces.push_back(&view.Displayed(i));
    shot_ = interpret::ShotOfRecord(view.record(), view.firstBreaks(), traces, from, to,
                                    Utf8FromPath(view.fileName().filename()));
    try {
      result_ = interpret::TwoPointVelocity(shot_.breaks, shot_.sourceX);
    } catch (const Error& e) {
      failure_ = FromCore(e.message());
    }
  }
  lblResults->setText(ResultLines().join(Ui("\n")));
  FillTable(tblPairs, TableRows());
  lblNotes->setText(NoteLines().join(Ui("\n")));
  pnlPlot_->update();
}

QStringList TTwoPointPage::ResultLines() const {
  QStringList lines;
  if (!shot_.breaks.empty()) lines << Ui("初至来源：") + SourceName(shot_.source);
  if (result_) lines << Ui("平均速度 ") + Number(result_->meanVelocityMS, 0) + Ui(" m/s");
  return lines;
}

QStringList TTwoPointPage::NoteLines() const {
  QStringList notes;
  if (!failure_.isEmpty()) notes << failure_;
  if (result_)
    for (const std::string& warning : result_->warnings) notes << QString::fromStdString(warning);
  notes << Ui("平均速度可作为同一地点厚度探测记录的已知速度V0。");
  return notes;
}

std::vector<QStringList> TTwoPointPage::TableRows() const {
  std::vector<QStringList> rows;
  if (!result_) return rows;
  for (const interpret::PairVelocity& p : result_->pairs)
    rows.push_back({QString::number(p.channelA), QString::number(p.channelB), Number(p.offsetBM - p.offsetAM, 2),
                    Number(p.timeBMs - p.timeAMs, 3), Number(p.velocityMS, 0)});
  return rows;
}

void TTwoPointPage::PaintPlot(QPainter& painter, const QRect& rect) const {
  painter.save();
  std::vector<double> offsets;
  double t1 = 0;
  for (const interpret::FirstBreak& b : shot_.breaks) {
    offsets.push_back(std::fabs(b.receiverX - shot_.sourceX));
    t1 = std::max(t1, b.timeMs);
  }
  double x0 = 0, x1 = 1;
  OffsetSpan(offsets, x0, x1);
  const PlotAxes axes = BeginPlot(painter, rect, Ui("初至时距（时间 ms，向下）"), x0, x1, t1 > 0 ? t1 * 1.15 : 1);
  painter.setClipRect(axes.area.adjusted(-6, -6, 6, 6));
  painter.setRenderHint(QPainter::Antialiasing, true);
  if (result_) {
    painter.setPen(QPen(QColor(200, 40, 40), 2));
    for (const interpret::PairVelocity& p : result_->pairs)
      painter.drawLine(axes.At(p.offsetAM, p.timeAMs), axes.At(p.offsetBM, p.timeBMs));
  }
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(kBreakColour);
  for (size_t i = 0; i < offsets.size(); ++i) painter.drawEllipse(axes.At(offsets[i], shot_.breaks[i].timeMs), 4, 4);
  painter.restore();
}

void TTwoPointPage::PaintPage(QPainter& painter, const QRect& rect) const {
  interpretation_drawing::PaintPageOf(
      painter, rect, [this](QPainter& p, const QRect& r) { PaintPlot(p, r); }, ResultLines(),
      {Ui("道 A"), Ui("道 B"), Ui("Δx m"), Ui("Δt ms"), Ui("速度 m/s")}, TableRows(), NoteLines());
}

}  // namespace gt7p
