// What the section shows of a trace beyond its samples: DC removal, a
// zero-phase band-pass, AGC, and the amplitude spectrum of one trace. All
// of it works on copies for display; a record's samples never change.
//
// The band-pass is a Butterworth design from the textbook (analog
// prototype, bilinear transform with pre-warped corners, second-order
// sections), run forwards and backwards so that no arrival moves. Its
// corners are placed so that the two passes together are 3 dB down at the
// asked frequencies. Samples that are not finite stay gaps: they count as 0
// while filtering and come out as they went in.
#pragma once

#include <string>
#include <vector>

#include "viewer/section.h"

namespace gt7p {
namespace view {

struct Processing {
  bool removeDc = false;
  double lowCutHz = 0, highCutHz = 0;  // band-pass corners; 0: that side open
  double agcMs = 0;                    // AGC window; 0: off
  bool Active() const { return removeDc || lowCutHz > 0 || highCutHz > 0 || agcMs > 0; }
};

// One second-order section: y = b0 x + b1 x' + b2 x'' - a1 y' - a2 y''.
struct Biquad {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};

class BandPass {
 public:
  // `order` poles per side (even); a corner at 0, or a high cut at or
  // above 0.49 of the sampling rate, leaves that side open.
  BandPass(double lowCutHz, double highCutHz, double sampleHz, int order = 4);

  // Forwards and backwards through the sections, each pass starting in the
  // steady state of its first value, the ends extended by odd reflection.
  void ApplyZeroPhase(std::vector<double>& x) const;
  // The magnitude of both passes together at `hz`, from the sections.
  double Response(double hz) const;

 private:
  std::vector<Biquad> sections_;
  double sampleHz_;
};

// The displayed samples of a record's traces under one processing.
class TraceProcessor {
 public:
  TraceProcessor(const RecordHeader& header, const Processing& processing);
  bool active() const { return processing_.Active(); }
  // Replaces `samples` by what is displayed.
  void Apply(std::vector<float>& samples) const;

 private:
  Processing processing_;
  BandPass bandPass_;
  size_t agcWindow_ = 0;  // samples
};

// Divides each sample by the RMS of the `window` samples around it (0
// where they are all 0).
void ApplyAgc(std::vector<double>& x, size_t window);

// Band-pass corners and an AGC window that suit a record, offered until
// the operator chooses: corners at 1/200 and 1/8 of the sampling rate, a
// window of a tenth of the record (at least 1 ms); and the highest corner
// it takes, its Nyquist frequency (at least 1 Hz, within kCornerHz).
struct SuitedProcessing {
  double lowCutHz = 0, highCutHz = 0, agcMs = 1, highestCornerHz = 1;
};
SuitedProcessing ProcessingSuitedTo(const RecordHeader& header);

// The title's account of the gain and the processing, code page 936:
// "增益 +6 dB  道归一化  带通 10-200 Hz  AGC 50 ms".
std::string SettingsText(const DisplayOptions& options, const Processing& processing);

}  // namespace view
}  // namespace gt7p
