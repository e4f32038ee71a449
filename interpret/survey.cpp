#include "interpret/survey.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>

#include "base/cp936.h"
#include "base/error.h"
#include "base/text.h"

namespace gt7p {
namespace interpret {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSameX = 1e-6;  // m: a receiver on a source, a receiver on another's place

std::string Num(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// Running sums of (x, t) for least-squares lines over spans of points.
struct Sums {
  std::vector<double> n, x, t, xx, xt, tt;
  Sums(const std::vector<double>& xs, const std::vector<double>& ts)
      : n(xs.size() + 1), x(xs.size() + 1), t(xs.size() + 1), xx(xs.size() + 1), xt(xs.size() + 1), tt(xs.size() + 1) {
    for (size_t i = 0; i < xs.size(); ++i) {
      n[i + 1] = n[i] + 1;
      x[i + 1] = x[i] + xs[i];
      t[i + 1] = t[i] + ts[i];
      xx[i + 1] = xx[i] + xs[i] * xs[i];
      xt[i + 1] = xt[i] + xs[i] * ts[i];
      tt[i + 1] = tt[i] + ts[i] * ts[i];
    }
  }
};

struct LineFit {
  bool ok = false;
  double a = 0, b = 0, sse = 0, sxx = 0;
};

// The least-squares line over points [i, j); the first segment may have
// its slope fixed or pass through the origin.
LineFit FitSpan(const Sums& s, size_t i, size_t j, double fixedSlope, bool origin) {
  LineFit f;
  const double n = s.n[j] - s.n[i], X = s.x[j] - s.x[i], T = s.t[j] - s.t[i], XX = s.xx[j] - s.xx[i],
               XT = s.xt[j] - s.xt[i], TT = s.tt[j] - s.tt[i];
  if (n < 2) return f;
  const double mx = X / n, sxx = XX - n * mx * mx;
  f.sxx = std::max(0.0, sxx);
  if (fixedSlope > 0) {
    f.b = fixedSlope;
    f.a = origin ? 0.0 : (T - f.b * X) / n;
  } else if (origin) {
    if (!(XX > 0)) return f;
    f.b = XT / XX;
  } else {
    if (!(sxx > 1e-9 * (1 + mx * mx))) return f;
    f.b = (XT - X * T / n) / sxx;
    f.a = (T - f.b * X) / n;
  }
  f.sse = std::max(0.0, TT - 2 * f.a * T - 2 * f.b * XT + n * f.a * f.a + 2 * f.a * f.b * X + f.b * f.b * XX);
  f.ok = std::isfinite(f.a) && std::isfinite(f.b);
  return f;
}

struct BranchPoints {
  size_t shot = 0;
  int direction = 1;
  std::vector<size_t> breaks;  // into the shot's first breaks, by offset
  std::vector<double> offsets, times;
  double fixedSlowness = 0;
  double sampleMs = 0;
};

double SumSquares(const std::vector<Segment>& segments, const std::vector<int>& assignment, const BranchPoints& b) {
  double sse = 0;
  for (size_t i = 0; i < b.offsets.size(); ++i) {
    const Segment& s = segments[static_cast<size_t>(assignment[i])];
    const double r = b.times[i] - s.interceptMs - s.slownessMsPerM * b.offsets[i];
    sse += r * r;
  }
  return sse;
}

// Two neighbouring segments within 3 % of each other's slowness are one
// wave split by noise or rounding: no refractor between them.
bool Alike(const Segment& a, const Segment& b) {
  return std::fabs(a.slownessMsPerM - b.slownessMsPerM) <= 0.03 * std::max(a.slownessMsPerM, b.slownessMsPerM);
}

bool AnyAlike(const std::vector<Segment>& segments) {
  for (size_t k = 1; k < segments.size(); ++k)
    if (Alike(segments[k - 1], segments[k])) return true;
  return false;
}

bool Falling(const std::vector<Segment>& segments) {
  for (size_t k = 1; k < segments.size(); ++k)
    if (!(segments[k].slownessMsPerM < segments[k - 1].slownessMsPerM)) return false;
  return true;
}

// The model as far as it is solved: layer velocities (m/ms) and the dips of
// the boundaries below them (radians).
struct Model {
  std::vector<double> v;    // layers 1..
  std::vector<double> dip;  // boundaries 1.. (v.size() - 1 of them)
};

// Angles from the vertical, in the frame of direction d (positive toward
// it), of the rays rising to the surface (up) and going down from it (down)
// in layers 1..n for the head wave along boundary n travelling toward d.
bool RayAngles(const Model& m, size_t n, int d, std::vector<double>& up, std::vector<double>& down) {
  up.assign(n, 0);
  down.assign(n, 0);
  const double theta = std::asin(m.v[n - 1] / m.v[n]);
  up[n - 1] = theta + d * m.dip[n - 1];
  down[n - 1] = theta - d * m.dip[n - 1];
  for (size_t j = n - 1; j-- > 0;) {
    const double delta = d * m.dip[j];
    const double a = m.v[j] / m.v[j + 1] * std::sin(up[j + 1] - delta);
    const double b = m.v[j] / m.v[j + 1] * std::sin(down[j + 1] + delta);
    if (!(std::fabs(a) < 1) || !(std::fabs(b) < 1)) return false;
    up[j] = delta + std::asin(a);
    down[j] = std::asin(b) - delta;
  }
  return std::fabs(up[0]) < kPi / 2 && std::fabs(down[0]) < kPi / 2;
}

// The angle from the vertical in layer n of the ray that emerges with
// apparent slowness `s` (ms/m) toward d, traced down through boundaries
// 1..n-1.
std::optional<double> AngleBelow(const Model& m, size_t n, int d, double s) {
  double a = m.v[0] * s;
  if (!(std::fabs(a) < 1)) return std::nullopt;
  double phi = std::asin(a);
  for (size_t j = 0; j + 1 < n; ++j) {
    const double delta = d * m.dip[j];
    const double b = m.v[j + 1] / m.v[j] * std::sin(phi - delta);
    if (!(std::fabs(b) < 1)) return std::nullopt;
    phi = delta + std::asin(b);
  }
  return phi;
}

// Vertical thicknesses from a sum of delay times: `timesMs[k]` is the sum
// for boundary k + 1 over the two ray legs whose angles `legs` gives.
template <typename Legs>
std::vector<std::optional<double>> DepthsFromDelays(const Model& m, const std::vector<std::optional<double>>& timesMs,
                                                    Legs legs, bool* negative = nullptr) {
  std::vector<std::optional<double>> depths(timesMs.size());
  std::vector<double> z;
  for (size_t n = 1; n <= timesMs.size() && n < m.v.size(); ++n) {
    if (!timesMs[n - 1]) break;
    std::vector<double> a, b;
    if (!legs(n, a, b)) break;
    double sum = 0;
    for (size_t j = 0; j + 1 < n; ++j) sum += z[j] * (std::cos(a[j]) + std::cos(b[j])) / m.v[j];
    const double zn = (*timesMs[n - 1] - sum) * m.v[n - 1] / (std::cos(a[n - 1]) + std::cos(b[n - 1]));
    if (!(zn >= -1e-9) || !std::isfinite(zn)) {
      if (negative) *negative = true;
      break;
    }
    z.push_back(std::max(0.0, zn));
    depths[n - 1] = std::accumulate(z.begin(), z.end(), 0.0);
  }
  return depths;
}

std::string SideName(const Shot& shot, int direction, bool both) {
  return both ? shot.file + (direction > 0 ? "（+x 一侧）" : "（-x 一侧）") : shot.file;
}

// A branch's segments fitted to the layers the operator chose for some of
// its points (the others keep theirs); false, with the reason, where a
// layer up to the deepest chosen would have fewer than two points or no
// line.
bool FitChosen(const BranchPoints& b, const Shot& shot, const std::map<int32_t, int>& chosen, int layers,
               bool throughOrigin, std::vector<int>& assignment, std::vector<Segment>& segments, std::string& why) {
  std::vector<int> layer = assignment;
  bool any = false;
  for (size_t i = 0; i < layer.size(); ++i) {
    const auto it = chosen.find(shot.breaks[b.breaks[i]].channel);
    if (it == chosen.end()) continue;
    layer[i] = std::clamp(it->second, 1, layers) - 1;
    any = true;
  }
  if (!any) return true;
  const int count = *std::max_element(layer.begin(), layer.end()) + 1;
  std::vector<Segment> lines(static_cast<size_t>(count));
  for (int k = 0; k < count; ++k) {
    std::vector<double> xs, ts;
    for (size_t i = 0; i < layer.size(); ++i)
      if (layer[i] == k) xs.push_back(b.offsets[i]), ts.push_back(b.times[i]);
    const LineFit f = xs.size() < 2 ? LineFit() : FitSpan(Sums(xs, ts), 0, xs.size(), k == 0 ? b.fixedSlowness : 0,
                                                          k == 0 && throughOrigin);
    if (!f.ok) {
      why = "第" + std::to_string(k + 1) + "层只有 " + std::to_string(xs.size()) + " 个点或点在同一距离上，人工分层未采用";
      return false;
    }
    lines[static_cast<size_t>(k)] = {f.a, f.b, xs.size(), f.sxx};
  }
  assignment = std::move(layer);
  segments = std::move(lines);
  return true;
}

}  // namespace

std::vector<Segment> FitBranch(const std::vector<double>& offsets, const std::vector<double>& timesMs, int segments,
                               double fixedSlowness, bool throughOrigin, std::vector<int>* assignment) {
  const size_t n = offsets.size();
  const size_t k = static_cast<size_t>(std::max(segments, 1));
  if (n < 2 * k || timesMs.size() != n) return {};
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return offsets[a] < offsets[b]; });
  std::vector<double> xs(n), ts(n);
  for (size_t i = 0; i < n; ++i) xs[i] = offsets[order[i]], ts[i] = timesMs[order[i]];
  const Sums sums(xs, ts);
  const double inf = std::numeric_limits<double>::infinity();
  // best[s][j]: the least sum of squares of the first j points in s + 1
  // segments; from[s][j] where the last one starts.
  std::vector<std::vector<double>> best(k, std::vector<double>(n + 1, inf));
  std::vector<std::vector<size_t>> from(k, std::vector<size_t>(n + 1, 0));
  for (size_t j = 2; j <= n; ++j) {
    const LineFit f = FitSpan(sums, 0, j, fixedSlowness, throughOrigin);
    if (f.ok) best[0][j] = f.sse;
  }
  for (size_t s = 1; s < k; ++s)
    for (size_t j = 2 * (s + 1); j <= n; ++j)
      for (size_t i = 2 * s; i + 2 <= j; ++i) {
        if (best[s - 1][i] == inf) continue;
        const LineFit f = FitSpan(sums, i, j, 0, false);
        if (f.ok && best[s - 1][i] + f.sse < best[s][j]) {
          best[s][j] = best[s - 1][i] + f.sse;
          from[s][j] = i;
        }
      }
  if (best[k - 1][n] == inf) return {};
  std::vector<size_t> starts(k + 1, 0);
  starts[k] = n;
  for (size_t s = k - 1; s > 0; --s) starts[s] = from[s][starts[s + 1]];
  std::vector<Segment> lines(k);
  if (assignment) assignment->assign(n, 0);
  for (size_t s = 0; s < k; ++s) {
    const LineFit f = FitSpan(sums, starts[s], starts[s + 1], s == 0 ? fixedSlowness : 0, s == 0 && throughOrigin);
    lines[s] = {f.a, f.b, starts[s + 1] - starts[s], f.sxx};
    if (assignment)
      for (size_t i = starts[s]; i < starts[s + 1]; ++i) (*assignment)[order[i]] = static_cast<int>(s);
  }
  return lines;
}

