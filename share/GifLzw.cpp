#include "share/GifLzw.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace output::gif {

namespace {

constexpr unsigned kMinCodeSize = 2;  // four palette entries
constexpr unsigned kClear = 1u << kMinCodeSize;
constexpr unsigned kEnd = kClear + 1;
constexpr unsigned kFirst = kClear + 2;  // the first string of two or more pixels
constexpr unsigned kFull = 4095;         // with this many codes the dictionary starts again
constexpr unsigned kMaxBits = 12;
constexpr std::size_t kBlock = 255;  // bytes per data sub-block
// A kept band's map entry (node and bucket) is about 100 bytes beside what
// it holds.
constexpr std::size_t kEntryBytes = 128;

}  // namespace

LzwEncoder::LzwEncoder()
    : m_child(std::size_t{kFull + 1} * 4, 0),
      m_child2(std::size_t{kFull + 1} * 16, 0),
      m_child4(std::size_t{kFull + 1} * 16 + 16, 0),
      m_nodes(kFull + 1),
      m_runCode(std::size_t{kClear} * (kFull + 1), 0),
      m_next(kFirst) {
  for (unsigned pixel = 0; pixel < kClear; ++pixel) {
    Node& root = m_nodes[pixel];
    root.runLength = 1;
    root.last = static_cast<std::uint8_t>(pixel);
    root.tail = static_cast<std::uint8_t>((pixel & 1) << 3);
    root.twoTone = pixel < 2 ? 1 : 0;
    m_runCode[pixel * (kFull + 1) + 1] = static_cast<std::uint16_t>(pixel);
  }
}

// Only the codes given out so far have children to forget.
void LzwEncoder::Reset() {
  std::fill_n(m_child.begin(), std::size_t{m_next} * 4, 0);
  std::fill_n(m_child2.begin(), std::size_t{m_next} * 16, 0);
  std::fill_n(m_child4.begin(), std::size_t{m_next} * 16, 0);
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
  const Node& from = m_nodes[prefix];
  Node& node = m_nodes[code];
  m_child[prefix * 4 + pixel] = static_cast<std::uint16_t>(code);
  if (prefix >= kFirst)
    m_child2[std::size_t{from.parent} * 16 + from.last * 4u + pixel] =
        static_cast<std::uint16_t>(code);
  node.parent = static_cast<std::uint16_t>(prefix);
  node.up2 = from.parent;
  node.up3 = from.up2;
  node.last = static_cast<std::uint8_t>(pixel);
  node.depth = static_cast<std::uint16_t>(from.depth + 1);
  node.tail = static_cast<std::uint8_t>(from.tail >> 1 | (pixel & 1) << 3);
  node.twoTone = pixel < 2 ? static_cast<std::uint8_t>(std::min(from.twoTone + 1, 4)) : 0;
  // The string four pixels shorter, when those four are all 0 or 1.
  if (node.twoTone == 4 && node.depth > 4)
    m_child4[std::size_t{from.up3} * 16 + node.tail] = static_cast<std::uint16_t>(code);
  // Runs of one pixel value are strings made one pixel longer at a time.
  const unsigned run = from.runLength;
  if (run && pixel == from.last) {
    node.runLength = static_cast<std::uint16_t>(run + 1);
    m_runCode[pixel * (kFull + 1) + run + 1] = static_cast<std::uint16_t>(code);
    m_longestRun[pixel] = run + 1;
  } else {
    node.runLength = 0;
  }
}

