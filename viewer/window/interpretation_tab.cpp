#include "viewer/window/interpretation_tab.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "base/cp936.h"
#include "base/error.h"
#include "base/output_file.h"
#include "ui/ui.h"
#include "viewer/section_painter.h"
#include "viewer/window/frm_view.h"
#include "viewer/window/interpretation_drawing.h"
#include "viewer/window/reflection_page.h"
#include "viewer/window/thickness_page.h"

namespace gt7p {

using interpretation_drawing::AreaOf;
using interpretation_drawing::DrawGrid;
using interpretation_drawing::LayerColour;
using interpretation_drawing::Number;
using interpretation_drawing::SourceName;
using interpretation_drawing::SpanOf;

namespace {

constexpr double kSameSide = 1e-6;  // m: a receiver on its source belongs to both sides

// Whether a point stands on a branch's side of its shot.
bool OnBranch(const interpret::Survey& s, const interpret::Branch& b, const interpret::PointFit& p) {
  return p.shot == b.shot && (p.x - s.shots[b.shot].x) * b.direction >= -kSameSide;
}

// The layer table's heading and rows.
QStringList TableHeading() {
  return {Ui("层"), Ui("速度 m/s"), Ui("厚度 m"), Ui("底深 m"), Ui("倾角 °"), Ui("仪器厚度 m"), Ui("仪器速度 m/s"),
          Ui("仪器倾角 °")};
}

QString LayerName(int layer, bool zone) {
  if (zone && layer == 1) return Ui("松动圈");
  if (zone && layer == 2) return Ui("围岩");
  return Ui("第") + QString::number(layer) + Ui("层");
}

std::vector<QStringList> TableRows(const std::optional<interpret::Survey>& survey, const interpret::Shot& shot,
                                   size_t shown, bool zone) {
  const size_t ours = survey ? survey->layers.size() : 0;
  // The header's layers as far as its "探测层数" counts them.
  const size_t theirs = shot.headerLayerCount > 0
                            ? std::min(shot.headerLayers.size(), static_cast<size_t>(shot.headerLayerCount))
                            : shot.headerLayers.size();
  const size_t rows = std::max(ours, theirs);
  std::vector<std::optional<double>> depths, thickness;
  if (survey && shown < survey->shots.size()) {
    depths = survey->shots[shown].depthsM;
    thickness = interpret::ThicknessesM(depths);
  }
  std::vector<QStringList> table;
  for (size_t k = 0; k < rows; ++k) {
    QStringList row{LayerName(static_cast<int>(k + 1), zone)};
    if (k < ours) {
      const interpret::LayerResult& layer = survey->layers[k];
      row << Number(layer.velocityMS, 0) << Number(k < thickness.size() ? thickness[k] : std::nullopt, 2)
          << Number(k < depths.size() ? depths[k] : std::nullopt, 2)
          << Number(k + 1 < survey->layers.size() ? survey->layers[k + 1].dipDeg : std::nullopt, 1);
    } else {
      row << Ui("") << Ui("") << Ui("") << Ui("");
    }
    if (k < theirs) {
      const interpret::HeaderLayer& h = shot.headerLayers[k];
      row << QString::number(h.thicknessM, 'f', 2) << QString::number(h.velocityMS, 'f', 0)
          << QString::number(std::fabs(h.dipDeg), 'f', 1);
    } else {
      row << Ui("") << Ui("") << Ui("");
    }
    table.push_back(row);
  }
  return table;
}

}  // namespace

// ---- the plot ----

TInterpretationPlot::TInterpretationPlot(TInterpretationTab* tab) : QWidget(tab), tab_(tab) {
  setMinimumSize(200, 160);
  setFocusPolicy(Qt::ClickFocus);
  setMouseTracking(false);
}

TInterpretationPlot::Axes TInterpretationPlot::AxesFor(const QRect& rect) const {
  const QFontMetrics fm(view::SectionFont(view::kPanelFontPixels));
  Axes a;
  a.area = AreaOf(rect, fm);
  double t1 = 0;
  for (const interpret::Shot& shot : tab_->shots())
    for (const interpret::FirstBreak& b : shot.breaks) t1 = std::max(t1, b.timeMs);
  SpanOf(tab_->shots(), a.x0, a.x1);
  a.t1 = t1 > 0 ? t1 * 1.1 : 1;
  return a;
}

QPointF TInterpretationPlot::PixelOf(double x, double timeMs) const {
  const Axes a = AxesFor(rect());
  return QPointF(a.area.left() + (x - a.x0) / (a.x1 - a.x0) * a.area.width(), a.area.top() + timeMs / a.t1 * a.area.height());
}

double TInterpretationPlot::DistanceAt(int x) const {
  const Axes a = AxesFor(rect());
  return a.x0 + (x - a.area.left()) * (a.x1 - a.x0) / std::max(1, a.area.width());
}

int32_t TInterpretationPlot::ChannelAt(const QPoint& at) const {
  int32_t best = 0;
  double nearest = 8 * 8;
  for (const interpret::FirstBreak& b : tab_->shot().breaks) {
    const QPointF d = PixelOf(b.receiverX, b.timeMs) - at;
    const double d2 = d.x() * d.x() + d.y() * d.y();
    if (d2 <= nearest) nearest = d2, best = b.channel;
  }
  return best;
}

std::optional<TInterpretationPlot::Handle> TInterpretationPlot::HandleAt(const QPoint& at) const {
  const auto& survey = tab_->survey();
  if (!survey) return std::nullopt;
  const Axes a = AxesFor(rect());
  if (at.y() < a.area.bottom() - 14 || at.y() > a.area.bottom() + 10) return std::nullopt;
  for (size_t i = 0; i < survey->branches.size(); ++i) {
    const interpret::Branch& b = survey->branches[i];
    if (b.shot != tab_->shown()) continue;  // the shown record's choices only
    for (size_t k = 0; k < b.crossoverM.size(); ++k) {
      const double x = survey->shots[b.shot].x + b.direction * b.crossoverM[k];
      if (std::fabs(PixelOf(x, 0).x() - at.x()) <= 6) return Handle{i, static_cast<int>(k + 1)};
    }
  }
  return std::nullopt;
}

void TInterpretationPlot::PaintPlot(QPainter& painter, const QRect& rect) const {
  painter.save();
  const QFontMetrics fm = BeginPanel(painter, rect);
  const auto& survey = tab_->survey();
  if (tab_->shot().breaks.empty()) {
    painter.drawText(rect.adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, Ui("没有初至：拾取后这里显示解析"));
    painter.restore();
    return;
  }
  QString title = Ui("解析");
  if (survey) {
    title += Ui("  ") + QString::number(survey->layerCount) + Ui(" 层  均方根残差 ") + QString::number(survey->rmsMs, 'f', 3) +
             Ui(" ms");
  }
  painter.drawText(rect.left() + 8, rect.top() + 4 + fm.ascent(), title);
  const Axes a = AxesFor(rect);
  auto px = [&](double x) { return a.area.left() + (x - a.x0) / (a.x1 - a.x0) * a.area.width(); };
  auto py = [&](double t) { return a.area.top() + t / a.t1 * a.area.height(); };
  DrawGrid(painter, fm, a.area, a.x0, a.x1, a.t1);
  painter.setPen(Qt::black);
  painter.drawRect(a.area);
  painter.drawText(a.area.left(), a.area.top() - 4, Ui("ms"));
  const QString caption = tab_->loosenedZone() ? Ui("距离 (m，沿洞壁)") : Ui("距离 (m)");
  painter.drawText(a.area.right() - fm.horizontalAdvance(caption), a.area.bottom() + 10 + fm.lineSpacing() + fm.ascent(),
                   caption);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setClipRect(a.area.adjusted(0, 0, 1, 1));
  if (survey) {
    // Each branch's segments between its break points, then the handles.
    for (const interpret::Branch& b : survey->branches) {
      const double sx = survey->shots[b.shot].x;
      double far = 0;
      for (const interpret::PointFit& p : survey->points)
        if (OnBranch(*survey, b, p)) far = std::max(far, p.offset);
      for (size_t k = 0; k < b.segments.size(); ++k) {
        double from = k == 0 ? 0 : b.crossoverM[k - 1], to = k + 1 < b.segments.size() ? b.crossoverM[k] : far;
        from = std::clamp(from, 0.0, far);
        to = std::clamp(to, from, far);
        const interpret::Segment& s = b.segments[k];
        painter.setPen(QPen(LayerColour(static_cast<int>(k + 1)), 1.5));
        painter.drawLine(QPointF(px(sx + b.direction * from), py(s.interceptMs + s.slownessMsPerM * from)),
                         QPointF(px(sx + b.direction * to), py(s.interceptMs + s.slownessMsPerM * to)));
      }
      // The handles of the shown record's branches (the choices are its).
      const bool shown = b.shot == tab_->shown();
      for (double c : b.crossoverM) {
        const double x = px(sx + b.direction * std::clamp(c, 0.0, far));
        painter.setPen(QPen(shown ? QColor(110, 110, 110) : QColor(200, 200, 200), 1, Qt::DashLine));
        painter.drawLine(QPointF(x, a.area.top()), QPointF(x, a.area.bottom()));
        if (!shown) continue;
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(90, 90, 90));
        const QPointF tip(x, a.area.bottom() - 9);
        painter.drawPolygon(QPolygonF({tip, tip + QPointF(-5, 9), tip + QPointF(5, 9)}));
      }
    }
  }
  // The points whole, those on the box's edges too.
  painter.setClipRect(a.area.adjusted(-6, -6, 7, 7));
  const view::LayerAssignment& chosen = tab_->assignment();
  for (size_t si = 0; si < tab_->shots().size(); ++si) {
    const bool shown = si == tab_->shown();
    for (const interpret::FirstBreak& b : tab_->shots()[si].breaks) {
      int layer = 0;
      if (survey)
        for (const interpret::PointFit& p : survey->points)
          if (p.shot == si && p.channel == b.channel) layer = p.layer;
      const QPointF at(px(b.receiverX), py(b.timeMs));
      painter.setPen(QPen(shown ? Qt::black : Qt::gray, 1));
      painter.setBrush(layer > 0 ? LayerColour(layer) : QColor(190, 190, 190));
      const double r = shown ? 3.5 : 2.5;
      if (shown && chosen.LayerOf(b.channel))
        painter.drawRect(QRectF(at - QPointF(r, r), QSizeF(2 * r, 2 * r)));  // the operator's choice
      else
        painter.drawEllipse(at, r, r);
      if (shown && b.channel == tab_->selected()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::red, 1.5));
        painter.drawEllipse(at, 7, 7);
      }
    }
  }
  painter.restore();
}

