#pragma once
// Small grey pictures made by the tests themselves and written as PNG,
// animated GIF or a short clip with the same libraries the tool reads them
// with.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testpictures {

struct Image {
  int width = 0, height = 0;
  std::vector<std::uint8_t> grey;  // one byte a pixel, rows top to bottom

  Image(int w, int h, std::uint8_t fill = 255)
      : width(w), height(h), grey(static_cast<std::size_t>(w) * h, fill) {}
  std::uint8_t& at(int x, int y) { return grey[static_cast<std::size_t>(y) * width + x]; }
  // Fills [x0, x1) x [y0, y1).
  void Fill(int x0, int y0, int x1, int y1, std::uint8_t value);
};

// Each returns false when the file could not be written.
bool WritePng(const std::filesystem::path& path, const Image& image);
// Delays in hundredths of a second, one for each image.
bool WriteGif(const std::filesystem::path& path, const std::vector<Image>& images,
              const std::vector<int>& delays);

enum class ClipWritten { Yes, NoEncoder, Failed };
enum class ClipCodec {
  Lossless,  // FFV1: what goes in comes out
  Mpeg4,     // MPEG-4 Visual in 4:2:0 colour, as clips usually are
};
// A clip in Matroska of the images at fps pictures a second; `count`
// pictures, image i % images.size() for picture i (all of them when 0).
ClipWritten WriteClip(const std::filesystem::path& path, const std::vector<Image>& images, int fps,
                      ClipCodec codec = ClipCodec::Lossless, int count = 0);

}  // namespace testpictures