std::vector<std::optional<double>> DepthsFromIntercepts(const std::vector<double>& interceptsMs,
                                                        const std::vector<double>& velocitiesMS) {
  Model m;
  for (double v : velocitiesMS) m.v.push_back(v / 1000);
  m.dip.assign(m.v.size(), 0.0);
  std::vector<std::optional<double>> times(interceptsMs.begin(), interceptsMs.end());
  size_t valid = 0;
  while (valid + 1 < m.v.size() && m.v[valid + 1] > m.v[valid] && m.v[valid] > 0) ++valid;
  m.v.resize(valid + 1);
  std::vector<std::optional<double>> depths =
      DepthsFromDelays(m, times, [&](size_t n, std::vector<double>& a, std::vector<double>& b) {
        return RayAngles(m, n, 1, a, b);
      });
  depths.resize(interceptsMs.size());
  return depths;
}

Survey Interpret(const std::vector<Shot>& shots, const SurveyOptions& options) {
  if (shots.empty()) throw Error(Utf8ToCp936("没有可解析的记录"));
  Survey survey;
  // Branches: each shot's first breaks on each side of it, a receiver on
  // the source in both.
  std::vector<BranchPoints> points;
  for (size_t s = 0; s < shots.size(); ++s) {
    const Shot& shot = shots[s];
    if (shot.breaks.size() < 3)
      throw Error(Utf8ToCp936(shot.file + "：初至少于 3 个，无法解析"));
    for (const std::string& w : shot.warnings) survey.warnings.push_back(w);
    double fixed = 0;
    if (options.v1MS > 0) fixed = 1000 / options.v1MS;
    if (options.headerV1) {
      if (shot.knownV1MS > 0)
        fixed = 1000 / shot.knownV1MS;
      else
        survey.warnings.push_back(shot.file + "：记录头没有“已知速度V0”，第一层速度由直达波求出");
    }
    for (int d : {1, -1}) {
      BranchPoints b;
      b.shot = s;
      b.direction = d;
      b.fixedSlowness = fixed;
      b.sampleMs = shot.sampleMs;
      bool side = false;
      for (size_t i = 0; i < shot.breaks.size(); ++i) {
        const double dx = (shot.breaks[i].receiverX - shot.sourceX) * d;
        if (dx < -kSameX) continue;
        side = side || dx > kSameX;
        b.breaks.push_back(i);
        b.offsets.push_back(std::max(0.0, dx));
        b.times.push_back(shot.breaks[i].timeMs);
      }
      if (side && b.breaks.size() >= 2) points.push_back(std::move(b));
    }
  }
  size_t longest = 0;
  for (const BranchPoints& b : points) longest = std::max(longest, b.offsets.size());
  if (longest < 2 * kMinLayers)
    throw Error(Utf8ToCp936("初至点太少，分不出直达波和折射波（每段至少 2 个点）"));

  // The number of layers: given, or the least penalised sum of squares
  // over the branches (a segment's two parameters and its break point per
  // layer; the picks' rounding to the sample grid as the floor of the
  // misfit).
  int layers = options.layers;
  if (layers > 0) {
    if (longest < 2 * static_cast<size_t>(layers))
      throw Error(Utf8ToCp936("--layers " + std::to_string(layers) + "：初至点不够，有的层少于 2 个点"));
  } else {
    double least = std::numeric_limits<double>::infinity();
    for (int n = kMinLayers; n <= kMaxLayers && 2 * static_cast<size_t>(n) <= longest; ++n) {
      double score = 0;
      bool usable = true, reached = false;
      for (const BranchPoints& b : points) {
        int k = std::min<int>(n, static_cast<int>(b.offsets.size() / 2));
        std::vector<int> assignment;
        std::vector<Segment> lines = FitBranch(b.offsets, b.times, k, b.fixedSlowness, options.throughOrigin, &assignment);
        while (k > 1 && AnyAlike(lines)) {
          --k;
          lines = FitBranch(b.offsets, b.times, k, b.fixedSlowness, options.throughOrigin, &assignment);
        }
        if (lines.empty()) continue;
        if (k == n && !Falling(lines)) usable = false;
        reached = reached || k == n;
        const double m = static_cast<double>(b.offsets.size());
        const double floor = m * std::max(b.sampleMs * b.sampleMs / 12, 1e-12);
        score += m * std::log(std::max(SumSquares(lines, assignment, b), floor) / m) + (3.0 * k - 1) * std::log(m);
      }
      if (((usable && reached) || n == kMinLayers) && score < least) {
        least = score;
        layers = n;
      }
    }
  }
  survey.layerCount = layers;

  // Each branch's segments and its points' layers.
  double squares = 0;
  size_t count = 0;
  for (const BranchPoints& b : points) {
    const Shot& shot = shots[b.shot];
    const bool both = std::count_if(points.begin(), points.end(), [&](const BranchPoints& o) { return o.shot == b.shot; }) > 1;
    int k = std::min<int>(layers, static_cast<int>(b.offsets.size() / 2));
    std::vector<int> assignment;
    Branch branch;
    branch.shot = b.shot;
    branch.direction = b.direction;
    branch.segments = FitBranch(b.offsets, b.times, k, b.fixedSlowness, options.throughOrigin, &assignment);
    // A side that does not reach a refractor's head wave has fewer segments.
    while (k > 1 && AnyAlike(branch.segments)) {
      --k;
      branch.segments = FitBranch(b.offsets, b.times, k, b.fixedSlowness, options.throughOrigin, &assignment);
    }
    if (branch.segments.empty()) continue;
    if (b.shot < options.assigned.size() && !options.assigned[b.shot].empty()) {
      std::string why;
      if (!FitChosen(b, shot, options.assigned[b.shot], layers, options.throughOrigin, assignment, branch.segments, why))
        survey.warnings.push_back(SideName(shot, b.direction, both) + "：" + why);
      k = static_cast<int>(branch.segments.size());
    }
    if (k < layers)
      survey.warnings.push_back(SideName(shot, b.direction, both) + "：只有 " + std::to_string(b.offsets.size()) +
                                " 个初至点，只分出 " + std::to_string(k) + " 层");
    branch.timeZeroMs = branch.segments[0].interceptMs;
    for (size_t s = 1; s < branch.segments.size(); ++s) {
      const Segment &p = branch.segments[s - 1], &q = branch.segments[s];
      branch.crossoverM.push_back((q.interceptMs - p.interceptMs) / (p.slownessMsPerM - q.slownessMsPerM));
    }
    for (size_t i = 0; i < b.offsets.size(); ++i) {
      const FirstBreak& at = shot.breaks[b.breaks[i]];
      const Segment& s = branch.segments[static_cast<size_t>(assignment[i])];
      PointFit p;
      p.shot = b.shot;
      p.channel = at.channel;
      p.x = at.receiverX;
      p.offset = b.offsets[i];
      p.timeMs = b.times[i];
      p.layer = assignment[i] + 1;
      p.residualMs = b.times[i] - s.interceptMs - s.slownessMsPerM * b.offsets[i];
      squares += p.residualMs * p.residualMs;
      ++count;
      survey.points.push_back(p);
    }
    if (std::fabs(branch.timeZeroMs) > 2 * shot.sampleMs && !options.throughOrigin)
      survey.warnings.push_back(SideName(shot, b.direction, both) + "：直达波截距（时间零点偏差）" +
                                Num(branch.timeZeroMs, 3) + " ms，超过两个采样间隔，请检查触发和系统延时");
    survey.branches.push_back(std::move(branch));
  }
  survey.rmsMs = count > 0 ? std::sqrt(squares / static_cast<double>(count)) : 0;

  // Velocities and dips, boundary by boundary.
  // Each branch's slowness weighted as its error allows: by the spread of
  // its offsets (a short segment's slope is the least sure).
  auto meanSlowness = [&](size_t k, int direction) -> std::optional<double> {
    double sum = 0, weight = 0;
    for (const Branch& b : survey.branches)
      if (b.segments.size() > k && (direction == 0 || b.direction == direction)) {
        const double w = b.segments[k].spreadM2 > 0 ? b.segments[k].spreadM2 : 1e-9;
        sum += b.segments[k].slownessMsPerM * w;
        weight += w;
      }
    if (!(weight > 0)) return std::nullopt;
    return sum / weight;
  };
  bool plus = false, minus = false;
  for (const Branch& b : survey.branches)
    if (b.segments.size() > 1) (b.direction > 0 ? plus : minus) = true;
  survey.reversed = plus && minus;
  survey.layers.assign(static_cast<size_t>(layers), LayerResult());
  Model model;
  const std::optional<double> s1 = meanSlowness(0, 0);
  if (!s1 || !(*s1 > 0)) throw Error(Utf8ToCp936("直达波的速度求不出来（走时不随距离增加）"));
  model.v.push_back(1 / *s1);
  survey.layers[0].velocityMS = model.v[0] * 1000;
  bool stopped = false;
  for (size_t n = 1; n < static_cast<size_t>(layers); ++n) {
    const std::string name = "第" + std::to_string(n + 1) + "层";
    std::optional<double> sp = meanSlowness(n, 1), sm = meanSlowness(n, -1);
    if (!sp && !sm) break;
    double velocity = 0, dip = 0;
    bool dipKnown = false;
    if (sp && sm) {
      const std::optional<double> a = AngleBelow(model, n, 1, *sp), b = AngleBelow(model, n, -1, *sm);
      if (a && b && (*a + *b) / 2 > 0) {
        const double theta = (*a + *b) / 2;
        dip = (*a - *b) / 2;
        velocity = model.v[n - 1] / std::sin(theta);
        dipKnown = true;
      }
    } else {
      const double s = sp ? *sp : *sm;
      if (s > 0) velocity = 1 / s;
    }
    if (!(velocity > 0) || !std::isfinite(velocity)) {
      survey.warnings.push_back(name + "：视速度不合理（低于上覆层），求不出速度和倾角");
      stopped = true;
    } else {
      survey.layers[n].velocityMS = velocity * 1000;
      if (dipKnown || !survey.reversed) survey.layers[n].dipDeg = dip * 180 / kPi;
      if (!(velocity > model.v[n - 1])) {
        survey.warnings.push_back(name + "速度 " + Num(velocity * 1000, 0) + " m/s 不大于第" + std::to_string(n) +
                                  "层（隐伏层或速度倒转）：第" + std::to_string(n) + "层底面及以下的深度求不出");
        stopped = true;
      }
    }
    if (stopped) break;
    model.v.push_back(velocity);
    model.dip.push_back(dip);
  }
  model.dip.push_back(0);  // no boundary below the last solved layer is used
  const size_t solved = model.v.size() - 1;

  // Depths below the shots from their intercepts.
  bool negative = false;
  const size_t boundaries = static_cast<size_t>(layers) - 1;
  for (size_t s = 0; s < shots.size(); ++s) {
    ShotResult r;
    r.file = shots[s].file;
    r.x = shots[s].sourceX;
    r.source = shots[s].source;
    r.interceptMs.assign(boundaries, std::nullopt);
    r.crossoverM.assign(boundaries, std::nullopt);
    r.depthsM.assign(boundaries, std::nullopt);
    std::vector<double> sum(boundaries, 0), intercepts(boundaries, 0), crossovers(boundaries, 0), zero;
    std::vector<int> depthCount(boundaries, 0), interceptCount(boundaries, 0);
    std::vector<double> weights(boundaries, 0);
    std::vector<std::vector<std::pair<double, double>>> sides(boundaries);  // depth, weight
    for (const Branch& b : survey.branches) {
      if (b.shot != s) continue;
      const double tau = options.throughOrigin ? 0.0 : b.timeZeroMs;
      zero.push_back(tau);
      std::vector<std::optional<double>> times(b.segments.size() - 1);
      for (size_t k = 1; k < b.segments.size(); ++k) {
        times[k - 1] = b.segments[k].interceptMs - tau;
        intercepts[k - 1] += *times[k - 1];
        crossovers[k - 1] += b.crossoverM[k - 1];
        ++interceptCount[k - 1];
      }
      times.resize(std::min(times.size(), solved));
      const std::vector<std::optional<double>> depths = DepthsFromDelays(
          model, times, [&](size_t n, std::vector<double>& a, std::vector<double>& c) { return RayAngles(model, n, b.direction, a, c); },
          &negative);
      // Both sides of a shot weighed by the spread of their head wave's
      // offsets: a side that only just reaches it says little.
      for (size_t k = 0; k < depths.size(); ++k)
        if (depths[k]) {
          const double w = std::max(b.segments[k + 1].spreadM2, 1e-9);
          sum[k] += *depths[k] * w, weights[k] += w, ++depthCount[k];
          sides[k].push_back({*depths[k], w});
        }
    }
    for (size_t k = 0; k < boundaries; ++k) {
      if (depthCount[k] > 0) r.depthsM[k] = sum[k] / weights[k];
      if (sides[k].size() == 2) {
        const auto [a, wa] = sides[k][0];
        const auto [b, wb] = sides[k][1];
        if (std::fabs(a - b) > 0.1 * std::max(a, b)) {
          r.depthsM[k] = wa >= wb ? a : b;
          survey.warnings.push_back(r.file + "：两侧求出的第" + std::to_string(k + 1) + "层底深相差较大（" + Num(a, 2) +
                                    " m 和 " + Num(b, 2) + " m），取折射段较长一侧的 " + Num(*r.depthsM[k], 2) + " m");
        }
      }
      if (interceptCount[k] > 0) {
        r.interceptMs[k] = intercepts[k] / interceptCount[k];
        r.crossoverM[k] = crossovers[k] / interceptCount[k];
      }
    }
    r.timeZeroMs = zero.empty() ? 0.0 : std::accumulate(zero.begin(), zero.end(), 0.0) / static_cast<double>(zero.size());
    survey.shots.push_back(r);
  }
  if (negative) survey.warnings.push_back("有的截距时间小于上覆层所需的时间，那一层及以下的深度求不出");

  // Depths below the receivers by the plus-minus method from every
  // opposite pair, and the reciprocal times' mismatch.
  survey.reciprocalMismatchMs.assign(boundaries, std::nullopt);
  if (shots.size() < 2) return survey;
  std::map<long long, ReceiverResult> receivers;
  std::map<long long, std::vector<std::vector<double>>> found;
  auto key = [](double x) { return std::llround(x * 1000); };
  for (const Shot& shot : shots)
    for (const FirstBreak& at : shot.breaks) receivers[key(at.receiverX)].x = at.receiverX;
  // The time of boundary n's head wave of a branch at x (corrected), if a
  // point of that segment stands there.
  auto timeAt = [&](size_t branch, size_t n, double x) -> std::optional<double> {
    const Branch& b = survey.branches[branch];
    for (const PointFit& p : survey.points)
      if (p.shot == b.shot && p.layer == static_cast<int>(n) + 1 && std::fabs(p.x - x) <= kSameX &&
          (p.x - shots[b.shot].sourceX) * b.direction > kSameX)
        return p.timeMs - (options.throughOrigin ? 0.0 : b.timeZeroMs);
    return std::nullopt;
  };
  // A boundary's depth at x on the planar model from the shots' depths.
  auto planar = [&](size_t k, double x) -> std::optional<double> {
    double sum = 0;
    int n = 0;
    for (const ShotResult& r : survey.shots)
      if (r.depthsM[k]) sum += *r.depthsM[k] + (x - r.x) * std::tan(model.dip[k]), ++n;
    if (n == 0) return std::nullopt;
    return sum / n;
  };
  for (size_t p = 0; p < survey.branches.size(); ++p) {
    const Branch& bp = survey.branches[p];
    if (bp.direction < 0) continue;
    for (size_t q = 0; q < survey.branches.size(); ++q) {
      const Branch& bq = survey.branches[q];
      const double xp = shots[bp.shot].sourceX, xq = shots[bq.shot].sourceX;
      if (bq.direction > 0 || !(xq > xp + kSameX)) continue;
      std::map<long long, std::vector<double>> depths;  // this pair's, per receiver
      for (size_t n = 1; n <= solved && n < bp.segments.size() && n < bq.segments.size(); ++n) {
        const double tauP = options.throughOrigin ? 0.0 : bp.timeZeroMs, tauQ = options.throughOrigin ? 0.0 : bq.timeZeroMs;
        const std::optional<double> tp = timeAt(p, n, xq), tq = timeAt(q, n, xp);
        const double fromP = tp ? *tp : bp.segments[n].interceptMs + bp.segments[n].slownessMsPerM * (xq - xp) - tauP;
        const double fromQ = tq ? *tq : bq.segments[n].interceptMs + bq.segments[n].slownessMsPerM * (xq - xp) - tauQ;
        const double mismatch = std::fabs(fromP - fromQ);
        auto& worst = survey.reciprocalMismatchMs[n - 1];
        if (!worst || mismatch > *worst) worst = mismatch;
        const double reciprocal = (fromP + fromQ) / 2;
        std::vector<double> upP, downP, upQ, downQ;
        if (!RayAngles(model, n, 1, upP, downP) || !RayAngles(model, n, -1, upQ, downQ)) continue;
        for (auto& [at, receiver] : receivers) {
          const double x = receiver.x;
          if (x < xp - kSameX || x > xq + kSameX) continue;
          const std::optional<double> a = timeAt(p, n, x), b = timeAt(q, n, x);
          if (!a || !b) continue;
          const double plusTime = *a + *b - reciprocal;
          // The layers above: this pair's depths here, else the planar model's.
          std::vector<double>& own = depths[at];
          std::vector<double> z;
          double above = 0, sum = 0;
          bool known = true;
          for (size_t j = 0; j + 1 < n; ++j) {
            std::optional<double> d = own.size() > j && own[j] >= 0 ? std::optional<double>(own[j]) : planar(j, x);
            if (!d) {
              known = false;
              break;
            }
            z.push_back(*d - above);
            above = *d;
            sum += z[j] * (std::cos(upP[j]) + std::cos(upQ[j])) / model.v[j];
          }
          if (!known) continue;
          const double zn = (plusTime - sum) * model.v[n - 1] / (std::cos(upP[n - 1]) + std::cos(upQ[n - 1]));
          if (!(zn >= -1e-9)) continue;
          if (own.size() < n) own.resize(n, -1);
          own[n - 1] = above + std::max(0.0, zn);
          if (found[at].size() < boundaries) found[at].resize(boundaries);
          found[at][n - 1].push_back(own[n - 1]);
        }
      }
    }
  }
  for (auto& [at, receiver] : receivers) {
    receiver.depthsM.assign(boundaries, std::nullopt);
    receiver.spreadM.assign(boundaries, std::nullopt);
    receiver.pairs.assign(boundaries, 0);
    const auto f = found.find(at);
    if (f != found.end())
      for (size_t k = 0; k < f->second.size(); ++k) {
        const std::vector<double>& d = f->second[k];
        if (d.empty()) continue;
        const double mean = std::accumulate(d.begin(), d.end(), 0.0) / static_cast<double>(d.size());
        double var = 0;
        for (double v : d) var += (v - mean) * (v - mean);
        receiver.depthsM[k] = mean;
        receiver.spreadM[k] = std::sqrt(var / static_cast<double>(d.size()));
        receiver.pairs[k] = static_cast<int>(d.size());
      }
    survey.receivers.push_back(receiver);
  }
  double sample = 0;
  for (const Shot& shot : shots) sample = std::max(sample, shot.sampleMs);
  for (size_t k = 0; k < boundaries; ++k)
    if (survey.reciprocalMismatchMs[k] && *survey.reciprocalMismatchMs[k] > 2 * sample)
      survey.warnings.push_back("第" + std::to_string(k + 1) + "层底面：两个方向的互换时间相差 " +
                                Num(*survey.reciprocalMismatchMs[k], 3) + " ms，超过两个采样间隔");
  return survey;
}