void TInterpretationPlot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintPlot(painter, rect());
}

void TInterpretationPlot::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  const QPoint at = event->position().toPoint();
  if (const int32_t channel = ChannelAt(at)) return tab_->SelectChannel(channel);
  dragging_ = HandleAt(at);
  dragMoved_ = false;
  if (!dragging_) tab_->SelectChannel(0);
}

void TInterpretationPlot::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_ || !tab_->survey() || dragging_->branch >= tab_->survey()->branches.size()) return;
  const interpret::Branch& b = tab_->survey()->branches[dragging_->branch];
  const double offset = (DistanceAt(event->position().toPoint().x()) - tab_->survey()->shots[b.shot].x) * b.direction;
  tab_->MoveBreak(dragging_->branch, dragging_->upper, offset, dragMoved_, false);
  dragMoved_ = true;
}

void TInterpretationPlot::mouseReleaseEvent(QMouseEvent* event) {
  if (dragging_ && event->button() == Qt::LeftButton) {
    dragging_.reset();
    tab_->SaveChoices();
  }
}

void TInterpretationPlot::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key >= Qt::Key_1 && key <= Qt::Key_5) return tab_->AssignSelected(key - Qt::Key_0);
  if (key == Qt::Key_0 || key == Qt::Key_Delete || key == Qt::Key_Backspace) return tab_->AssignSelected(0);
  QWidget::keyPressEvent(event);
}

