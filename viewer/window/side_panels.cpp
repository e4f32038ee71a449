#include "viewer/window/side_panels.h"

#include <QFontMetrics>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <functional>

#include "base/cp936.h"
#include "interpret/interpret.h"
#include "ui/ui.h"
#include "viewer/section_painter.h"
#include "viewer/spectrum_painter.h"
#include "viewer/window/frm_view.h"

namespace gt7p {

QFontMetrics BeginPanel(QPainter& painter, const QRect& rect) {
  painter.fillRect(rect, Qt::white);
  const QFont font = view::SectionFont(view::kPanelFontPixels);
  painter.setFont(font);
  return QFontMetrics(font);
}

namespace {


// The hint in the middle of a panel with nothing to plot.
void PaintHint(QPainter& painter, const QRect& rect, const QString& hint) {
  painter.drawText(rect.adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, hint);
}

// The plot's box, its unit above it and the axis caption below, and the
// clip to the box for the curves.
void PaintFrame(QPainter& painter, const QRect& area, const QFontMetrics& fm, const QString& unit,
                const QString& caption) {
  painter.setPen(Qt::black);
  painter.drawRect(area);
  painter.drawText(area.left(), area.top() - 4, unit);
  painter.drawText(area.right() - fm.horizontalAdvance(caption), area.bottom() + 4 + fm.lineSpacing() + fm.ascent(),
                   caption);
  painter.setClipRect(area.adjusted(0, 0, 1, 1));
}

// A plot's frame: the area inside the axes for a widget of `size`.
QRect PlotArea(const QSize& size, const QFontMetrics& fm) {
  const int left = fm.horizontalAdvance(QStringLiteral("-0000.0")) + 10, top = 2 * fm.lineSpacing() + 6;
  const int right = fm.horizontalAdvance(QStringLiteral("00000")) / 2 + 6;  // the last tick's label
  return QRect(left, top, std::max(10, size.width() - left - right),
               std::max(10, size.height() - top - 2 * fm.lineSpacing() - 8));
}

// Ticks of 1, 2 or 5 times a power of ten along an axis, with their labels.
void PaintTicks(QPainter& painter, const QRect& area, double lo, double hi, bool horizontal, const QFontMetrics& fm,
                const std::function<double(double)>& toPixel) {
  const int pixels = horizontal ? area.width() : area.height();
  const view::TimeAxis axis =
      view::MakeTimeAxis(lo, hi, pixels, horizontal ? fm.horizontalAdvance(QStringLiteral("00000")) + 12 : 2 * fm.lineSpacing());
  for (double v : axis.ticksMs) {
    const int p = static_cast<int>(std::lround(toPixel(v)));
    const QString label = QString::fromStdString(view::TickLabel(v, axis.stepMs));
    painter.setPen(QColor(225, 225, 225));
    if (horizontal) {
      painter.drawLine(p, area.top(), p, area.bottom());
      painter.setPen(Qt::black);
      painter.drawText(p - fm.horizontalAdvance(label) / 2, area.bottom() + 4 + fm.ascent(), label);
    } else {
      painter.drawLine(area.left(), p, area.right(), p);
      painter.setPen(Qt::black);
      painter.drawText(area.left() - 5 - fm.horizontalAdvance(label), p + fm.ascent() / 2 - 1, label);
    }
  }
}

}  // namespace

THeaderTable::THeaderTable(QWidget* parent) : QTableWidget(0, 2, parent) {
  setFont(view::SectionFont(view::kPanelFontPixels));
  horizontalHeader()->hide();
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).lineSpacing() + 4);
  horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  setShowGrid(false);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setFocusPolicy(Qt::NoFocus);
}

