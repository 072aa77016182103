#pragma once
// The LZW image data of a GIF image whose pixels are palette indexes 0..3
// (minimum code size 2): the code size byte, the data sub-blocks and the
// block terminator, as any GIF decoder reads them.
//
// Pixels are given a row, or any run, at a time. The dictionary is a trie
// whose children are looked up directly by pixel, and by pairs of pixels
// for the next two levels at once, so a long match costs one array read per
// two pixels; no hashing. The codes are those of the plain greedy encoder
// that clears the dictionary when it is full (4,095 codes), so any decoder
// reads them, and the output is the same as giflib's for the same pixels.
#include <cstdint>
#include <string>
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

 private:
  void Emit(unsigned code);
  void AddCode(unsigned prefix, unsigned pixel);
  void Reset();

  std::vector<std::uint16_t> m_child;       // [code * 4 + pixel]: the code one pixel on, or 0
  std::vector<std::uint16_t> m_child2;      // [code * 16 + pixel * 4 + pixel]: two pixels on, or 0
  std::vector<std::uint16_t> m_parent;      // [code]: the code one pixel shorter
  std::vector<std::uint8_t> m_last;         // [code]: its last pixel
  std::vector<std::uint16_t> m_runLength;   // [code]: n for a run of n equal pixels, else 0
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

}  // namespace output::gif
