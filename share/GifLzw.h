#pragma once
// The LZW image data of a GIF image whose pixels are palette indexes 0..3
// (minimum code size 2): the code size byte, the data sub-blocks and the
// block terminator, as any GIF decoder reads them.
//
// Pixels are given a row, or any run, at a time. The dictionary is a trie
// whose children are looked up directly by pixel, by pairs of pixels for
// the next two levels at once, and by four pixels for four levels where
// they hold only 0 and 1 (a drawing without transparency), so a long match
// costs one array read per two or four pixels; no hashing. The codes are
// those of the plain greedy encoder that clears the dictionary when it is
// full (4,095 codes), so any decoder reads them. An image of 65,536 pixels
// or more is encoded in two halves at once, the second starting with a clear
// code (a few hundred bytes more than one run through); smaller images come
// out as giflib writes them for the same pixels.
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace output::gif {

class LzwEncoder {
 public:
  LzwEncoder();

  // Starts an image of pixelCount pixels.
  void Begin(std::size_t pixelCount);
  // The next pixels of the image, each 0..3.
  void Add(const std::uint8_t* pixels, std::size_t count);
  // Appends the image data to out and ends the image.
  void End(std::string& out);

  // An image may be encoded in parts, each with a dictionary of its own: a
  // part after the first is encoded alone, between BeginPart and EndPart,
  // then joined to the encoder holding what comes before it, where its
  // codes follow a clear code.
  void BeginPart(std::size_t pixelCount);
  void EndPart();
  void Join(const LzwEncoder& part);

 private:
  void Emit(unsigned code);
  void AddCode(unsigned prefix, unsigned pixel);
  void Reset();

  std::vector<std::uint16_t> m_child;   // [code * 4 + pixel]: the code one pixel on, or 0
  std::vector<std::uint16_t> m_child2;  // [code * 16 + pixel * 4 + pixel]: two pixels on, or 0
  std::vector<std::uint16_t> m_child4;  // [code * 16 + four pixels of 0 or 1]: four on, or 0
  // What adding a string one pixel longer needs to know of a string, in
  // one place.
  struct Node {
    std::uint16_t parent = 0;     // the code one pixel shorter
    std::uint16_t up2 = 0;        // two pixels shorter
    std::uint16_t up3 = 0;        // three pixels shorter
    std::uint16_t depth = 1;      // pixels in the string
    std::uint16_t runLength = 0;  // n for a run of n equal pixels, else 0
    std::uint8_t last = 0;        // its last pixel
    std::uint8_t tail = 0;        // its last four pixels' low bits, first lowest
    std::uint8_t twoTone = 0;     // its last pixels that are 0 or 1, at most 4
  };
  std::vector<Node> m_nodes;                // [code]
  std::vector<std::uint16_t> m_runCode;     // [pixel * 4096 + n]: the run of n pixels
  unsigned m_longestRun[4] = {1, 1, 1, 1};  // per pixel value: the longest run string
  unsigned m_next = 0;                      // the code the next string gets
  unsigned m_bits = 0;                      // bits per code now
  unsigned m_current = 0;                   // the string matched so far
  bool m_empty = true;                      // no pixel yet
  std::uint64_t m_bitBuffer = 0;
  unsigned m_bitCount = 0;
  std::vector<std::uint8_t> m_bytes;  // the codes, packed
  std::size_t m_size = 0;
};

// One image's data, the pixels given all at once. A large image is encoded
// as two parts, the second on a helper thread while this one encodes the
// first: the same bytes whether the helper runs or not (where only one
// processor is there, both parts are encoded here in turn).
class ImageEncoder {
 public:
  ImageEncoder() = default;
  ImageEncoder(const ImageEncoder&) = delete;
  ImageEncoder& operator=(const ImageEncoder&) = delete;
  ~ImageEncoder();

  // Images of at least this many pixels are encoded in two parts.
  static constexpr std::size_t kSplitPixels = std::size_t{1} << 16;

  // Appends the image data of count pixels, each 0..3, to out.
  void Encode(const std::uint8_t* pixels, std::size_t count, std::string& out);

 private:
  void EncodeSecond();
  void Serve();

  LzwEncoder m_first;
  LzwEncoder m_second;
  std::thread m_helper;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  const std::uint8_t* m_partPixels = nullptr;  // the second part, while it is encoded
  std::size_t m_partCount = 0;
  bool m_partPending = false;  // given to the helper, not done yet
  bool m_quit = false;
  std::exception_ptr m_partError;
};

}  // namespace output::gif
