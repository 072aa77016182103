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
// full (4,095 codes), so any decoder reads them: one LzwEncoder run through
// an image writes what giflib writes for the same pixels.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace output::gif {

// The codes of a part of an image encoded with a dictionary of its own, as
// they follow a clear code: whole bytes, then the bits left over, and the
// width the codes after them have.
struct CodeRun {
  std::vector<std::uint8_t> bytes;  // a multiple of four
  std::uint64_t tail = 0;           // the bits after bytes
  unsigned tailBits = 0;            // under 32
  unsigned bits = 0;                // the width of the next code
};

class LzwEncoder {
 public:
  LzwEncoder();

  // Starts an image of pixelCount pixels.
  void Begin(std::size_t pixelCount);
  // The next pixels of the image, each 0..3.
  void Add(const std::uint8_t* pixels, std::size_t count);
  // Appends the image data to out and ends the image.
  void End(std::string& out);

  // An image may be encoded in parts, each with a dictionary of its own:
  // a part is encoded alone, between BeginPart and EndPart, then joined to
  // the encoder holding what comes before it, after Begin. The first part
  // joined follows Begin's clear code; each later one gets a clear code of
  // its own.
  void BeginPart(std::size_t pixelCount);
  void EndPart(CodeRun& run);
  void Join(const CodeRun& part, bool first);

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

// One image's data, the pixels given all at once.
//
// Where an image repeats rows of an image before it (a scrolling text, a
// figure come back) it is encoded in bands of whole rows, each with a
// dictionary of its own (each band after the first starts with a clear
// code). A band's codes then depend only on its pixels: a band encoded
// before is not encoded again, its codes are copied. Bands are remembered
// by a hash of their pixels; an image where fewer than a third of the
// bands were seen before (bands of one colour not counted) is encoded in one run, or in two halves
// for a large image, which keeps the dictionary longer (a smaller file). So the bytes of an image
// of several bands depend on the images before it; an image given as one band always comes out the
// same.
//
// Bands or halves to encode are shared out between this thread and a
// helper. The bytes are the same whether the helper runs or not.
class ImageEncoder {
 public:
  // A helper is woken only for at least this many pixels to encode.
  static constexpr std::size_t kHelpedPixels = std::size_t{1} << 15;
  // Bands kept for copying hold at most this many bytes (pixels and codes);
  // past it they are forgotten and kept anew.
  static constexpr std::size_t kKeptBytes = std::size_t{32} << 20;

  // Images of at least this many pixels encoded in one run are encoded in
  // two halves instead.
  static constexpr std::size_t kSplitPixels = std::size_t{1} << 16;

  // keptBytes: see kKeptBytes.
  explicit ImageEncoder(std::size_t keptBytes = kKeptBytes) : m_keptLimit(keptBytes) {}
  ImageEncoder(const ImageEncoder&) = delete;
  ImageEncoder& operator=(const ImageEncoder&) = delete;
  ~ImageEncoder();

  // Appends the image data of count pixels, each 0..3, to out; bandPixels
  // per band (the last may be shorter; 0 for one band).
  void Encode(const std::uint8_t* pixels, std::size_t count, std::size_t bandPixels,
              std::string& out);
  // Bands copied from images before, and bands or halves encoded, since
  // the start.
  std::size_t BandsCopied() const { return m_copied; }
  std::size_t BandsEncoded() const { return m_encoded; }

 private:
  struct Band {
    const std::uint8_t* pixels = nullptr;
    std::size_t count = 0;
    std::uint64_t hash = 0;
    const CodeRun* kept = nullptr;  // its codes, where kept
    CodeRun run;                    // else its codes, once encoded
  };
  struct Kept {
    bool coded = false;  // else only seen, in an image encoded in one run
    std::vector<std::uint8_t> pixels;
    CodeRun run;
  };

  bool CutBands(const std::uint8_t* pixels, std::size_t count, std::size_t bandPixels);
  void CutHalves(const std::uint8_t* pixels, std::size_t count);
  void EncodeBands(std::string& out);
  void MakeRoom(std::size_t bytes);
  void KeepSeen(std::uint64_t hash);
  void KeepCoded(const Band& band);
  void EncodeMisses(LzwEncoder& encoder);
  void Serve();

  LzwEncoder m_first;
  LzwEncoder m_second;
  std::vector<Band> m_bands;                       // the image's, in order
  std::vector<std::size_t> m_misses;               // indexes of the bands to encode
  std::atomic<std::size_t> m_nextMiss{0};          // the next of m_misses to take
  std::unordered_map<std::uint64_t, Kept> m_kept;  // bands seen, by the hash of their pixels
  std::size_t m_keptLimit;
  std::size_t m_keptBytes = 0;
  std::size_t m_copied = 0;
  std::size_t m_encoded = 0;
  std::thread m_helper;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_helpPending = false;  // given to the helper, not done yet
  bool m_quit = false;
  std::exception_ptr m_helpError;
};

}  // namespace output::gif