void TInterpretationPlot::contextMenuEvent(QContextMenuEvent* event) {
  if (const int32_t channel = ChannelAt(event->pos())) tab_->SelectChannel(channel);
  if (!tab_->selected()) return;
  QMenu menu(this);
  for (int layer = 1; layer <= kMaxChosenLayer; ++layer) {
    QString text = LayerName(layer, tab_->loosenedZone());
    if (layer == 1 && !tab_->loosenedZone()) text += Ui("（直达波）");
    menu.addAction(text + Ui("\t") + QString::number(layer), this, [this, layer] { tab_->AssignSelected(layer); });
  }
  menu.addSeparator();
  menu.addAction(Ui("交给拟合\t0"), this, [this] { tab_->AssignSelected(0); });
  menu.exec(event->globalPos());
}

QColor TInterpretationTab::LayerFill(int layer) { return LayerColour(layer).lighter(170); }

// ---- the tab ----

TInterpretationTab::TInterpretationTab(TfrmView* view) : QWidget(view), view_(view) {
  cboLayers = new QComboBox(this);
  cboLayers->addItem(Ui("自动"));
  for (int n = interpret::kMinLayers; n <= interpret::kMaxLayers; ++n) cboLayers->addItem(QString::number(n) + Ui(" 层"));
  cboLayers->setFocusPolicy(Qt::NoFocus);
  pnlPlot = new TInterpretationPlot(this);
  tblLayers = new QTableWidget(0, TableHeading().size(), this);
  tblLayers->setFont(view::SectionFont(view::kPanelFontPixels));
  tblLayers->setHorizontalHeaderLabels(TableHeading());
  tblLayers->verticalHeader()->hide();
  tblLayers->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  tblLayers->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tblLayers->setFocusPolicy(Qt::NoFocus);
  tblLayers->setMaximumHeight(150);
  lblNotes = new QLabel(this);
  lblNotes->setWordWrap(true);
  lblNotes->setFont(view::SectionFont(view::kPanelFontPixels));
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(Ui("层数"), this));
  top->addWidget(cboLayers);
  top->addStretch(1);
  lblSource = new QLabel(this);
  lblSource->setFont(view::SectionFont(view::kPanelFontPixels));
  top->addWidget(lblSource);
  auto* refraction = new QWidget(this);
  auto* layout = new QVBoxLayout(refraction);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addLayout(top);
  layout->addWidget(pnlPlot, 1);
  pnlDepth = new TDepthSection(this);
  pnlDepth->hide();
  layout->addWidget(pnlDepth, 1);
  layout->addWidget(tblLayers);
  layout->addWidget(lblNotes);
  stkPages_ = new QStackedWidget(this);
  stkPages_->addWidget(refraction);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(stkPages_);
  connect(cboLayers, &QComboBox::currentIndexChanged, this, [this] {
    Interpret();
    FillTable();
  });
  AddPage(new TReflectionPage(view_));
  AddPage(new TTwoPointPage(view_));
  AddPage(new TThicknessPage(view_));
}

