#include "viewer/window/thickness_page.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

#include "base/cp936.h"
#include "base/error.h"
#include "base/text.h"
#include "ui/ui.h"
#include "viewer/section_painter.h"
#include "viewer/window/frm_view.h"
#include "viewer/window/interpretation_drawing.h"

namespace gt7p {

namespace {

QString Fixed(double v, int decimals) { return QString::number(v, 'f', decimals); }

QDoubleSpinBox* SpinBox(QWidget* parent, int decimals, double most) {
  auto* spin = new QDoubleSpinBox(parent);
  spin->setDecimals(decimals);
  spin->setRange(0, most);
  spin->setKeyboardTracking(false);  // the result at each finished number, not each digit
  spin->setFont(view::SectionFont(view::kPanelFontPixels));
  // As wide as a usual number, not as the largest one: the side tabs stay narrow.
  spin->setMinimumWidth(QFontMetrics(spin->font()).horizontalAdvance(QStringLiteral("00000.0")) + 28);
  return spin;
}

}  // namespace

// ---- the plot ----

TThicknessPlot::TThicknessPlot(TThicknessPage* page) : TSpectrumView(page), page_(page) {}

void TThicknessPlot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const view::SpectrumFigure figure = page_->Figure();
  const QFont font = view::SectionFont(view::kPanelFontPixels);
  view::PaintSpectrum(painter, QRectF(rect()), figure, axis(), font);
  if (figure.spectrum.empty()) {
    painter.setFont(font);
    painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                     page_->note().isEmpty() ? Ui("没有频谱") : page_->note());
  }
}

// ---- the page ----

