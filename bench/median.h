// The median every benchmark quotes: of an odd count the middle value, of
// an even count the mean of the two middle ones; 0 of none.
#pragma once

#include <algorithm>
#include <vector>

namespace gt7p {
namespace bench {

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t mid = v.size() / 2;
  return v.size() % 2 ? v[mid] : (v[mid - 1] + v[mid]) / 2;
}

}  // namespace bench
}  // namespace gt7p
