// Four samples at a time with SSE2, which every x86-64 processor has. x86
// stores floats little-endian, as the output wants them.
#include <emmintrin.h>

#include <cstring>

#include "records/samples.h"

namespace gt7p {
namespace {

// Four samples: 16 characters in, 16 bytes out.
inline void ConvertFour(const char* in, char* out) {
  const __m128i bias = _mm_set1_epi8(static_cast<char>(0x80));  // unsigned bytes compared as signed
  const __m128i tenBiased = _mm_set1_epi8(static_cast<char>(10 + 0x80));
  const __m128i sixBiased = _mm_set1_epi8(static_cast<char>(6 + 0x80));
  const __m128i lowNibbles = _mm_set1_epi16(0x000F);
  const __m128i lowHalves = _mm_set1_epi32(0xFFFF);
  const __m128i lowBytes = _mm_set1_epi32(0xFF);
  const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  // "0"-"9" and, with the case bit set, "a"-"f".
  const __m128i digit = _mm_sub_epi8(c, _mm_set1_epi8('0'));
  const __m128i letter = _mm_sub_epi8(_mm_or_si128(c, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
  const __m128i isDigit = _mm_cmpgt_epi8(tenBiased, _mm_add_epi8(digit, bias));
  const __m128i isLetter = _mm_cmpgt_epi8(sixBiased, _mm_add_epi8(letter, bias));
  const __m128i value = _mm_or_si128(_mm_and_si128(isDigit, digit),
                                     _mm_andnot_si128(isDigit, _mm_add_epi8(letter, _mm_set1_epi8(10))));
  // Per sample the bytes d0 d1 d2 d3 (d0 lowest): pairs d0 * 16 + d1,
  // then the two pairs into one 16-bit number.
  const __m128i pairs = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(value, lowNibbles), 4), _mm_srli_epi16(value, 8));
  __m128i n = _mm_or_si128(_mm_slli_epi32(_mm_and_si128(pairs, lowHalves), 8), _mm_srli_epi32(pairs, 16));
  const __m128i valid = _mm_cmpeq_epi32(_mm_or_si128(isDigit, isLetter), _mm_set1_epi32(-1));
  n = _mm_and_si128(n, valid);
  const __m128i negative = _mm_cmpgt_epi32(_mm_and_si128(c, lowBytes), _mm_set1_epi32(0x37));
  n = _mm_sub_epi32(n, _mm_and_si128(negative, _mm_set1_epi32(65536)));
  _mm_storeu_ps(reinterpret_cast<float*>(out), _mm_cvtepi32_ps(n));
}

}  // namespace

void ConvertSamples(const char* in, size_t samples, char* out) {
  size_t i = 0;
  for (; i + 4 <= samples; i += 4, in += 16, out += 16) ConvertFour(in, out);
  if (i == samples) return;
  // The last one to three samples through a padded block.
  char chars[16] = {}, floats[16];
  const size_t rest = 4 * (samples - i);
  std::memcpy(chars, in, rest);
  ConvertFour(chars, floats);
  std::memcpy(out, floats, rest);
}

bool ShortsFromFloats(const float* in, size_t count, char* out) {
  const __m128i low = _mm_set1_epi32(-32769), high = _mm_set1_epi32(32768);
  __m128i whole = _mm_set1_epi32(-1);
  size_t i = 0;
  for (; i + 8 <= count; i += 8, out += 16) {
    const __m128 a = _mm_loadu_ps(in + i), b = _mm_loadu_ps(in + i + 4);
    // Truncated, then back: equal only for whole numbers (never for NaN);
    // beyond the 32-bit range the truncation gives 80000000h, out of range.
    const __m128i ia = _mm_cvttps_epi32(a), ib = _mm_cvttps_epi32(b);
    const __m128i exact = _mm_and_si128(_mm_castps_si128(_mm_cmpeq_ps(_mm_cvtepi32_ps(ia), a)),
                                        _mm_castps_si128(_mm_cmpeq_ps(_mm_cvtepi32_ps(ib), b)));
    const __m128i inRange = _mm_and_si128(_mm_and_si128(_mm_cmpgt_epi32(ia, low), _mm_cmplt_epi32(ia, high)),
                                          _mm_and_si128(_mm_cmpgt_epi32(ib, low), _mm_cmplt_epi32(ib, high)));
    whole = _mm_and_si128(whole, _mm_and_si128(exact, inRange));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packs_epi32(ia, ib));
  }
  const bool rest = ShortsFromFloatsOneByOne(in + i, count - i, out);
  return rest && _mm_movemask_epi8(whole) == 0xFFFF;
}

}  // namespace gt7p
