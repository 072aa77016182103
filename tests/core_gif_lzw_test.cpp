// The GIF image data the writer encodes, read back by giflib: every pixel as
// it went in, however the pixels were handed over.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "share/GifLzw.h"

using output::gif::ImageEncoder;
using output::gif::LzwEncoder;

namespace {

using Pixels = std::vector<std::uint8_t>;

// A one-image GIF of width x height around the encoder's image data.
std::string OneImageGif(int width, int height, const std::string& imageData) {
  std::string gif = "GIF89a";
  auto put16 = [&gif](int v) {
    gif += static_cast<char>(v & 0xFF);
    gif += static_cast<char>(v >> 8);
  };
  put16(width);
  put16(height);
  gif += "\xF1";
  gif += std::string(2, '\0');
  gif += std::string("\x00\x00\x00\xFF\xFF\xFF\xFF\x00\x00\x00\xFF\x00", 12);
  gif += '\x2C';
  put16(0);
  put16(0);
  put16(width);
  put16(height);
  gif += '\0';
  gif += imageData;
  gif += ';';
  return gif;
}

struct Reader {
  const std::string* bytes;
  std::size_t at = 0;
};

int ReadBytes(GifFileType* gif, GifByteType* into, int length) {
  auto* reader = static_cast<Reader*>(gif->UserData);
  const std::size_t n =
      std::min(static_cast<std::size_t>(length), reader->bytes->size() - reader->at);
  std::memcpy(into, reader->bytes->data() + reader->at, n);
  reader->at += n;
  return static_cast<int>(n);
}

// What giflib decodes from the image, or nothing when it cannot.
Pixels Decode(int width, int height, const std::string& imageData) {
  const std::string file = OneImageGif(width, height, imageData);
  Reader reader{&file};
  int err = 0;
  GifFileType* gif = DGifOpen(&reader, ReadBytes, &err);
  if (!gif) {
    ADD_FAILURE() << GifErrorString(err);
    return {};
  }
  Pixels pixels;
  if (DGifSlurp(gif) != GIF_OK || gif->ImageCount != 1)
    ADD_FAILURE() << GifErrorString(gif->Error);
  else
    pixels.assign(gif->SavedImages[0].RasterBits,
                  gif->SavedImages[0].RasterBits + static_cast<std::size_t>(width) * height);
  DGifCloseFile(gif, nullptr);
  return pixels;
}

// The pixels handed over in pieces of the given lengths, in turn.
std::string Encode(LzwEncoder& encoder, const Pixels& pixels, std::vector<std::size_t> pieces) {
  encoder.Begin(pixels.size());
  std::size_t at = 0;
  for (std::size_t k = 0; at < pixels.size(); ++k) {
    const std::size_t n = std::min(pieces[k % pieces.size()], pixels.size() - at);
    encoder.Add(pixels.data() + at, n);
    at += n;
  }
  std::string out;
  encoder.End(out);
  return out;
}

void ExpectRoundTrip(LzwEncoder& encoder, int width, int height, const Pixels& pixels) {
  const std::string data = Encode(encoder, pixels, {static_cast<std::size_t>(width)});
  EXPECT_EQ(Decode(width, height, data), pixels);
  // Rows, odd pieces and single pixels make the same codes as one piece.
  EXPECT_EQ(Encode(encoder, pixels, {pixels.size()}), data);
  EXPECT_EQ(Encode(encoder, pixels, {1, 0, 7, 2, 3}), data);
}

}  // namespace

TEST(GifLzw, DecodesToThePixelsGiven) {
  LzwEncoder encoder;  // one encoder for every image, as the writer uses it
  std::mt19937 random(18);
  {
    SCOPED_TRACE("noise: the dictionary fills and starts again many times");
    Pixels noise(300 * 200);
    for (auto& p : noise) p = static_cast<std::uint8_t>(random() % 4);
    ExpectRoundTrip(encoder, 300, 200, noise);
  }
  {
    SCOPED_TRACE("one colour: strings as long as the dictionary allows");
    ExpectRoundTrip(encoder, 640, 400, Pixels(640 * 400, 1));
  }
  {
    SCOPED_TRACE("a repeating pattern with the odd pixel off, like rows of glyphs");
    Pixels glyphs(517 * 61);
    for (std::size_t i = 0; i < glyphs.size(); ++i)
      glyphs[i] = static_cast<std::uint8_t>(i % 9 < 3 || i % 13 == 0 ? 1 : i % 31 < 8 ? 2 : 0);
    for (int k = 0; k < 200; ++k) glyphs[random() % glyphs.size()] = 3;
    ExpectRoundTrip(encoder, 517, 61, glyphs);
  }
  {
    SCOPED_TRACE("one pixel, and two");
    ExpectRoundTrip(encoder, 1, 1, Pixels{2});
    ExpectRoundTrip(encoder, 2, 1, Pixels{3, 3});
  }
}

