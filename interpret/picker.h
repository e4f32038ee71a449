// The automatic first-break picker and the amplitude spectrum it stands on.
//
// On each trace the energy ratio of a window after each sample to the
// window before it finds the arrival, and Akaike's information criterion
// around it sets the onset, the sample where the trace stops looking like
// the noise before it. The window is one period of the gather's dominant
// frequency. The search may be held to a span of samples (a time window).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gt7p {
namespace interpret {

// The amplitude spectrum of a trace (Hann window, zero-padded to a power of
// two at least `padding` times its length): amplitudes of a sinusoid's
// size from 0 Hz up to half the sampling rate, `binHz` apart.
std::vector<double> AmplitudeSpectrum(const std::vector<float>& samples, double intervalUs, double& binHz,
                                      size_t padding = 1);

// The first break of one trace: its sample index (0-based) from `from` up
// to (not including) `to` (0: the trace's end), or -1 where nothing stands
// out of the noise (no window holds ten times the energy of the one before
// it: noise alone, a dead trace). `window` in samples (at least 4).
int PickFirstBreak(const std::vector<float>& samples, size_t from, size_t window, size_t to = 0);

// The picker's window for a gather: one period of the dominant frequency
// of its summed amplitude spectra (a few traces suffice), within 4 samples
// and an eighth of a trace.
size_t PickerWindow(const std::vector<const std::vector<float>*>& traces, double intervalUs);

// Every trace's first break as a sample number (counted from 1), 0 where
// none; picks only from sample index `from` (the trigger) up to `to` (0:
// the end).
std::vector<int32_t> PickFirstBreaks(const std::vector<const std::vector<float>*>& traces, double intervalUs,
                                     size_t from, size_t to = 0);

}  // namespace interpret
}  // namespace gt7p