TThicknessPage::TThicknessPage(TfrmView* view) : TMethodPage(view) {
  const QFont font = view::SectionFont(view::kPanelFontPixels);
  spnBandLo = SpinBox(this, 1, 1e6);
  spnBandHi = SpinBox(this, 1, 1e6);
  for (QDoubleSpinBox* spin : {spnBandLo, spnBandHi}) spin->setSpecialValueText(Ui("默认"));
  spnVelocity = SpinBox(this, 1, 100000);
  spnVelocity->setSpecialValueText(Ui("文件头"));  // 0: the header's V0, if any
  edtTraces = new QLineEdit(this);
  edtTraces->setFont(font);
  edtTraces->setPlaceholderText(Ui("全部，或如 1,3,5-8"));
  edtTraces->setMinimumWidth(QFontMetrics(font).horizontalAdvance(QStringLiteral("1,3,5-8")) + 12);
  chkLogarithmic = new QCheckBox(Ui("对数频率轴"), this);
  chkLogarithmic->setFont(font);
  pnlPlot = new TThicknessPlot(this);
  lblResult = new QLabel(this);
  lblResult->setWordWrap(true);
  lblResult->setFont(font);
  lblResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lblHeader = new QLabel(this);
  lblHeader->setWordWrap(true);
  lblHeader->setFont(font);
  lblHeader->setStyleSheet(QStringLiteral("color: #6e6e6e"));

  auto label = [&](const char* text) {
    auto* l = new QLabel(Ui(text), this);
    l->setFont(font);
    return l;
  };
  auto* controls = new QGridLayout;
  controls->setContentsMargins(0, 0, 0, 0);
  controls->addWidget(label("频段 Hz"), 0, 0);
  auto* band = new QHBoxLayout;
  band->addWidget(spnBandLo, 1);
  band->addWidget(label("–"));
  band->addWidget(spnBandHi, 1);
  controls->addLayout(band, 0, 1, 1, 3);
  controls->addWidget(chkLogarithmic, 0, 4);
  controls->addWidget(label("V0 m/s"), 1, 0);
  controls->addWidget(spnVelocity, 1, 1);
  controls->addWidget(label("道"), 1, 2);
  controls->addWidget(edtTraces, 1, 3, 1, 2);
  controls->setColumnStretch(1, 1);
  controls->setColumnStretch(3, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addLayout(controls);
  layout->addWidget(pnlPlot, 1);
  layout->addWidget(lblResult);
  layout->addWidget(lblHeader);

  for (QDoubleSpinBox* spin : {spnBandLo, spnBandHi, spnVelocity})
    connect(spin, &QDoubleSpinBox::valueChanged, this, [this] { Compute(); });
  connect(edtTraces, &QLineEdit::editingFinished, this, [this] { Compute(); });
  connect(chkLogarithmic, &QCheckBox::toggled, pnlPlot, &TSpectrumView::SetLogarithmic);
  connect(pnlPlot, &TSpectrumView::logarithmicChanged, chkLogarithmic, &QCheckBox::setChecked);
  // A plate's resonance lies low in a spectrum sampled for its arrivals:
  // the decades show it.
  chkLogarithmic->setChecked(true);
}

bool TThicknessPage::Takes(int method) const {
  return interpret::MethodOfCode(method) == interpret::Method::kThickness;
}

void TThicknessPage::Refresh(const TfrmView& view, unsigned changes) {
  if (!(changes & kRecord)) return;  // the record's own samples: no display processing
  record_ = interpret::MethodRecordOf(view.record(), Utf8FromPath(view.fileName().filename()));
  summed_.reset();
  // The controls of a new record: its V0, the default band, every trace.
  filling_ = true;
  spnBandLo->setValue(0);
  spnBandHi->setValue(0);
  spnVelocity->setValue(record_.header.knownVelocityMS);
  edtTraces->clear();
  filling_ = false;
  lblHeader->setText(HeaderLine());
  Compute();
  pnlPlot->axis().Reset();
}

QString TThicknessPage::HeaderLine() const {
  const interpret::MethodHeader& h = record_.header;
  return Ui("记录头（仅供参考）：频段起点f1 ") + Fixed(h.bandF1, 2) + Ui("，频段终点f2 ") + Fixed(h.bandF2, 2) +
         Ui("，FFT点数 ") + Fixed(h.fftPoints, 0) + Ui("，插值点数 ") + Fixed(h.interpolationPoints, 0);
}

void TThicknessPage::Compute() {
  if (filling_) return;
  result_.reset();
  shown_.reset();
  note_.clear();
  interpret::ThicknessOptions options;
  options.bandLoHz = spnBandLo->value();
  options.bandHiHz = spnBandHi->value();
  options.velocityMS = spnVelocity->value();
  const std::string traces = Trim(edtTraces->text().toStdString());
  if (!traces.empty() && !ParseChannelList(traces, options.channels)) {
    note_ = Ui("道号写成 1,3,5-8");
    summed_.reset();  // no spectrum for traces unknown
  } else if (record_.traces.empty()) {
    note_ = Ui("没有可用的道");
  } else {
    if (!summed_ || summedFor_ != options.channels) {
      summed_ = interpret::SumSpectra(record_, options.channels);
      summedFor_ = options.channels;
    }
    try {
      result_ = interpret::ThicknessOfSpectrum(record_.header, *summed_, options);
      shown_ = result_;
    } catch (const Error& e) {
      note_ = FromCore(e.message());
      // Without a velocity the spectrum and its peak still show: V0 is
      // the one thing missing.
      if (!(options.velocityMS > 0) && !(record_.header.knownVelocityMS > 0)) {
        options.velocityMS = 1;
        try {
          shown_ = interpret::ThicknessOfSpectrum(record_.header, *summed_, options);
        } catch (const Error&) {
        }
      }
    }
  }
  if (summed_) view::SetAxisLimits(pnlPlot->axis(), summed_->spectrum, summed_->binHz);
  lblResult->setText(ResultLines().join(Ui("\n")));
  pnlPlot->update();
}

view::SpectrumFigure TThicknessPage::Figure() const {
  view::SpectrumFigure figure;
  figure.title = Ui("振幅谱之和");
  if (shown_) {
    figure.title += Ui("（") + QString::number(shown_->traces) + Ui(" 道）");
    figure.spectrum = shown_->spectrum;
    figure.binHz = shown_->binHz;
    figure.bandLoHz = shown_->bandLoHz;
    figure.bandHiHz = shown_->bandHiHz;
    figure.peakHz = shown_->peakHz;
  } else if (summed_ && summed_->traces > 0) {
    // No peak in the band, or no band in the spectrum: the spectrum shows
    // where to put the band.
    figure.title += Ui("（") + QString::number(summed_->traces) + Ui(" 道）");
    figure.spectrum = summed_->spectrum;
    figure.binHz = summed_->binHz;
    figure.bandLoHz = spnBandLo->value();
    figure.bandHiHz = spnBandHi->value();
  }
  return figure;
}

QStringList TThicknessPage::ResultLines() const {
  QStringList lines;
  if (!note_.isEmpty()) lines << note_;
  if (!result_) {
    if (shown_) lines << PeakText(*shown_);
    return lines;
  }
  const interpret::ThicknessResult& r = *result_;
  lines << PeakText(r);
  lines << Ui("深度波长比e ") + Fixed(r.ratioE, 3) + Ui("，速度V0 ") + Fixed(r.velocityMS, 1) + Ui(" m/s");
  QString thickness = Ui("厚度 ") + Fixed(r.thicknessM, 3) + Ui(" m");
  if (r.outsideBounds)
    thickness += Ui("  超出 h1..h2（") + Fixed(record_.header.minThicknessM, 2) + Ui(" - ") +
                 Fixed(record_.header.maxThicknessM, 2) + Ui(" m）");
  lines << thickness;
  lines << Ui("频段 ") + Fixed(r.bandLoHz, 1) + Ui(" - ") + Fixed(r.bandHiHz, 1) + Ui(" Hz，") + QString::number(r.traces) +
               Ui(" 道，频率间隔 ") + Fixed(r.binHz, 3) + Ui(" Hz");
  return lines;
}

QString TThicknessPage::PeakText(const interpret::ThicknessResult& r) {
  return view::PeakText(r.peakHz) + Ui("（峰值/中值 ") + Fixed(r.peakToMedian, 2) + Ui("，幅谱阀值Av ") +
         Fixed(r.thresholdAv, 2) + Ui("）");
}

void TThicknessPage::PaintPage(QPainter& painter, const QRect& rect) const {
  const QFont font = view::SectionFont(view::kPanelFontPixels);
  auto plot = [&](QPainter& p, const QRect& area) { view::PaintSpectrum(p, QRectF(area), Figure(), pnlPlot->axis(), font); };
  interpretation_drawing::PaintPageOf(painter, rect, plot, ResultLines() << HeaderLine(), {}, {}, {});
}

}  // namespace gt7p