std::vector<std::optional<double>> ThicknessesM(const std::vector<std::optional<double>>& depthsM) {
  std::vector<std::optional<double>> thickness(depthsM.size());
  for (size_t k = 0; k < depthsM.size(); ++k) {
    if (!depthsM[k]) continue;
    if (k == 0) {
      thickness[k] = *depthsM[k];
    } else if (depthsM[k - 1]) {
      thickness[k] = *depthsM[k] - *depthsM[k - 1];
    }
  }
  return thickness;
}

std::optional<LoosenedZone> LoosenedZoneOf(const Survey& survey, size_t shot) {
  if (shot >= survey.shots.size() || survey.shots[shot].depthsM.empty() || !survey.shots[shot].depthsM[0] ||
      survey.layers.size() < 2 || !survey.layers[0].velocityMS || !survey.layers[1].velocityMS ||
      !(*survey.layers[1].velocityMS > 0))
    return std::nullopt;
  LoosenedZone zone;
  zone.thicknessM = *survey.shots[shot].depthsM[0];
  zone.zoneVelocityMS = *survey.layers[0].velocityMS;
  zone.rockVelocityMS = *survey.layers[1].velocityMS;
  zone.ratio = zone.zoneVelocityMS / zone.rockVelocityMS;
  return zone;
}

std::vector<std::vector<SectionPoint>> DepthSection(const Survey& survey) {
  constexpr double kSamePlace = 1e-6;  // m
  std::vector<std::vector<SectionPoint>> section(static_cast<size_t>(std::max(survey.layerCount - 1, 0)));
  for (size_t k = 0; k < section.size(); ++k) {
    std::vector<SectionPoint>& points = section[k];
    for (const ReceiverResult& r : survey.receivers)
      if (k < r.depthsM.size() && r.depthsM[k]) points.push_back({r.x, *r.depthsM[k]});
    for (const ShotResult& shot : survey.shots) {
      if (k >= shot.depthsM.size() || !shot.depthsM[k]) continue;
      bool taken = false;
      for (const SectionPoint& p : points) taken = taken || std::fabs(p.x - shot.x) <= kSamePlace;
      if (!taken) points.push_back({shot.x, *shot.depthsM[k]});
    }
    std::sort(points.begin(), points.end(), [](const SectionPoint& a, const SectionPoint& b) { return a.x < b.x; });
  }
  return section;
}

}  // namespace interpret
}  // namespace gt7p