void TInterpretationTab::AddPage(TMethodPage* page) {
  pages_.push_back(page);
  stkPages_->addWidget(page);
  ShowPage(stkPages_->currentWidget());
}

void TInterpretationTab::ShowPage(QWidget* shown) {
  // Only the page shown counts for the window's least size: a hidden
  // page's controls must not widen the window.
  for (int i = 0; i < stkPages_->count(); ++i) {
    QWidget* page = stkPages_->widget(i);
    page->setSizePolicy(page == shown ? QSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred)
                                      : QSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored));
  }
  stkPages_->setCurrentWidget(shown);
}

void TInterpretationTab::Refresh(const TfrmView& view, unsigned changes) {
  if (changes & kRecord) {
    const int method = interpret::MethodCodeOf(view.record().header);
    page_ = nullptr;
    for (TMethodPage* page : pages_)
      if (page->Takes(method)) page_ = page;
    ShowPage(page_ ? page_ : stkPages_->widget(0));
  }
  if (page_) return page_->Refresh(view, changes);
  if (!(changes & (kRecord | kPicks | kProcessing | kTimeWindow | kLayers))) return;
  if (changes & kRecord) {
    // The record left, as it was saved, for the line.
    if (lineMode() && shown_ < line_.records.size() && record_ == line_.records[shown_]) {
      try {
        line_.shots[shown_] = interpret::LoadShot(record_, &line_.rows[shown_]);
        line_.assigned[shown_] = line_.rows[shown_].layers;
      } catch (const Error& e) {
        line_.failure = FromCore(e.message());
      }
    }
    record_ = view.fileName();
    selected_ = 0;
    // Another record than the line's leaves the line.
    if (lineMode() && std::find(line_.records.begin(), line_.records.end(), record_) == line_.records.end())
      line_ = Line();
    ShowLine();
  }
  layersError_ = view.layersError().empty() ? QString() : FromCore(view.layersError());
  assignment_.Replace(view.layerChoices());
  if (changes == kLayers) {  // the same first breaks
    Interpret();
    FillTable();
    return;
  }
  shots_.clear();
  shown_ = 0;
  if (!view.record().channels.empty()) {
    const interpret::LineRow* row = nullptr;
    if (lineMode()) {
      shots_ = line_.shots;
      shown_ = static_cast<size_t>(std::find(line_.records.begin(), line_.records.end(), record_) - line_.records.begin());
      row = &line_.rows[shown_];
    }
    // The automatic picker, where it comes to that, sees the traces as
    // shown, within the time window.
    std::vector<const std::vector<float>*> traces;
    size_t from = 0, to = 0;
    if (view::WindowSamples(view.record().header, view.timeWindow(), from, to))
      for (size_t i = 0; i < view.record().channels.size(); ++i) traces.push_back(&view.Displayed(i));
    interpret::Shot shot = interpret::ShotOfRecord(view.record(), view.firstBreaks(), traces, from, to,
                                                   Utf8FromPath(record_.filename()), row);
    if (lineMode())
      shots_[shown_] = std::move(shot);
    else
      shots_.push_back(std::move(shot));
  }
  lblSource->setText(shot().breaks.empty() ? QString() : Ui("初至来源：") + SourceName(shot().source));
  Interpret();
  FillTable();
}

