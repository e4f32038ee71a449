#include "viewer/report.h"

#include <QBuffer>
#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <map>
#include <new>

#include "base/error.h"
#include "base/messages.h"
#include "base/version.h"
#include "interpret/interpret.h"
#include "records/records.h"
#include "ui/ui.h"
#include "viewer/section_painter.h"
#include "viewer/spectrum_painter.h"

namespace gt7p {
namespace {

using interpret::Interpretation;
using interpret::Method;
using interpret::ResultNumber;
using interpret::ResultTable;

const QString kStoreGroup = QStringLiteral("report");

// ---- texts ----

QString MethodTitle(Method method) {
  switch (method) {
    case Method::kThickness: return Ui("单点测厚");
    case Method::kReflection: return Ui("反射探测");
    case Method::kTwoPoint: return Ui("双点测速");
    case Method::kRefraction: break;
  }
  return Ui("折射探测");
}

QString MethodStatement(Method method) {
  switch (method) {
    case Method::kThickness:
      return Ui("单点测厚：各道振幅谱之和（汉宁窗，至少补零至四倍长度）在频段内的最强峰，峰值须达到频段中值的幅谱阀值Av倍，"
                "峰频在相邻谱线间插值求得；厚度 = e × V0 / 主频。适用条件：一块速度均匀的板体，其厚度共振为频段内最强的峰；"
                "速度V0须已知（记录头的已知速度V0或 --velocity）。");
    case Method::kReflection:
      return Ui("反射探测：操作员拾取的反射波按 t² = T0² + x²/v² 作最小二乘拟合，得速度、零炮检距时间T0和反射界面深度 v·T0/2；"
                "已知速度V0时另按 0.5·√(V0²t² − x²) 求各道深度。适用条件：地面平坦，反射界面为水平平面，界面以上为单一速度。");
    case Method::kTwoPoint:
      return Ui("双点测速：相邻两检波点的源检距差除以初至时间差，得两点间的速度，并取其平均。适用条件：地面平坦，"
                "两点间为同一直达波，速度均匀。");
    case Method::kRefraction: break;
  }
  return Ui("折射探测：各炮初至按炮点两侧分支、按源检距分段作直线拟合，第一段为直达波（其截距为时间零点偏差），其后各段为各层顶面的首波。"
            "单炮按多层截距时间公式求炮点下各界面深度（水平层）；相遇观测按上、下倾视速度求各界面真速度和倾角，"
            "按正负法求检波点下深度；多炮取各对的平均和离差。适用条件：地面平坦（测线水平），界面为平面，射线为直线，"
            "各层速度随深度增大；速度低于上覆层的隐伏层或速度倒转层只指出，不求解。深度为铅垂深度。");
}

QString ColumnLabel(const std::string& column) {
  static const std::map<std::string, const char*> labels = {
      {"number", "序号"}, {"file", "文件"}, {"x_m", "位置(m)"}, {"velocity_m_s", "速度(m/s)"},
      {"dip_deg", "倾角(°)"}, {"picks_source", "初至来源"}, {"time_zero_ms", "时间零点偏差(ms)"},
      {"reciprocal_mismatch_ms", "互换时间差(ms)"}, {"peak_hz", "主频(Hz)"}, {"thickness_m", "厚度(m)"},
      {"ratio_e", "深度波长比e"}, {"threshold_av", "幅谱阀值Av"}, {"peak_to_median", "峰值/中值"},
      {"band_lo_hz", "频段起点(Hz)"}, {"band_hi_hz", "频段终点(Hz)"}, {"outside_bounds", "超出h1..h2"},
      {"zero_offset_ms", "T0(ms)"}, {"depth_m", "深度(m)"}, {"rms_ms", "均方根残差(ms)"},
      {"known_velocity_m_s", "已知速度V0(m/s)"}, {"mean_depth_m", "平均深度(m)"}, {"depth_spread_m", "深度标准差(m)"},
      {"channel", "道号"}, {"offset_m", "源检距(m)"}, {"time_ms", "时间(ms)"}, {"residual_ms", "残差(ms)"},
      {"channel_a", "道号A"}, {"channel_b", "道号B"}, {"offset_a_m", "源检距A(m)"}, {"offset_b_m", "源检距B(m)"},
      {"time_a_ms", "初至A(ms)"}, {"time_b_ms", "初至B(ms)"},
  };
  const auto known = labels.find(column);
  if (known != labels.end()) return Ui(known->second);
  // depth_K_m, intercept_K_ms, crossover_K_m, spread_K_m: boundary K below layer K.
  const size_t first = column.find('_'), second = column.find('_', first + 1);
  if (first != std::string::npos && second != std::string::npos) {
    const QString k = QString::fromStdString(column.substr(first + 1, second - first - 1));
    const std::string name = column.substr(0, first);
    if (name == "depth") return Ui("第%1层底深(m)").arg(k);
    if (name == "intercept") return Ui("截距%1(ms)").arg(k);
    if (name == "crossover") return Ui("交叉距离%1(m)").arg(k);
    if (name == "spread") return Ui("离差%1(m)").arg(k);
  }
  return QString::fromStdString(column);
}

QString CellText(const std::string& column, const std::string& value) {
  if (column == "picks_source") {
    if (value == "operator") return Ui("操作员拾取");
    if (value == "instrument") return Ui("仪器解析点");
    if (value == "auto") return Ui("自动拾取");
  }
  if (column == "outside_bounds") return value == "true" ? Ui("是") : Ui("否");
  return value.empty() ? Ui("—") : QString::fromStdString(value);
}

// How many first breaks the operator put on a layer.
size_t ChosenPoints(const interpret::SurveyOptions& options) {
  size_t chosen = 0;
  for (const std::map<int32_t, int>& shot : options.assigned) chosen += shot.size();
  return chosen;
}

// ---- the pages ----

constexpr double kBody = 9, kSmall = 7.5, kTitle = 18, kHeading = 12;  // points

QFont ReportFont(double points, bool bold = false) {
  QFont font = SongFont(12);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

struct Table {
  QStringList head;
  std::vector<QStringList> rows;
};

// Pages of an A4 PDF filled from the top, one block after another; the
// painter's unit is the point (the writer at 72 dots per inch).
class Pages {
 public:
  // `total`: the page count "共 N 页" gives, 0 while it is not known yet.
  Pages(QPdfWriter& writer, int total) : writer_(writer), total_(total) {
    if (!painter_.begin(&writer_)) throw FailureError(Failure::kCantCreateFile);
    width_ = writer_.width();
    bottom_ = writer_.height() - 18;  // the page number below
  }
  ~Pages() {
    if (painter_.isActive()) painter_.end();
  }
  void Finish() {
    Number();
    if (!painter_.end()) throw FailureError(Failure::kCantCreateFile);
  }

  int count() const { return page_; }
  QPainter& painter() { return painter_; }
  double width() const { return width_; }
  double y() const { return y_; }
  void Advance(double h) { y_ += h; }

  void NewPage() {
    Number();
    writer_.newPage();
    ++page_;
    y_ = 0;
  }
  // Room for `h` points on this page, or a new one.
  void Room(double h) {
    if (y_ > 0 && y_ + h > bottom_) NewPage();
  }
  double Left() const { return bottom_ - y_; }

  void Text(const QString& text, double points, bool bold = false, double after = 4,
            Qt::Alignment align = Qt::AlignLeft) {
    const QFont font = ReportFont(points, bold);
    painter_.setFont(font);
    const QRectF box = painter_.boundingRect(QRectF(0, 0, width_, 1e6), align | Qt::TextWordWrap, text);
    Room(box.height());
    painter_.setPen(Qt::black);
    painter_.drawText(QRectF(0, y_, width_, box.height()), align | Qt::TextWordWrap, text);
    y_ += box.height() + after;
  }
  // A table's or a picture's title, kept on one page with the first
  // `room` points of what follows.
  void Label(const QString& text, double room = 40) {
    Room(room + 20);
    Text(text, kBody, true);
  }
  void Heading(const QString& text) {
    Room(60);  // never alone at a page's foot
    y_ += 6;
    Text(text, kHeading, true, 6);
  }

  // A table, columns as wide as their widest cell; too wide for the page,
  // it goes on in parts that repeat its first `keep` columns.
  void Draw(const Table& table, int keep = 1, double points = kSmall) {
    const QFont font = ReportFont(points), bold = ReportFont(points, true);
    const QFontMetricsF fm(font, &writer_), fb(bold, &writer_);
    const int columns = static_cast<int>(table.head.size());
    std::vector<double> widths(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c) {
      double w = fb.horizontalAdvance(table.head[c]);
      for (const QStringList& row : table.rows) w = std::max(w, fm.horizontalAdvance(row.value(c)));
      widths[static_cast<size_t>(c)] = w + 8;
    }
    keep = std::min(keep, columns);
    double kept = 0;
    for (int c = 0; c < keep; ++c) kept += widths[static_cast<size_t>(c)];
    int from = keep;
    do {
      std::vector<int> part;
      for (int c = 0; c < keep; ++c) part.push_back(c);
      double used = kept;
      while (from < columns && (part.size() == static_cast<size_t>(keep) || used + widths[static_cast<size_t>(from)] <= width_)) {
        used += widths[static_cast<size_t>(from)];
        part.push_back(from++);
      }
      DrawPart(table, part, widths, font, bold, fm.height() + 4);
    } while (from < columns);
    y_ += 6;
  }

 private:
  void DrawPart(const Table& table, const std::vector<int>& part, const std::vector<double>& widths, const QFont& font,
                const QFont& bold, double rowHeight) {
    auto row = [&](const QStringList& cells, bool head) {
      Room(rowHeight * (head ? 2 : 1));
      double x = 0;
      painter_.setFont(head ? bold : font);
      for (int c : part) {
        const double w = widths[static_cast<size_t>(c)];
        const QRectF cell(x, y_, w, rowHeight);
        if (head) painter_.fillRect(cell, QColor(230, 230, 230));
        painter_.setPen(QPen(QColor(120, 120, 120), 0.4));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(cell);
        painter_.setPen(Qt::black);
        // Numbers to the right, words to the left.
        bool number = false;
        cells.value(c).toDouble(&number);
        const Qt::Alignment side = head ? Qt::AlignHCenter : number || cells.value(c) == Ui("—") ? Qt::AlignRight : Qt::AlignLeft;
        painter_.drawText(cell.adjusted(4, 0, -4, 0), Qt::AlignVCenter | side, cells.value(c));
        x += w;
      }
      y_ += rowHeight;
    };
    row(table.head, true);
    for (const QStringList& cells : table.rows) {
      if (y_ + rowHeight > bottom_) {
        NewPage();
        row(table.head, true);  // the head again on the next page
      }
      row(cells, false);
    }
  }

  void Number() {
    painter_.setFont(ReportFont(kSmall));
    painter_.setPen(Qt::black);
    painter_.drawText(QRectF(0, writer_.height() - 12, width_, 12), Qt::AlignCenter,
                      total_ > 0 ? Ui("第 %1 页，共 %2 页").arg(page_).arg(total_) : Ui("第 %1 页").arg(page_));
  }

  QPdfWriter& writer_;
  QPainter painter_;
  double width_ = 0, bottom_ = 0, y_ = 0;
  int total_ = 0, page_ = 1;
};

// ---- charts ----

// A step of 1, 2 or 5 times a power of ten giving about `count` ticks.
double NiceStep(double span, int count) {
  if (!(span > 0)) return 1;
  const double raw = span / count, power = std::pow(10, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0})
    if (m * power >= raw) return m * power;
  return 10 * power;
}

struct Chart {
  QRectF area;                   // the plot's frame in points
  double x0, x1, y0, y1;         // data at the frame's left, right, top and bottom
  double X(double x) const { return area.left() + (x - x0) / (x1 - x0) * area.width(); }
  double Y(double y) const { return area.top() + (y - y0) / (y1 - y0) * area.height(); }
  QPointF At(double x, double y) const { return QPointF(X(x), Y(y)); }
};

// Axes with ticks and their numbers, and the axes' names.
void DrawAxes(QPainter& p, const Chart& c, const QString& xName, const QString& yName) {
  const QFont font = ReportFont(kSmall);
  p.setFont(font);
  const QFontMetricsF fm(font);
  p.setPen(QPen(Qt::black, 0.6));
  p.setBrush(Qt::NoBrush);
  p.drawRect(c.area);
  const double xs = NiceStep(std::fabs(c.x1 - c.x0), 8), ys = NiceStep(std::fabs(c.y1 - c.y0), 6);
  for (double x = std::ceil(std::min(c.x0, c.x1) / xs) * xs; x <= std::max(c.x0, c.x1) + 1e-9 * xs; x += xs) {
    p.drawLine(QPointF(c.X(x), c.area.bottom()), QPointF(c.X(x), c.area.bottom() + 3));
    p.drawText(QRectF(c.X(x) - 30, c.area.bottom() + 3, 60, fm.height()), Qt::AlignHCenter,
               QString::fromStdString(ResultNumber(x, 6)));
  }
  for (double y = std::ceil(std::min(c.y0, c.y1) / ys) * ys; y <= std::max(c.y0, c.y1) + 1e-9 * ys; y += ys) {
    p.drawLine(QPointF(c.area.left() - 3, c.Y(y)), QPointF(c.area.left(), c.Y(y)));
    p.drawText(QRectF(c.area.left() - 64, c.Y(y) - fm.height() / 2, 60, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
               QString::fromStdString(ResultNumber(y, 6)));
  }
  p.drawText(QRectF(c.area.left(), c.area.bottom() + 3 + fm.height(), c.area.width(), fm.height()), Qt::AlignHCenter,
             xName);
  p.save();
  p.translate(c.area.left() - 40, c.area.center().y());
  p.rotate(-90);
  p.drawText(QRectF(-c.area.height() / 2, -fm.height(), c.area.height(), fm.height()), Qt::AlignHCenter, yName);
  p.restore();
}

QColor ShotColour(size_t i) {
  static const QColor colours[] = {QColor(200, 30, 30), QColor(30, 90, 200), QColor(20, 140, 60), QColor(200, 120, 0),
                                   QColor(130, 40, 160), QColor(0, 140, 150), QColor(120, 80, 40), QColor(90, 90, 90)};
  return colours[i % (sizeof colours / sizeof colours[0])];
}

// The first breaks of every shot against x, each shot's own colour, the
// points joined in order of x; the sources marked on the time axis' foot.
void TravelTimes(Pages& pages, const Interpretation& result) {
  double xMin = HUGE_VAL, xMax = -HUGE_VAL, tMax = 0;
  for (const interpret::Shot& shot : result.shots) {
    xMin = std::min(xMin, shot.sourceX), xMax = std::max(xMax, shot.sourceX);
    for (const interpret::FirstBreak& b : shot.breaks)
      xMin = std::min(xMin, b.receiverX), xMax = std::max(xMax, b.receiverX), tMax = std::max(tMax, b.timeMs);
  }
  if (!(xMax > xMin)) return;
  const double height = 230;
  pages.Room(height + 40 + 14.0 * static_cast<double>((result.shots.size() + 3) / 4));
  QPainter& p = pages.painter();
  const double step = NiceStep(tMax, 6);
  const Chart c{QRectF(50, pages.y() + 6, pages.width() - 60, height), xMin, xMax, std::ceil(tMax / step) * step, 0};
  DrawAxes(p, c, Ui("位置 x (m)"), Ui("初至时间 (ms)"));
  for (size_t i = 0; i < result.shots.size(); ++i) {
    std::vector<interpret::FirstBreak> breaks = result.shots[i].breaks;
    std::sort(breaks.begin(), breaks.end(), [](const auto& a, const auto& b) { return a.receiverX < b.receiverX; });
    QPolygonF line;
    for (const interpret::FirstBreak& b : breaks) line << c.At(b.receiverX, b.timeMs);
    p.setPen(QPen(ShotColour(i), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(line);
    p.setBrush(ShotColour(i));
    for (const QPointF& at : line) p.drawEllipse(at, 1.6, 1.6);
    const QPointF source = c.At(result.shots[i].sourceX, 0);
    p.drawPolygon(QPolygonF({source + QPointF(0, -1), source + QPointF(-4, -8), source + QPointF(4, -8)}));
  }
  pages.Advance(height + 36);
  // The legend: the shots' colours and files.
  p.setFont(ReportFont(kSmall));
  for (size_t i = 0; i < result.shots.size(); ++i) {
    const double x = 50 + static_cast<double>(i % 4) * (pages.width() - 60) / 4;
    const double y = pages.y() + 14.0 * static_cast<double>(i / 4);
    p.setPen(QPen(ShotColour(i), 1.5));
    p.drawLine(QPointF(x, y + 6), QPointF(x + 16, y + 6));
    p.setPen(Qt::black);
    p.drawText(QRectF(x + 20, y, 200, 12), Qt::AlignVCenter | Qt::AlignLeft,
               QString::fromStdString(result.shots[i].file) + Ui("（x = %1 m）").arg(QString::fromStdString(ResultNumber(result.shots[i].sourceX, 3))));
  }
  pages.Advance(14.0 * static_cast<double>((result.shots.size() + 3) / 4) + 6);
}

// Depth against x: each layer filled down to its bottom boundary (the
// receivers' depths of a line, the shots' depths), the last layer to the
// foot; the shots marked at the surface.
void DepthSection(Pages& pages, const Interpretation& result) {
  const interpret::Survey& s = result.survey;
  const size_t boundaries = s.layers.size() > 0 ? s.layers.size() - 1 : 0;
  double xMin = HUGE_VAL, xMax = -HUGE_VAL, deepest = 0;
  for (const interpret::Shot& shot : result.shots) {
    xMin = std::min(xMin, shot.sourceX), xMax = std::max(xMax, shot.sourceX);
    for (const interpret::FirstBreak& b : shot.breaks) xMin = std::min(xMin, b.receiverX), xMax = std::max(xMax, b.receiverX);
  }
  if (!(xMax > xMin)) return;
  // Each boundary's points by x.
  std::vector<std::map<double, double>> lines(boundaries);
  for (size_t k = 0; k < boundaries; ++k) {
    if (s.shots.size() > 1)
      for (const interpret::ReceiverResult& r : s.receivers)
        if (k < r.depthsM.size() && r.depthsM[k]) lines[k][r.x] = *r.depthsM[k];
    for (const interpret::ShotResult& r : s.shots)
      if (k < r.depthsM.size() && r.depthsM[k]) lines[k][r.x] = *r.depthsM[k];
    for (const auto& [x, depth] : lines[k]) deepest = std::max(deepest, depth);
  }
  const double foot = NiceStep(std::max(deepest, 1.0) * 1.3, 5) * std::ceil(std::max(deepest, 1.0) * 1.3 / NiceStep(std::max(deepest, 1.0) * 1.3, 5));
  const double height = 220;
  pages.Room(height + 50);
  QPainter& p = pages.painter();
  const Chart c{QRectF(50, pages.y() + 6, pages.width() - 60, height), xMin, xMax, 0, foot};
  // A boundary as a polyline across the whole section: flat beyond its
  // outermost points; one point (one shot, flat layers) flat all across.
  auto polyline = [&](size_t k) {
    QPolygonF line;
    if (k >= boundaries || lines[k].empty()) return line;
    const auto& points = lines[k];
    line << c.At(xMin, points.begin()->second);
    for (const auto& [x, depth] : points)
      if (x > xMin && x < xMax) line << c.At(x, depth);
    line << c.At(xMax, points.rbegin()->second);
    return line;
  };
  static const QColor fills[] = {QColor(250, 235, 190), QColor(215, 235, 200), QColor(200, 220, 240), QColor(235, 210, 225),
                                 QColor(220, 220, 220)};
  QPolygonF top({c.At(xMin, 0), c.At(xMax, 0)});
  p.setPen(Qt::NoPen);
  for (size_t layer = 0; layer <= boundaries; ++layer) {
    QPolygonF bottom = polyline(layer);
    if (bottom.isEmpty()) bottom = QPolygonF({c.At(xMin, foot), c.At(xMax, foot)});
    QPolygonF area = top;
    for (auto it = bottom.rbegin(); it != bottom.rend(); ++it) area << *it;
    p.setBrush(fills[layer % 5]);
    p.drawPolygon(area);
    // The layer's velocity where it has room.
    const double middle = (top.first().y() + top.last().y() + bottom.first().y() + bottom.last().y()) / 4;
    if (layer < s.layers.size() && s.layers[layer].velocityMS) {
      p.setPen(Qt::black);
      p.setFont(ReportFont(kSmall));
      p.drawText(QRectF(c.area.left() + 6, middle - 6, c.area.width() - 12, 12), Qt::AlignLeft | Qt::AlignVCenter,
                 Ui("第%1层  %2 m/s").arg(layer + 1).arg(QString::fromStdString(ResultNumber(*s.layers[layer].velocityMS, 1))));
      p.setPen(Qt::NoPen);
    }
    if (polyline(layer).isEmpty()) break;
    top = bottom;
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::black, 0.9));
  for (size_t k = 0; k < boundaries; ++k) p.drawPolyline(polyline(k));
  p.setPen(QPen(Qt::black, 0.4));
  p.setBrush(Qt::black);
  for (const interpret::ShotResult& r : s.shots) {
    for (size_t k = 0; k < r.depthsM.size(); ++k)
      if (r.depthsM[k]) p.drawEllipse(c.At(r.x, *r.depthsM[k]), 1.5, 1.5);
  }
  DrawAxes(p, c, Ui("位置 x (m)"), Ui("深度 (m)"));
  for (size_t i = 0; i < s.shots.size(); ++i) {
    const QPointF at = c.At(s.shots[i].x, 0);
    p.setPen(QPen(Qt::black, 0.4));
    p.setBrush(ShotColour(i));
    p.drawPolygon(QPolygonF({at, at + QPointF(-4, -7), at + QPointF(4, -7)}));
  }
  pages.Advance(height + 40);
}

// ---- the parts ----

Table TableOf(const ResultTable& table, const std::string& kind, const std::string& number = std::string()) {
  std::vector<const std::vector<std::string>*> rows;
  for (const std::vector<std::string>& row : table.rows)
    if (row[0] == kind && (number.empty() || row[1] == number)) rows.push_back(&row);
  Table out;
  std::vector<size_t> shown;
  for (size_t c = 1; c < table.columns.size(); ++c) {
    if (c == 1 && !number.empty()) continue;
    bool any = false;
    for (const auto* row : rows) any = any || !(*row)[c].empty();
    if (any) shown.push_back(c);
  }
  for (size_t c : shown) out.head << ColumnLabel(table.columns[c]);
  for (const auto* row : rows) {
    QStringList cells;
    for (size_t c : shown) cells << CellText(table.columns[c], (*row)[c]);
    out.rows.push_back(cells);
  }
  return out;
}

QString FieldValue(const std::vector<FieldLine>& lines, int field) {
  for (const FieldLine& line : lines)
    if (line.field == field) return FromCore(line.value).trimmed();
  return QString();
}

// The values of one field over the records, each once, in order.
QString FieldValues(const std::vector<std::vector<FieldLine>>& records, int field) {
  QStringList values;
  for (const auto& lines : records) {
    const QString value = FieldValue(lines, field);
    if (!value.isEmpty() && !values.contains(value)) values << value;
  }
  return values.join(Ui("、"));
}

void TitleBlock(Pages& pages, const Interpretation& result, const ReportTexts& texts,
                const std::vector<std::vector<FieldLine>>& headers) {
  pages.Advance(20);
  pages.Text(Ui("%1报告").arg(MethodTitle(result.method)), kTitle, true, 20, Qt::AlignHCenter);
  // "gt7p VERSION" and the product's name: VersionText's first two lines.
  const QStringList version = QString::fromUtf8(VersionText("gt7p").c_str()).split('\n');
  const QString program = version.value(0) + Ui("（") + version.value(1) + Ui("）");
  Table block;
  block.head << Ui("项目") << Ui("内容");
  auto add = [&](const char* name, const QString& value) { block.rows.push_back({Ui(name), value.isEmpty() ? Ui("—") : value}); };
  add("委托单位", QString::fromStdString(texts.client));
  add("工程名称", QString::fromStdString(texts.project));
  add("探测地点", FieldValues(headers, kFieldPlace));
  add("探测时间", FieldValues(headers, kFieldSurveyTime));
  add("测线编号", FieldValues(headers, kFieldLine));
  add("测点编号", FieldValues(headers, kFieldPoint));
  add("操作员", QString::fromStdString(texts.operatorName));
  add("解析方法", MethodTitle(result.method));
  QStringList files;
  for (const std::filesystem::path& file : result.request.files) files << FromPath(file.filename());
  add("记录", files.join(Ui("、")));
  add("程序", program);
  pages.Draw(block, 1, kBody + 1);
}

QString Parameters(const Interpretation& result) {
  const interpret::Request& r = result.request;
  auto n = [](double v, int d) { return QString::fromStdString(ResultNumber(v, d)); };
  QStringList items;
  switch (result.method) {
    case Method::kThickness:
      items << Ui("频段 %1 - %2 Hz").arg(n(result.thickness.bandLoHz, 2), n(result.thickness.bandHiHz, 2))
            << Ui("速度 %1 m/s（%2）").arg(n(result.thickness.velocityMS, 1), r.thickness.velocityMS > 0 ? Ui("--velocity") : Ui("已知速度V0"))
            << Ui("深度波长比e %1").arg(n(result.thickness.ratioE, 4))
            << Ui("幅谱阀值Av %1").arg(n(result.thickness.thresholdAv, 2))
            << Ui("频率间隔 %1 Hz").arg(n(result.thickness.binHz, 4)) << Ui("%1 道").arg(result.thickness.traces)
            << Ui("记录头 h1..h2：%1 - %2 m").arg(n(result.record.header.minThicknessM, 2), n(result.record.header.maxThicknessM, 2));
      break;
    case Method::kReflection:
      items << Ui("反射波拾取 %1 道").arg(result.reflection.traces.size());
      if (result.reflection.knownVelocityMS > 0)
        items << Ui("已知速度V0 %1 m/s").arg(n(result.reflection.knownVelocityMS, 1));
      break;
    case Method::kTwoPoint:
      items << Ui("%1 对相邻检波点").arg(result.twoPoint.pairs.size());
      break;
    case Method::kRefraction:
      items << Ui("层数 %1（%2）").arg(result.survey.layerCount).arg(r.survey.layers ? Ui("--layers") : Ui("拟合选定"));
      items << (result.survey.reversed ? Ui("相遇观测，倾斜界面") : Ui("水平层"));
      items << Ui("均方根残差 %1 ms").arg(n(result.survey.rmsMs, 4));
      if (r.survey.throughOrigin) items << Ui("直达波过原点");
      if (const size_t chosen = ChosenPoints(r.survey)) items << Ui("人工分层 %1 点").arg(chosen);
      if (r.survey.v1MS > 0) items << Ui("第1层速度定为 %1 m/s").arg(n(r.survey.v1MS, 1));
      if (r.survey.headerV1) items << Ui("第1层速度取已知速度V0");
      break;
  }
  return Ui("参数：") + items.join(Ui("；"));
}

QString Warnings(const std::vector<std::string>& warnings) {
  QStringList lines;
  for (const std::string& w : warnings) lines << Ui("注意：") + QString::fromStdString(w);
  return lines.join('\n');
}

const std::vector<interpret::FirstBreak>* BreaksOf(const Interpretation& result, size_t i) {
  if (i >= result.shots.size()) return nullptr;
  return result.method == Method::kReflection ? &result.shots[i].reflections : &result.shots[i].breaks;
}

// The summed spectrum as the thickness page of the viewer draws it, on a
// logarithmic axis over the whole spectrum.
void ThicknessSpectrum(Pages& pages, const interpret::ThicknessResult& r) {
  constexpr double kHeight = 240;
  pages.Label(Ui("振幅谱之和"), kHeight);
  view::SpectrumFigure figure;
  figure.title = Ui("%1 道振幅谱之和，频段 %2 - %3 Hz（阴影）")
                     .arg(r.traces)
                     .arg(QString::fromStdString(ResultNumber(r.bandLoHz, 2)), QString::fromStdString(ResultNumber(r.bandHiHz, 2)));
  figure.spectrum = r.spectrum;
  figure.binHz = r.binHz;
  figure.bandLoHz = r.bandLoHz;
  figure.bandHiHz = r.bandHiHz;
  figure.peakHz = r.peakHz;
  view::SpectrumAxis axis;
  axis.SetLogarithmic(true);
  view::SetAxisLimits(axis, r.spectrum, r.binHz);
  view::PaintSpectrum(pages.painter(), QRectF(0, pages.y(), pages.width(), kHeight), figure, axis, ReportFont(kSmall), 0.6);
  pages.Advance(kHeight + 8);
}

void RecordPart(Pages& pages, const Interpretation& result, size_t i, const ResultTable& table) {
  const std::filesystem::path& file = result.request.files[i];
  if (i > 0 || result.method == Method::kRefraction) pages.NewPage();
  pages.Heading(Ui("记录 %1：%2").arg(i + 1).arg(FromPath(file.filename())));
  // The section first: its header lines come with it.
  const double width = pages.width(), scale = width / 1000, height = 620 * scale;
  pages.Room(height + 8);
  QPainter& p = pages.painter();
  p.save();
  p.translate(0, pages.y());
  p.scale(scale, scale);
  p.setPen(Qt::black);  // as on a painter of its own
  p.setBrush(Qt::NoBrush);
  PlotOptions plot;
  const std::vector<FieldLine> lines = view::PaintRecordFile(p, file, plot, 1000, 620, false);
  p.restore();
  p.setPen(QPen(QColor(120, 120, 120), 0.4));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(0, pages.y(), width, height));
  pages.Advance(height + 8);

  pages.Label(Ui("记录头"));
  Table fields;
  constexpr int kPairs = 3;
  for (int k = 0; k < kPairs; ++k) fields.head << Ui("字段") << Ui("值");
  for (size_t at = 0; at < lines.size(); at += kPairs) {
    QStringList row;
    for (size_t k = at; k < at + kPairs; ++k)
      row << (k < lines.size() ? FromCore(lines[k].name) : QString()) << (k < lines.size() ? FromCore(lines[k].value).trimmed() : QString());
    fields.rows.push_back(row);
  }
  pages.Draw(fields, 0);

  if (const std::vector<interpret::FirstBreak>* breaks = BreaksOf(result, i); breaks && !breaks->empty()) {
    pages.Label(result.method == Method::kReflection ? Ui("反射波拾取") : Ui("初至（%1）").arg(CellText("picks_source", interpret::PickSourceName(result.shots[i].source))));
    Table picks;
    constexpr int kGroups = 4;
    for (int k = 0; k < kGroups; ++k) picks.head << Ui("道号") << Ui("位置(m)") << Ui("时间(ms)");
    for (size_t at = 0; at < breaks->size(); at += kGroups) {
      QStringList row;
      for (size_t k = at; k < at + kGroups; ++k) {
        if (k < breaks->size())
          row << QString::number((*breaks)[k].channel) << QString::fromStdString(ResultNumber((*breaks)[k].receiverX, 3))
              << QString::fromStdString(ResultNumber((*breaks)[k].timeMs, 5));
        else
          row << QString() << QString() << QString();
      }
      picks.rows.push_back(row);
    }
    pages.Draw(picks, 0);
  }

  pages.Label(Ui("解析结果：%1").arg(MethodTitle(result.method)));
  if (result.method == Method::kRefraction) {
    pages.Draw(TableOf(table, "shot", std::to_string(i + 1)), 1);
    pages.Text(Parameters(result), kSmall);
    if (i < result.shots.size() && !result.shots[i].warnings.empty()) pages.Text(Warnings(result.shots[i].warnings), kSmall);
    return;
  }
  pages.Draw(TableOf(table, "layer"), 1);
  if (result.method == Method::kReflection) pages.Draw(TableOf(table, "receiver"), 1);
  if (result.method == Method::kTwoPoint) pages.Draw(TableOf(table, "pair"), 1);
  pages.Text(Parameters(result), kSmall);
  const std::vector<std::string>& warnings =
      result.method == Method::kReflection ? result.reflection.warnings : result.method == Method::kTwoPoint ? result.twoPoint.warnings : std::vector<std::string>();
  if (!warnings.empty()) pages.Text(Warnings(warnings), kSmall);
  if (result.method == Method::kThickness && result.thickness.outsideBounds)
    pages.Text(Ui("注意：厚度超出记录头的最小/最大厚度 h1..h2"), kSmall);
  if (result.method == Method::kThickness) ThicknessSpectrum(pages, result.thickness);
}

void LinePart(Pages& pages, const Interpretation& result, const ResultTable& table) {
  pages.Heading(result.shots.size() > 1 ? Ui("测线解析") : Ui("折射解析"));
  if (!result.geometry.empty()) {
    pages.Label(Ui("测线几何"));
    Table geometry;
    geometry.head << Ui("文件") << Ui("炮点位置(m)") << Ui("首检波点位置(m)") << Ui("检波点间距(m)");
    for (const interpret::LineRow& row : result.geometry)
      geometry.rows.push_back({QString::fromStdString(row.file), QString::fromStdString(ResultNumber(row.sourceX, 3)),
                               QString::fromStdString(ResultNumber(row.firstReceiverX, 3)),
                               QString::fromStdString(ResultNumber(row.spacing, 3))});
    pages.Draw(geometry, 1);
  }
  pages.Label(Ui("各层"));
  pages.Draw(TableOf(table, "layer"), 1);
  pages.Text(Parameters(result), kSmall);
  pages.Label(Ui("时距曲线"), 300);
  TravelTimes(pages, result);
  pages.Label(Ui("深度剖面"), 270);
  DepthSection(pages, result);
  pages.Label(Ui("炮点"));
  pages.Draw(TableOf(table, "shot"), 1);
  if (result.shots.size() > 1) {
    pages.Label(Ui("检波点"));
    pages.Draw(TableOf(table, "receiver"), 1);
  }
  if (!result.survey.warnings.empty()) pages.Text(Warnings(result.survey.warnings), kSmall);
}

}  // namespace

ReportTexts RememberedReportTexts(const std::optional<std::string>& client, const std::optional<std::string>& project,
                                  const std::optional<std::string>& operatorName) {
  auto app = view::EnsureGuiApplication();
  const StoreGroup store(kStoreGroup);
  auto value = [&](const std::optional<std::string>& given, const char* key) {
    return given ? *given : store.Value(QString::fromLatin1(key)).toString().toStdString();
  };
  return {value(client, "client"), value(project, "project"), value(operatorName, "operator")};
}

void KeepReportTexts(const ReportTexts& texts) {
  auto app = view::EnsureGuiApplication();
  StoreGroup store(kStoreGroup);
  store.SetValue(QStringLiteral("client"), QString::fromStdString(texts.client));
  store.SetValue(QStringLiteral("project"), QString::fromStdString(texts.project));
  store.SetValue(QStringLiteral("operator"), QString::fromStdString(texts.operatorName));
}

void WriteSurveyReport(const std::filesystem::path& pdfPath, const interpret::Interpretation& result,
                       const ReportTexts& texts) {
  auto app = view::EnsureGuiApplication();
  try {
    const size_t records = result.method == Method::kThickness ? 1 : result.request.files.size();
    std::vector<std::vector<FieldLine>> headers;
    for (size_t i = 0; i < records; ++i) headers.push_back(HeaderFieldLines(RecordReader(result.request.files[i]).header()));
    const ResultTable table = interpret::ResultRows(result);

    // Laid out twice: first into memory for the page count, then into the
    // file with "共 N 页" on every page (the count text is in the footer,
    // below the body, so the second layout breaks the pages alike).
    auto compose = [&](QPdfWriter& writer, int total) {
      writer.setResolution(72);
      writer.setPageSize(QPageSize(QPageSize::A4));
      writer.setPageMargins(QMarginsF(18, 15, 18, 12), QPageLayout::Millimeter);
      writer.setTitle(Ui("%1报告").arg(MethodTitle(result.method)));
      writer.setCreator(QStringLiteral("gt7p"));
      Pages pages(writer, total);
      TitleBlock(pages, result, texts, headers);
      if (result.method == Method::kRefraction) LinePart(pages, result, table);
      for (size_t i = 0; i < records; ++i) RecordPart(pages, result, i, table);
      pages.Heading(Ui("方法说明"));
      pages.Text(MethodStatement(result.method), kBody);
      pages.Finish();
      return pages.count();
    };
    int total = 0;
    {
      QBuffer scratch;
      scratch.open(QIODevice::WriteOnly);
      QPdfWriter writer(&scratch);
      total = compose(writer, 0);
    }
    {
      QPdfWriter writer(FromPath(pdfPath));
      compose(writer, total);
    }
    // The writer says nothing of a write that failed: a file cut short ends
    // without the trailer the writer puts last.
    const QByteArray written = [&] {
      QFile file(FromPath(pdfPath));
      if (!file.open(QIODevice::ReadOnly) || file.size() < 64) return QByteArray();
      file.seek(file.size() - 64);
      return file.read(64);
    }();
    if (!written.contains("%%EOF")) throw FailureError(Failure::kWriteFailed);
  } catch (const std::bad_alloc&) {
    throw FailureError(Failure::kOutOfMemory);
  }
}

}  // namespace gt7p
