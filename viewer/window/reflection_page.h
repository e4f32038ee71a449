// Two pages of the "解析" tab (interpretation_tab.h) for the survey methods
// that take the picks as they are:
//
// The reflection page (探测方法 40 and 41): the operator's reflection picks
// the window holds, fitted live by interpret::FitReflection as gt7p-cli
// interpret does: the picks against offset (time down) with the fitted
// hyperbola; v, T0, the reflector's depth v*T0/2 and the RMS of the
// residuals; with a known velocity V0 (the header's "已知速度V0" until the
// operator changes it; 0: none) each trace's own depth, their mean and
// spread, and the traces whose V0*t is shorter than their offset; a row
// per trace. Reflectors crossing the roadway ahead of a face (linear
// moveout) are not solved here, as the notes say.
//
// The two-point page (20): the first breaks from the first source that has
// them (interpret::ShotOfRecord, as the refraction page takes them), the
// velocity between each pair of neighbouring receivers and their mean
// "平均速度", which may serve as V0 of a thickness record of the same place.
//
// All the numbers come from interpret/; these pages lay them out.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "interpret/interpret.h"
#include "viewer/window/interpretation_tab.h"

class QDoubleSpinBox;
class QLabel;
class QTableWidget;

namespace gt7p {

class TReflectionPage : public TMethodPage {
 public:
  explicit TReflectionPage(TfrmView* view);
  bool Takes(int method) const override { return method == 40 || method == 41; }
  void Refresh(const TfrmView& view, unsigned changes) override;
  void PaintPage(QPainter& painter, const QRect& rect) const override;

  QDoubleSpinBox* spnVelocity;  // V0 in m/s, 0: none
  QLabel* lblResults;
  QTableWidget* tblTraces;
  QLabel* lblNotes;  // the failure, the warnings, what is not solved here

  const interpret::Shot& shot() const { return shot_; }
  // The last fit, none where it failed (the failure then in the notes).
  const std::optional<interpret::ReflectionResult>& result() const { return result_; }

  // The plot drawn into `rect`.
  void PaintPlot(QPainter& painter, const QRect& rect) const;

 private:
  void Fit();
  QStringList ResultLines() const;
  QStringList NoteLines() const;
  std::vector<QStringList> TableRows() const;

  QWidget* pnlPlot_;
  interpret::Shot shot_;
  std::optional<interpret::ReflectionResult> result_;
  QString failure_;
};

class TTwoPointPage : public TMethodPage {
 public:
  explicit TTwoPointPage(TfrmView* view);
  bool Takes(int method) const override { return method == 20; }
  void Refresh(const TfrmView& view, unsigned changes) override;
  void PaintPage(QPainter& painter, const QRect& rect) const override;

  QLabel* lblResults;  // the source of the first breaks, "平均速度"
  QTableWidget* tblPairs;
  QLabel* lblNotes;

  const interpret::Shot& shot() const { return shot_; }
  const std::optional<interpret::TwoPointResult>& result() const { return result_; }

  void PaintPlot(QPainter& painter, const QRect& rect) const;

 private:
  QStringList ResultLines() const;
  QStringList NoteLines() const;
  std::vector<QStringList> TableRows() const;

  QWidget* pnlPlot_;
  interpret::Shot shot_;
  std::optional<interpret::TwoPointResult> result_;
  QString failure_;
};

}  // namespace gt7p
