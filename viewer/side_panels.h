// The viewer window's plots beside the section: the amplitude spectrum of
// the marked trace, and the travel-time curve of the first breaks
// (distance across, time down, as refraction work reads it).
#pragma once

#include <QString>
#include <QWidget>
#include <optional>
#include <utility>
#include <vector>

#include "viewer/first_breaks.h"

namespace gt7p {

class TSpectrumPanel : public QWidget {
  Q_OBJECT
 public:
  explicit TSpectrumPanel(QWidget* parent = nullptr);
  // The record's spectrum, and the displayed one when processing changes
  // it (else empty); the band-pass corners to mark (0: none).
  void SetSpectra(const QString& title, std::vector<double> recorded, std::vector<double> displayed, double binHz,
                  double lowCutHz, double highCutHz);
  void Clear();
  const std::vector<double>& recorded() const { return recorded_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString title_;
  std::vector<double> recorded_, displayed_;
  double binHz_ = 0, lowCutHz_ = 0, highCutHz_ = 0;
};

class TTravelTimePanel : public QWidget {
  Q_OBJECT
 public:
  explicit TTravelTimePanel(QWidget* parent = nullptr);
  // (distance m, time ms) of the operator's first breaks and of the
  // instrument's t0.
  void SetPoints(std::vector<std::pair<double, double>> picks, std::vector<std::pair<double, double>> instrument);
  // The fitted line of the picks, if any, and its apparent velocity.
  const std::optional<view::TravelTimeLine>& line() const { return line_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<std::pair<double, double>> picks_, instrument_;
  std::optional<view::TravelTimeLine> line_;
};

}  // namespace gt7p