namespace {

// Four pixels from p as four bits, the first lowest, when each is 0 or 1;
// else 16.
inline unsigned TwoToneQuad(const std::uint8_t* p) {
  std::uint32_t word;
  std::memcpy(&word, p, 4);
  if (word & 0xFEFEFEFEu) return 16;
  // Byte k's bit moves to bit 21 + k of the product (no two partial
  // products meet, so nothing carries); the first pixel is byte 0.
  return static_cast<unsigned>((std::uint64_t{word} * 0x00204081u) >> 21) & 15;
}

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
  const std::uint16_t* child4 = m_child4.data();
  unsigned current = m_current;
  for (;;) {
    // Follow the longest string in the dictionary. Each round reads the
    // strings four, two and one pixel on at once (none waits for another)
    // and takes the longest: four where the pixels are 0 or 1.
    bool ended = false;
    while (i + 4 <= count) {
      const unsigned quad = TwoToneQuad(pixels + i);
      const unsigned p0 = pixels[i] & 3u;
      unsigned four = child4[current * 16 + quad];  // past the row for quad 16: not used
      if (quad == 16) four = 0;
      const unsigned two = child2[current * 16 + p0 * 4 + (pixels[i + 1] & 3u)];
      const unsigned one = child[current * 4 + p0];
      if (four) {
        current = four;
        i += 4;
      } else if (two) {
        current = two;
        i += 2;
      } else {
        // With no string two on, one on is the longest there is.
        if (one) current = one, ++i;
        ended = true;
        break;
      }
    }
    // Fewer than four pixels left: two at a time, and one more where only
    // one fits.
    if (!ended) {
      while (i + 2 <= count) {
        const unsigned next = child2[current * 16 + (pixels[i] & 3u) * 4 + (pixels[i + 1] & 3u)];
        if (!next) break;
        current = next;
        i += 2;
      }
      if (i < count) {
        if (const unsigned next = child[current * 4 + (pixels[i] & 3u)]) {
          current = next;
          ++i;
        }
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

void LzwEncoder::BeginPart(std::size_t pixelCount) {
  Begin(pixelCount);
  // Without the clear code Begin starts with: the join writes it, as wide
  // as the codes before it are. The state after a clear is the same.
  m_size = 0;
  m_bitBuffer = 0;
  m_bitCount = 0;
}

void LzwEncoder::EndPart(CodeRun& run) {
  if (!m_empty) Emit(m_current);
  m_empty = true;
  run.bytes.assign(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(m_size));
  run.tail = m_bitBuffer;
  run.tailBits = m_bitCount;
  run.bits = m_bits;
}

void LzwEncoder::Join(const CodeRun& part, bool first) {
  if (!m_empty) Emit(m_current);
  m_empty = true;
  if (!first) Emit(kClear);
  const std::size_t most = m_size + part.bytes.size() + 16;
  if (m_bytes.size() < most) m_bytes.resize(most);
  // The part's codes, whole bytes eight and then four at a time (its bytes
  // are written in fours), then what it holds back, shifted to follow the
  // bits here (fewer than 32 wait in m_bitBuffer).
  std::size_t at = 0;
  if (m_bitCount == 0 && !part.bytes.empty()) {
    at = part.bytes.size();
    std::memcpy(m_bytes.data() + m_size, part.bytes.data(), at);
    m_size += at;
  }
  for (; at + 8 <= part.bytes.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, part.bytes.data() + at, 8);
    const std::uint64_t out = m_bitBuffer | word << m_bitCount;
    std::memcpy(m_bytes.data() + m_size, &out, 8);  // little-endian, as Emit writes
    m_size += 8;
    m_bitBuffer = word >> (64 - m_bitCount);
  }
  for (; at < part.bytes.size(); at += 4) {
    std::uint32_t word;
    std::memcpy(&word, part.bytes.data() + at, 4);
    m_bitBuffer |= std::uint64_t{word} << m_bitCount;
    std::memcpy(m_bytes.data() + m_size, &m_bitBuffer, 4);  // little-endian, as Emit writes
    m_size += 4;
    m_bitBuffer >>= 32;
  }
  m_bitBuffer |= part.tail << m_bitCount;
  m_bitCount += part.tailBits;
  if (m_bitCount >= 32) {
    std::memcpy(m_bytes.data() + m_size, &m_bitBuffer, 4);
    m_size += 4;
    m_bitBuffer >>= 32;
    m_bitCount -= 32;
  }
  // The codes that follow are as wide as the part's last ones. (m_next
  // stays: it says which of this encoder's strings the next Begin forgets.)
  m_bits = part.bits;
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

ImageEncoder::~ImageEncoder() {
  if (!m_helper.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_quit = true;
  }
  m_wake.notify_all();
  m_helper.join();
}

namespace {

// A hash of the pixels, eight at a time in eight lanes (none waits for
// another), seeded with their count.
std::uint64_t HashPixels(const std::uint8_t* pixels, std::size_t count) {
  constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
  constexpr int kLanes = 8;
  std::uint64_t lane[kLanes];
  for (int k = 0; k < kLanes; ++k) lane[k] = count + static_cast<std::uint64_t>(k) * kMul;
  std::size_t i = 0;
  for (; i + 8 * kLanes <= count; i += 8 * kLanes)
    for (int k = 0; k < kLanes; ++k) {
      std::uint64_t word;
      std::memcpy(&word, pixels + i + 8 * static_cast<std::size_t>(k), 8);
      lane[k] = (lane[k] ^ word) * kMul;
      lane[k] ^= lane[k] >> 32;
    }
  std::uint64_t h = 0;
  for (int k = 0; k < kLanes; ++k) h = (h ^ lane[k]) * kMul;
  for (; i < count; ++i) h = (h ^ pixels[i]) * kMul;
  return h ^ (h >> 31);
}

}  // namespace

// Cuts the image into bands and finds those kept with their codes. Says
// whether at least a third of the bands were seen before, not counting
// bands of one colour (cheap to encode however they are cut).
bool ImageEncoder::CutBands(const std::uint8_t* pixels, std::size_t count, std::size_t bandPixels) {
  if (bandPixels == 0 || bandPixels > count) bandPixels = std::max<std::size_t>(count, 1);
  m_bands.resize((count + bandPixels - 1) / bandPixels);
  std::size_t seen = 0, drawn = 0;
  for (std::size_t k = 0; k < m_bands.size(); ++k) {
    Band& band = m_bands[k];
    band.pixels = pixels + k * bandPixels;
    band.count = std::min(bandPixels, count - k * bandPixels);
    band.hash = HashPixels(band.pixels, band.count);
    band.kept = nullptr;
    const bool plain = band.count == 0 ||
                       RunAt(band.pixels, 0, band.count, band.pixels[0], band.count) == band.count;
    if (!plain) ++drawn;
    const auto found = m_kept.find(band.hash);
    if (found == m_kept.end()) continue;
    if (!plain) ++seen;
    const Kept& kept = found->second;
    if (kept.coded && kept.pixels.size() == band.count &&
        std::memcmp(kept.pixels.data(), band.pixels, band.count) == 0)
      band.kept = &kept.run;
  }
  return seen > 0 && seen * 3 >= drawn;
}

// The whole image as one band, or two halves when it is large.
void ImageEncoder::CutHalves(const std::uint8_t* pixels, std::size_t count) {
  const std::size_t first = count >= kSplitPixels ? count / 2 : count;
  m_bands.resize(first < count ? 2 : 1);
  m_bands[0].pixels = pixels;
  m_bands[0].count = first;
  if (first < count) {
    m_bands[1].pixels = pixels + first;
    m_bands[1].count = count - first;
  }
  for (Band& band : m_bands) band.kept = nullptr;
}

// Room for bytes more among the kept bands: all are forgotten when full.
void ImageEncoder::MakeRoom(std::size_t bytes) {
  if (m_keptBytes + bytes > m_keptLimit) {
    m_kept.clear();
    m_keptBytes = 0;
  }
  m_keptBytes += bytes;
}

void ImageEncoder::KeepSeen(std::uint64_t hash) {
  if (m_kept.count(hash)) return;
  MakeRoom(kEntryBytes);
  m_kept.try_emplace(hash);
}

void ImageEncoder::KeepCoded(const Band& band) {
  const auto found = m_kept.find(band.hash);
  if (found != m_kept.end() && found->second.coded) return;  // one band per hash
  // Made whole before it is kept: a failed copy leaves the entry as it was.
  Kept entry;
  entry.pixels.assign(band.pixels, band.pixels + band.count);
  entry.run = band.run;
  entry.coded = true;
  MakeRoom(kEntryBytes + band.count + band.run.bytes.size());
  m_kept[band.hash] = std::move(entry);
}

// Takes bands to encode until none is left; run on both threads at once.
void ImageEncoder::EncodeMisses(LzwEncoder& encoder) {
  for (;;) {
    const std::size_t k = m_nextMiss.fetch_add(1, std::memory_order_relaxed);
    if (k >= m_misses.size()) return;
    Band& band = m_bands[m_misses[k]];
    encoder.BeginPart(band.count);
    encoder.Add(band.pixels, band.count);
    encoder.EndPart(band.run);
  }
}

void ImageEncoder::Serve() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [this] { return m_helpPending || m_quit; });
    if (m_quit) return;
    lock.unlock();
    try {
      EncodeMisses(m_second);
    } catch (...) {
      m_helpError = std::current_exception();
    }
    lock.lock();
    m_helpPending = false;
    m_wake.notify_all();
  }
}

void ImageEncoder::Encode(const std::uint8_t* pixels, std::size_t count, std::size_t bandPixels,
                          std::string& out) {
  const bool mostlySeen = CutBands(pixels, count, bandPixels);
  // An image of one band is that band's run, kept for another time; one
  // large enough for halves is always halves.
  const bool banded = m_bands.size() == 1 ? count < kSplitPixels : mostlySeen;
  if (banded) {
    EncodeBands(out);
    // Only now: making room forgets kept bands joined above.
    for (const Band& band : m_bands)
      if (!band.kept) KeepCoded(band);
    return;
  }
  for (const Band& band : m_bands) KeepSeen(band.hash);
  CutHalves(pixels, count);
  EncodeBands(out);
}

// Copies the codes of the bands kept and encodes the others, on both
// threads where there is enough to do, then joins them in order.
void ImageEncoder::EncodeBands(std::string& out) {
  m_misses.clear();
  std::size_t missPixels = 0;
  for (std::size_t k = 0; k < m_bands.size(); ++k) {
    if (m_bands[k].kept) continue;
    m_misses.push_back(k);
    missPixels += m_bands[k].count;
  }
  m_copied += m_bands.size() - m_misses.size();
  m_encoded += m_misses.size();
  m_nextMiss.store(0, std::memory_order_relaxed);
  m_helpError = nullptr;
  const bool helped =
      m_misses.size() > 1 && missPixels >= kHelpedPixels && std::thread::hardware_concurrency() > 1;
  if (helped) {
    if (!m_helper.joinable()) m_helper = std::thread([this] { Serve(); });
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_helpPending = true;
    }
    m_wake.notify_all();
  }
  std::exception_ptr error;
  try {
    EncodeMisses(m_first);
  } catch (...) {
    error = std::current_exception();
    m_nextMiss.store(m_misses.size(), std::memory_order_relaxed);  // the helper stops too
  }
  // The helper works on m_bands: it must be done before anything else.
  if (helped) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait(lock, [this] { return !m_helpPending; });
  }
  if (error) std::rethrow_exception(error);
  if (m_helpError) std::rethrow_exception(m_helpError);
  m_first.Begin(0);
  for (std::size_t k = 0; k < m_bands.size(); ++k) {
    const Band& band = m_bands[k];
    m_first.Join(band.kept ? *band.kept : band.run, k == 0);
  }
  m_first.End(out);
}

}  // namespace output::gif
