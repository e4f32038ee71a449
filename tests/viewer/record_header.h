// A record's header as the viewer's tests need it: the time axis's fields.
#pragma once

#include "records/records.h"

namespace gt7p {
namespace test {

inline RecordHeader TimedHeader(int samples, int pre, double intervalUs, double delayUs, int channels = 1) {
  RecordHeader h;
  h.channelCount = channels;
  h.sampleCount = samples;
  h.preTriggerCount = pre;
  h.intervalUs = intervalUs;
  h.sampleDelayUs = delayUs;
  return h;
}

}  // namespace test
}  // namespace gt7p