void TInterpretationTab::SetLine(const std::filesystem::path& file, const std::vector<std::filesystem::path>& records,
                                 const std::vector<interpret::LineRow>& rows) {
  Line line;
  line.file = file;
  line.records = records;
  line.rows = rows;
  // Each record's first breaks as gt7p-cli reads them, and its choices.
  for (size_t i = 0; i < records.size(); ++i) {
    line.shots.push_back(interpret::LoadShot(records[i], &rows[i]));
    line.assigned.push_back(rows[i].layers);
  }
  line_ = std::move(line);
  ShowLine();
  Refresh(*view_, kPicks);
}

const interpret::LineRow* TInterpretationTab::LineRowOf(const std::filesystem::path& record) const {
  const auto at = std::find(line_.records.begin(), line_.records.end(), record);
  return at == line_.records.end() ? nullptr : &line_.rows[static_cast<size_t>(at - line_.records.begin())];
}

void TInterpretationTab::SaveLineChoices(const std::filesystem::path& record, const std::map<int32_t, int>& chosen) {
  const auto at = std::find(line_.records.begin(), line_.records.end(), record);
  if (at == line_.records.end()) return;
  std::vector<interpret::LineRow> rows = line_.rows;
  rows[static_cast<size_t>(at - line_.records.begin())].layers = chosen;
  WriteBeside(line_.file, [&](const std::filesystem::path& part) { interpret::WriteGeometry(part, rows); });
  line_.rows = std::move(rows);
}

void TInterpretationTab::ShowLine() { pnlDepth->setVisible(lineMode()); }

void TInterpretationTab::Interpret() {
  survey_.reset();
  failure_.clear();
  if (shot().breaks.empty()) return;
  for (const interpret::Shot& s : shots_)
    if (!interpret::IsRefractionMethod(s.method)) {
      failure_ = Ui("该探测方法暂不支持解析");
      return;
    }
  interpret::SurveyOptions options;
  options.layers = cboLayers->currentIndex() == 0 ? 0 : cboLayers->currentIndex() + interpret::kMinLayers - 1;
  for (size_t i = 0; i < shots_.size(); ++i)
    options.assigned.push_back(i == shown_ ? assignment_.chosen()
                                           : i < line_.assigned.size() ? line_.assigned[i] : std::map<int32_t, int>());
  try {
    survey_ = interpret::Interpret(shots_, options);
  } catch (const Error& e) {
    failure_ = FromCore(e.message());
  }
}

