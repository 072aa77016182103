#include "share/GifLzw.h"

#include <algorithm>
#include <cstring>

namespace output::gif {

namespace {

constexpr unsigned kMinCodeSize = 2;  // four palette entries
constexpr unsigned kClear = 1u << kMinCodeSize;
constexpr unsigned kEnd = kClear + 1;
constexpr unsigned kFirst = kClear + 2;  // the first string of two or more pixels
constexpr unsigned kFull = 4095;         // with this many codes the dictionary starts again
constexpr unsigned kMaxBits = 12;
constexpr std::size_t kBlock = 255;  // bytes per data sub-block

}  // namespace

LzwEncoder::LzwEncoder()
    : m_child(std::size_t{kFull + 1} * 4, 0),
      m_child2(std::size_t{kFull + 1} * 16, 0),
      m_parent(kFull + 1, 0),
      m_last(kFull + 1, 0),
      m_runLength(kFull + 1, 0),
      m_runCode(std::size_t{kClear} * (kFull + 1), 0),
      m_next(kFirst) {
  for (unsigned pixel = 0; pixel < kClear; ++pixel) {
    m_runLength[pixel] = 1;
    m_runCode[pixel * (kFull + 1) + 1] = static_cast<std::uint16_t>(pixel);
  }
}

// Only the codes given out so far have children to forget.
void LzwEncoder::Reset() {
  std::fill_n(m_child.begin(), std::size_t{m_next} * 4, 0);
  std::fill_n(m_child2.begin(), std::size_t{m_next} * 16, 0);
  m_next = kFirst;
  m_bits = kMinCodeSize + 1;
  std::fill(std::begin(m_longestRun), std::end(m_longestRun), 1u);
}

inline void LzwEncoder::Emit(unsigned code) {
  m_bitBuffer |= std::uint64_t{code} << m_bitCount;
  m_bitCount += m_bits;
  if (m_bitCount >= 32) {
    std::uint8_t* out = m_bytes.data() + m_size;
    out[0] = static_cast<std::uint8_t>(m_bitBuffer);
    out[1] = static_cast<std::uint8_t>(m_bitBuffer >> 8);
    out[2] = static_cast<std::uint8_t>(m_bitBuffer >> 16);
    out[3] = static_cast<std::uint8_t>(m_bitBuffer >> 24);
    m_size += 4;
    m_bitBuffer >>= 32;
    m_bitCount -= 32;
  }
  // The decoder, one string behind, widens its codes once the next one it
  // makes needs another bit.
  if (m_next >= (1u << m_bits) && m_bits < kMaxBits) ++m_bits;
}

inline void LzwEncoder::AddCode(unsigned prefix, unsigned pixel) {
  if (m_next >= kFull) {
    Emit(kClear);
    Reset();
    return;
  }
  const unsigned code = m_next++;
  m_child[prefix * 4 + pixel] = static_cast<std::uint16_t>(code);
  m_parent[code] = static_cast<std::uint16_t>(prefix);
  m_last[code] = static_cast<std::uint8_t>(pixel);
  if (prefix >= kFirst)
    m_child2[std::size_t{m_parent[prefix]} * 16 + m_last[prefix] * 4u + pixel] =
        static_cast<std::uint16_t>(code);
  // Runs of one pixel value are strings made one pixel longer at a time.
  const unsigned run = m_runLength[prefix];
  if (run && pixel == (prefix < kClear ? prefix : m_last[prefix])) {
    m_runLength[code] = static_cast<std::uint16_t>(run + 1);
    m_runCode[pixel * (kFull + 1) + run + 1] = static_cast<std::uint16_t>(code);
    m_longestRun[pixel] = run + 1;
  } else {
    m_runLength[code] = 0;
  }
}

namespace {

// Pixels equal to value from i on, at most limit.
std::size_t RunAt(const std::uint8_t* pixels, std::size_t i, std::size_t count, unsigned value,
                  std::size_t limit) {
  const std::size_t end = std::min(count, i + limit);
  std::size_t j = i;
  const std::uint64_t all = 0x0101010101010101ull * value;
  for (; j + 8 <= end; j += 8) {
    std::uint64_t word;
    std::memcpy(&word, pixels + j, 8);
    if (word != all) break;
  }
  while (j < end && pixels[j] == value) ++j;
  return j - i;
}

}  // namespace

void LzwEncoder::Begin(std::size_t pixelCount) {
  Reset();
  // At most one code of 12 bits per pixel, a clear code per 4,089 codes
  // and the first and last codes.
  const std::size_t most = (pixelCount + pixelCount / 2048 + 8) * 3 / 2 + 8;
  if (m_bytes.size() < most) m_bytes.resize(most);
  m_size = 0;
  m_bitBuffer = 0;
  m_bitCount = 0;
  m_empty = true;
  Emit(kClear);
}

void LzwEncoder::Add(const std::uint8_t* pixels, std::size_t count) {
  std::size_t i = 0;
  if (m_empty) {
    if (count == 0) return;
    m_current = pixels[0] & 3u;
    m_empty = false;
    i = 1;
  }
  const std::uint16_t* child = m_child.data();
  const std::uint16_t* child2 = m_child2.data();
  unsigned current = m_current;
  for (;;) {
    // Follow the longest string in the dictionary, two pixels at a time...
    while (i + 2 <= count) {
      const unsigned next = child2[current * 16 + (pixels[i] & 3u) * 4 + (pixels[i + 1] & 3u)];
      if (!next) break;
      current = next;
      i += 2;
    }
    // ...and one more where only one fits.
    if (i < count) {
      if (const unsigned next = child[current * 4 + (pixels[i] & 3u)]) {
        current = next;
        ++i;
      }
    }
    if (i >= count) break;  // the string may go on in the next pixels given
    Emit(current);
    AddCode(current, pixels[i] & 3u);
    current = pixels[i] & 3u;
    // A run of one value (a blank line of the picture) goes straight to the
    // longest run string the dictionary has, where walking it would take
    // a step per pixel or two.
    if (i + 4 <= count && m_longestRun[current] > 4) {
      std::uint32_t next4;
      std::memcpy(&next4, pixels + i, 4);
      if (next4 == 0x01010101u * current) {
        const std::size_t run = RunAt(pixels, i, count, current, m_longestRun[current]);
        current = m_runCode[current * (kFull + 1) + run];
        i += run;
        continue;
      }
    }
    ++i;
  }
  m_current = current;
}

void LzwEncoder::End(std::string& out) {
  if (!m_empty) Emit(m_current);
  Emit(kEnd);
  for (; m_bitCount > 0; m_bitCount = m_bitCount > 8 ? m_bitCount - 8 : 0) {
    m_bytes[m_size++] = static_cast<std::uint8_t>(m_bitBuffer);
    m_bitBuffer >>= 8;
  }
  out.reserve(out.size() + m_size + m_size / kBlock + 3);
  out += static_cast<char>(kMinCodeSize);
  for (std::size_t at = 0; at < m_size; at += kBlock) {
    const std::size_t n = std::min(kBlock, m_size - at);
    out += static_cast<char>(n);
    out.append(reinterpret_cast<const char*>(m_bytes.data() + at), n);
  }
  out += '\0';
  m_empty = true;
}

}  // namespace output::gif