TEST(GifLzw, RepetitionCompresses) {
  LzwEncoder encoder;
  const Pixels flat(640 * 400, 0);
  std::string data;
  encoder.Begin(flat.size());
  encoder.Add(flat.data(), flat.size());
  encoder.End(data);
  // 256,000 pixels of one colour: a few hundred codes, not thousands.
  EXPECT_LT(data.size(), 2000u);
  // The image data ends with an empty sub-block, and every sub-block holds
  // at most 255 bytes.
  ASSERT_GE(data.size(), 3u);
  EXPECT_EQ(data[0], 2);
  std::size_t at = 1;
  while (at < data.size() && data[at] != 0) at += 1 + static_cast<unsigned char>(data[at]);
  EXPECT_EQ(at, data.size() - 1);
}

// A large image is encoded in two parts with a dictionary each, the second
// on another thread: it reads back as the pixels given, whatever the codes'
// width and the dictionary's fill where the parts meet, and the bytes are
// the same however often the encoder is used.
TEST(GifLzw, ImagesEncodedInPartsDecodeToThePixelsGiven) {
  ImageEncoder encoder;
  std::mt19937 random(81);
  const auto expectRoundTrip = [&encoder](int width, int height, const Pixels& pixels) {
    std::string data;
    encoder.Encode(pixels.data(), pixels.size(), 0, data);
    EXPECT_EQ(Decode(width, height, data), pixels);
    std::string again;
    encoder.Encode(pixels.data(), pixels.size(), 0, again);
    EXPECT_TRUE(again == data) << "encoded again differently";
  };
  ASSERT_EQ(ImageEncoder::kSplitPixels, 65536u);
  {
    SCOPED_TRACE("a part with few strings after one with many, then other images");
    Pixels mixed(400 * 400, 2);
    for (std::size_t i = 0; i < mixed.size() / 2; ++i)
      mixed[i] = static_cast<std::uint8_t>(random() % 4);
    expectRoundTrip(400, 400, mixed);
    Pixels stripes(400 * 400);
    for (std::size_t i = 0; i < stripes.size(); ++i)
      stripes[i] = static_cast<std::uint8_t>(i / 3 % 5 == 0 ? 1 : (i / 400) % 2);
    expectRoundTrip(400, 400, stripes);
  }
  {
    SCOPED_TRACE("noise: the first part ends with the dictionary at any fill");
    for (int height : {128, 129, 150, 211}) {
      Pixels noise(512 * static_cast<std::size_t>(height));
      for (auto& p : noise) p = static_cast<std::uint8_t>(random() % 4);
      expectRoundTrip(512, height, noise);
    }
  }
  {
    SCOPED_TRACE("glyph-like rows of two values, then one colour");
    Pixels glyphs(640 * 400);
    for (std::size_t i = 0; i < glyphs.size(); ++i)
      glyphs[i] = static_cast<std::uint8_t>((i * 7919) % 23 < 5 || i % 17 == 0 ? 1 : 0);
    expectRoundTrip(640, 400, glyphs);
    expectRoundTrip(640, 400, Pixels(640 * 400, 1));
  }
  {
    SCOPED_TRACE("the smallest image in parts, and the largest in one");
    Pixels small(ImageEncoder::kSplitPixels);
    for (auto& p : small) p = static_cast<std::uint8_t>(random() % 3);
    expectRoundTrip(256, 256, small);
    small.pop_back();
    small.resize(255 * 257);
    expectRoundTrip(255, 257, small);
  }
}

namespace {

// Rows of glyph-like pixels, 0 and 1 with the odd 2 (transparency): row
// pattern n, as a band of rows of text is.
Pixels Band(int n, std::size_t pixels) {
  Pixels band(pixels);
  std::mt19937 random(static_cast<unsigned>(n) + 1000);
  for (auto& p : band) p = static_cast<std::uint8_t>(random() % 7 == 0 ? 1 : 0);
  for (int k = 0; k < 20; ++k) band[random() % band.size()] = 2;
  return band;
}

// An image of the given bands, one after another.
Pixels Image(const std::vector<int>& bands, std::size_t bandPixels) {
  Pixels image;
  for (int n : bands) {
    const Pixels band = Band(n, bandPixels);
    image.insert(image.end(), band.begin(), band.end());
  }
  return image;
}

}  // namespace

