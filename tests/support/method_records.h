// Records of the survey methods besides refraction, written for the tests:
// the simulator's header with the fields a case needs set by name, no
// pre-trigger samples and no system delay (sample n lies at (n - 1) * dt
// after the shot), and samples from a formula. A damped resonance stands
// for a plate's thickness ringing.
#pragma once

#include <functional>
#include <map>
#include <string>

namespace gt7p {
namespace test {

// The raw record file's bytes: `channels` x `samples` at `intervalUs`,
// survey method `method`, receivers `stepM` apart, header fields set by
// name (UTF-8; an unknown name throws std::invalid_argument), samples
// from `sample(channel counted from 1, index from 0)`, rounded and held
// to 16 bits.
std::string MethodRecordBytes(const std::string& name, int method, int channels, int samples, double intervalUs,
                              double stepM, const std::map<std::string, double>& fields,
                              const std::function<double(int channel, int index)>& sample);

// A plate ringing at `hz` from the trigger on, decaying over 4 ms, on
// every channel (each of its own phase), with a little deterministic noise.
std::function<double(int, int)> Ringing(double hz, double intervalUs, double noise = 40);

}  // namespace test
}  // namespace gt7p