void THeaderTable::Refresh(const TfrmView& view, unsigned changes) {
  if (!(changes & (kRecord | kMarked))) return;
  const Record& record = view.record();
  const int marked = view.markedTrace();
  // A marked trace's channel header first, where it is seen, then the
  // file's fields.
  std::vector<FieldLine> lines;
  int bold = -1;
  if (marked >= 0 && static_cast<size_t>(marked) < record.channels.size()) {
    bold = 0;
    lines.push_back({Utf8ToCp936("第") + std::to_string(marked + 1) + Utf8ToCp936("道"), std::string()});
    for (const FieldLine& line : ChannelFieldLines(record.header, record.channels[static_cast<size_t>(marked)].header))
      lines.push_back(line);
    lines.push_back({std::string(), std::string()});
  }
  const std::vector<FieldLine>& fileLines = view.state().section().headerLines;
  lines.insert(lines.end(), fileLines.begin(), fileLines.end());
  if (record.channels.empty()) lines.clear();
  setRowCount(static_cast<int>(lines.size()));
  for (size_t r = 0; r < lines.size(); ++r) {
    // Two blanks after the name keep it off its value where the font
    // drawn is wider than the one measured (a stand-in's glyphs under Wine).
    auto* name = new QTableWidgetItem(FromCore(lines[r].name) + (lines[r].name.empty() ? QString() : Ui("  ")));
    auto* value = new QTableWidgetItem(FromCore(lines[r].value));
    if (static_cast<int>(r) == bold) {
      QFont boldFont = font();
      boldFont.setBold(true);
      name->setFont(boldFont);
    }
    setItem(static_cast<int>(r), 0, name);
    setItem(static_cast<int>(r), 1, value);
  }
  if (bold >= 0) scrollToTop();
}

TSpectrumView::TSpectrumView(QWidget* parent) : QWidget(parent) { setMinimumSize(200, 160); }

QRectF TSpectrumView::Area() const { return view::SpectrumArea(QRectF(rect()), view::SectionFont(view::kPanelFontPixels)); }

void TSpectrumView::SetLogarithmic(bool on) {
  if (on == axis_.logarithmic()) return;
  axis_.SetLogarithmic(on);
  update();
  emit logarithmicChanged(on);
}

void TSpectrumView::wheelEvent(QWheelEvent* event) {
  const QRectF area = Area();
  const double steps = event->angleDelta().y() / 120.0;
  if (axis_.empty() || steps == 0) return event->ignore();
  axis_.Zoom((event->position().x() - area.left()) / area.width(), std::pow(1.25, steps));
  update();
  event->accept();
}

void TSpectrumView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragX_ = event->position().x();
}

void TSpectrumView::mouseMoveEvent(QMouseEvent* event) {
  if (!dragX_ || axis_.empty()) return;
  const double x = event->position().x();
  axis_.Pan(-(x - *dragX_) / Area().width());  // the curve follows the mouse
  dragX_ = x;
  update();
}

void TSpectrumView::mouseReleaseEvent(QMouseEvent*) { dragX_.reset(); }

void TSpectrumView::mouseDoubleClickEvent(QMouseEvent*) {
  axis_.Reset();
  update();
}

void TSpectrumView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* log = menu.addAction(Ui("对数频率轴"), this, [this](bool on) { SetLogarithmic(on); });
  log->setCheckable(true);
  log->setChecked(axis_.logarithmic());
  menu.addAction(Ui("显示全部频率"), this, [this] {
    axis_.Reset();
    update();
  });
  menu.exec(event->globalPos());
}

TSpectrumPanel::TSpectrumPanel(QWidget* parent) : TSpectrumView(parent) {}

void TSpectrumPanel::Refresh(const TfrmView& view, unsigned changes) {
  if (!(changes & (kRecord | kMarked | kProcessing))) return;
  const Record& record = view.record();
  const int marked = view.markedTrace();
  if (marked < 0 || static_cast<size_t>(marked) >= record.channels.size()) return Clear();
  const size_t m = static_cast<size_t>(marked);
  double binHz = 0;
  std::vector<double> recorded = interpret::AmplitudeSpectrum(record.channels[m].samples, record.header.intervalUs, binHz);
  std::vector<double> displayed;
  if (view.processed())
    displayed = interpret::AmplitudeSpectrum(view.Displayed(m), record.header.intervalUs, binHz);
  SetSpectra(Ui("第") + QString::number(marked + 1) + Ui("道 振幅谱"), std::move(recorded), std::move(displayed), binHz,
             view.processing().lowCutHz, view.processing().highCutHz);
}

void TSpectrumPanel::SetSpectra(const QString& title, std::vector<double> recorded, std::vector<double> displayed,
                                double binHz, double lowCutHz, double highCutHz) {
  title_ = title;
  recorded_ = std::move(recorded);
  displayed_ = std::move(displayed);
  binHz_ = binHz;
  lowCutHz_ = lowCutHz;
  highCutHz_ = highCutHz;
  // Another trace of the same record keeps the range shown.
  view::SetAxisLimits(axis(), recorded_, binHz_);
  update();
}

void TSpectrumPanel::Clear() { SetSpectra(QString(), {}, {}, 0, 0, 0); }

std::optional<double> TSpectrumPanel::peakHz() const {
  return view::ShownPeakHz(displayed_.empty() ? recorded_ : displayed_, binHz_, axis());
}

void TSpectrumPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  BeginPanel(painter, rect());
  if (recorded_.size() < 3 || !(binHz_ > 0)) {
    PaintHint(painter, rect(), Ui("单击一道显示其振幅谱"));
    return;
  }
  view::SpectrumFigure figure;
  figure.title = title_;
  figure.spectrum = displayed_.empty() ? recorded_ : displayed_;
  if (!displayed_.empty()) figure.behind = recorded_;
  figure.binHz = binHz_;
  figure.marksHz = {lowCutHz_, highCutHz_};
  figure.peakHz = peakHz();
  view::PaintSpectrum(painter, QRectF(rect()), figure, axis(), view::SectionFont(view::kPanelFontPixels));
}

TTravelTimePanel::TTravelTimePanel(QWidget* parent) : QWidget(parent) { setMinimumSize(200, 160); }

void TTravelTimePanel::Refresh(const TfrmView& view, unsigned changes) {
  if (!(changes & (kRecord | kPicks))) return;
  const view::Section& section = view.state().section();
  std::vector<std::pair<double, double>> picks, instrument;
  for (size_t i = 0; i < section.traces.size(); ++i) {
    const view::SectionTrace& t = section.traces[i];
    if (const auto ms = view::PickTimeMs(section.header, section.firstBreaks[i])) picks.push_back({t.distanceM, *ms});
    if (const auto ms = view::PickTimeMs(section.header, t.picks[0])) instrument.push_back({t.distanceM, *ms});
  }
  SetPoints(std::move(picks), std::move(instrument));
}

void TTravelTimePanel::SetPoints(std::vector<std::pair<double, double>> picks,
                                 std::vector<std::pair<double, double>> instrument) {
  picks_ = std::move(picks);
  instrument_ = std::move(instrument);
  line_ = view::FitTravelTime(picks_);
  update();
}

void TTravelTimePanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QFontMetrics fm = BeginPanel(painter, rect());
  if (picks_.empty() && instrument_.empty()) {
    PaintHint(painter, rect(), Ui("没有初至：拾取后这里显示时距曲线"));
    return;
  }
  QString title = Ui("时距曲线");
  if (line_) {
    if (const auto v = view::ApparentVelocity(1, line_->slopeMsPerM))
      title += Ui("  拟合视速度 ") + QString::number(*v, 'f', 0) + Ui(" m/s");
  }
  painter.drawText(8, 4 + fm.ascent(), title);
  const QRect area = PlotArea(size(), fm);
  double x0 = HUGE_VAL, x1 = -HUGE_VAL, t1 = 0;
  for (const auto* set : {&picks_, &instrument_})
    for (const auto& [x, t] : *set) x0 = std::min(x0, x), x1 = std::max(x1, x), t1 = std::max(t1, t);
  x0 = std::min(x0, 0.0);
  if (!(x1 > x0)) x1 = x0 + 1;
  if (!(t1 > 0)) t1 = 1;
  t1 *= 1.1;
  auto px = [&](double x) { return area.left() + (x - x0) / (x1 - x0) * area.width(); };
  auto py = [&](double t) { return area.top() + t / t1 * area.height(); };  // time down
  PaintTicks(painter, area, x0, x1, true, fm, px);
  PaintTicks(painter, area, 0, t1, false, fm, py);
  PaintFrame(painter, area, fm, Ui("ms"), Ui("距离 (m)"));
  painter.setRenderHint(QPainter::Antialiasing, true);
  if (line_) {
    painter.setPen(QPen(QColor(120, 120, 120), 1, Qt::DashLine));
    painter.drawLine(QPointF(px(x0), py(line_->interceptMs + line_->slopeMsPerM * x0)),
                     QPointF(px(x1), py(line_->interceptMs + line_->slopeMsPerM * x1)));
  }
  // The points whole, those on the box's edges too.
  painter.setClipRect(area.adjusted(-5, -5, 6, 6));
  painter.setPen(QPen(QColor(220, 30, 30), 1.5));
  for (const auto& [x, t] : instrument_) {
    const QPointF p(px(x), py(t));
    painter.drawLine(p + QPointF(-3, -3), p + QPointF(3, 3));
    painter.drawLine(p + QPointF(-3, 3), p + QPointF(3, -3));
  }
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(QColor(255, 200, 0));
  for (const auto& [x, t] : picks_) painter.drawEllipse(QPointF(px(x), py(t)), 3.5, 3.5);
}

}  // namespace gt7p