// A scrolling text: each image is the one before, a band higher, with a
// new band at the bottom. From the third image on, the bands seen in the
// image before are copied, not encoded; every image reads back as its
// pixels, and a copied band gives the same bytes as one encoded anew.
TEST(GifLzw, BandsSeenBeforeAreCopied) {
  constexpr int kWidth = 640, kRows = 17;
  constexpr std::size_t kBand = kWidth * kRows;
  constexpr int kBands = 8;  // large enough for halves
  const auto scrolled = [](int first) {
    std::vector<int> bands;
    for (int n = first; n < first + kBands; ++n) bands.push_back(n);
    return bands;
  };
  ImageEncoder encoder;
  std::vector<std::string> written;
  for (int first = 0; first < 6; ++first) {
    SCOPED_TRACE(first);
    const Pixels image = Image(scrolled(first), kBand);
    std::string data;
    encoder.Encode(image.data(), image.size(), kBand, data);
    EXPECT_EQ(Decode(kWidth, kRows * kBands, data), image);
    written.push_back(data);
  }
  // The first image all new: one run (two halves); the second seen but
  // without codes: all its bands encoded; then one new band an image.
  EXPECT_EQ(encoder.BandsCopied(), 4u * (kBands - 1));
  EXPECT_EQ(encoder.BandsEncoded(), 2u + kBands + 4u);

  // Another encoder that starts at the second image encodes every band of
  // the third: the bytes are those made from copies.
  ImageEncoder fresh;
  for (int first = 1; first < 3; ++first) {
    const Pixels image = Image(scrolled(first), kBand);
    std::string data;
    fresh.Encode(image.data(), image.size(), kBand, data);
    if (first == 2) {
      EXPECT_TRUE(data == written[2]) << "copied bands differ from encoded ones";
    }
  }
  EXPECT_EQ(fresh.BandsCopied(), 0u);
}

// Images never seen before are one run as LzwEncoder writes it; with room
// for only a few bands the kept ones are forgotten and taken anew, while
// every image still reads back right; and a band one pixel off a kept one
// is encoded anew.
TEST(GifLzw, BandsAreKeptWithinTheirRoom) {
  constexpr int kWidth = 200, kRows = 10;
  constexpr std::size_t kBand = kWidth * kRows;
  {
    SCOPED_TRACE("new pictures: one run, as one encoder writes them");
    ImageEncoder encoder;
    LzwEncoder single;
    for (int n = 0; n < 3; ++n) {
      const Pixels image = Image({n * 3, n * 3 + 1, n * 3 + 2}, kBand);
      std::string data;
      encoder.Encode(image.data(), image.size(), kBand, data);
      EXPECT_TRUE(data == Encode(single, image, {image.size()}));
    }
    EXPECT_EQ(encoder.BandsCopied(), 0u);
  }
  {
    SCOPED_TRACE("room for about three bands");
    ImageEncoder encoder(3 * (kBand + 2000));
    std::mt19937 random(7);
    for (int k = 0; k < 40; ++k) {
      std::vector<int> bands;
      for (int b = 0; b < 5; ++b) bands.push_back(static_cast<int>(random() % 8));
      const Pixels image = Image(bands, kBand);
      std::string data;
      encoder.Encode(image.data(), image.size(), kBand, data);
      ASSERT_EQ(Decode(kWidth, kRows * 5, data), image) << "image " << k;
    }
    EXPECT_GT(encoder.BandsCopied(), 0u);
  }
  {
    SCOPED_TRACE("bands of a few codes, shorter than a word, copied after the first");
    ImageEncoder encoder;
    for (int k = 0; k < 4; ++k) {
      Pixels image(36 * 6, 0);
      image[36 * 5 + 3] = 1;  // one band drawn, five of one colour
      std::string data;
      encoder.Encode(image.data(), image.size(), 36, data);
      ASSERT_EQ(Decode(36, 6, data), image) << "image " << k;
    }
    EXPECT_GT(encoder.BandsCopied(), 0u);
  }
  {
    SCOPED_TRACE("a band one pixel off one kept is encoded");
    ImageEncoder encoder;
    Pixels image = Image({1, 2, 3, 4}, kBand);
    std::string data;
    for (int k = 0; k < 3; ++k) encoder.Encode(image.data(), image.size(), kBand, data);
    const std::size_t copied = encoder.BandsCopied();
    EXPECT_EQ(copied, 4u);
    image[kBand + 5] ^= 1;
    data.clear();
    encoder.Encode(image.data(), image.size(), kBand, data);
    EXPECT_EQ(Decode(kWidth, kRows * 4, data), image);
    EXPECT_EQ(encoder.BandsCopied(), copied + 3);
  }
}