void TInterpretationTab::FillTable() {
  const std::vector<QStringList> rows = TableRows(survey_, shot(), shown_, loosenedZone());
  tblLayers->setRowCount(static_cast<int>(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r)
    for (int c = 0; c < rows[r].size(); ++c) {
      auto* item = new QTableWidgetItem(rows[r][c]);
      item->setTextAlignment(c == 0 ? Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter) : Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
      if (c > 0) item->setForeground(QColor(c >= 5 ? 110 : 0, c >= 5 ? 110 : 0, c >= 5 ? 110 : 0));
      tblLayers->setItem(static_cast<int>(r), c, item);
    }
  QStringList notes;
  if (!layersError_.isEmpty()) notes << layersError_;
  if (!line_.failure.isEmpty()) notes << line_.failure;
  if (lineMode()) {
    notes << Ui("测线 ") + QString::fromStdString(Utf8FromPath(line_.file.filename())) + Ui("：") +
                 QString::number(shots_.size()) + Ui(" 炮，层表为本记录 ") + QString::fromStdString(shot().file);
    QStringList sources;
    for (const interpret::Shot& s : shots_) sources << QString::fromStdString(s.file) + Ui(" ") + SourceName(s.source);
    notes << Ui("各炮初至来源：") + sources.join(Ui("，"));
  }
  if (!failure_.isEmpty()) notes << failure_;
  if (loosenedZone() && survey_) {
    if (const auto zone = interpret::LoosenedZoneOf(*survey_))
      notes << Ui("松动圈厚度（自洞壁向岩体内）") + QString::number(zone->thicknessM, 'f', 2) + Ui(" m，松动圈速度 ") +
                   QString::number(zone->zoneVelocityMS, 'f', 0) + Ui(" m/s，围岩速度 ") +
                   QString::number(zone->rockVelocityMS, 'f', 0) + Ui(" m/s，速度比 ") +
                   QString::number(zone->ratio, 'f', 2);
    else
      notes << Ui("松动圈厚度求不出来");
  }
  if (shot().headerLayerCount > 0) notes << Ui("仪器探测层数 ") + QString::number(shot().headerLayerCount);
  if (!assignment_.chosen().empty())
    notes << Ui("人工分层 ") + QString::number(assignment_.chosen().size()) + Ui(" 点（方块）");
  if (survey_)
    for (const std::string& w : survey_->warnings) notes << QString::fromStdString(w);
  lblNotes->setText(notes.join(Ui("\n")));
  pnlPlot->update();
  pnlDepth->update();
}

void TInterpretationTab::SelectChannel(int32_t channel) {
  selected_ = channel;
  pnlPlot->update();
}

void TInterpretationTab::AssignSelected(int layer) {
  if (selected_ <= 0) return;
  view::LayerAssignment changed = assignment_;
  changed.Set(selected_, layer);
  if (changed.chosen() != assignment_.chosen()) view_->SetLayerChoices(changed.chosen(), false, true);
}

void TInterpretationTab::MoveBreak(size_t branch, int upper, double offsetM, bool continuing, bool save) {
  if (!survey_ || branch >= survey_->branches.size()) return;
  const interpret::Branch& b = survey_->branches[branch];
  std::vector<view::LayeredPoint> points;
  for (const interpret::PointFit& p : survey_->points)
    if (OnBranch(*survey_, b, p)) points.push_back({p.channel, p.offset, p.layer});
  view::LayerAssignment moved = assignment_;
  moved.MoveBreak(points, upper, offsetM);
  view_->SetLayerChoices(moved.chosen(), continuing, save);
  pnlPlot->repaint();
}

void TInterpretationTab::SaveChoices() { view_->SaveLayerChoices(); }

void TInterpretationTab::PaintPage(QPainter& painter, const QRect& rect) const {
  if (page_) return page_->PaintPage(painter, rect);
  QStringList notes = lblNotes->text().split(Ui("\n"), Qt::SkipEmptyParts);
  if (!lblSource->text().isEmpty()) notes.prepend(lblSource->text());
  auto plot = [this](QPainter& p, const QRect& area) {
    if (!lineMode()) return pnlPlot->PaintPlot(p, area);
    // The depth section under the plot.
    const QRect top(area.left(), area.top(), area.width(), area.height() / 2);
    pnlDepth->PaintSection(p, QRect(area.left(), top.bottom() + 1, area.width(), area.height() - top.height()));
    pnlPlot->PaintPlot(p, top);
  };
  interpretation_drawing::PaintPageOf(painter, rect, plot, {}, TableHeading(),
                                      TableRows(survey_, shot(), shown_, loosenedZone()), notes);
}

QImage TInterpretationTab::Picture(const QSize& size) const {
  QImage image(size, QImage::Format_RGB32);
  if (image.isNull()) return image;
  image.fill(Qt::white);
  QPainter painter(&image);
  PaintPage(painter, image.rect());
  return image;
}

}  // namespace gt7p
