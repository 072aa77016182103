#pragma once
// The pictures of a file, one at a time, through FFmpeg: a still picture
// (PNG, JPEG, WebP, BMP, ...), each image of an animated GIF, or each
// picture of a video clip, with the time it starts and how long it lasts.
// Only the picture being looked at is held, so a long clip costs no more
// memory than a short one. Only files are read, never network addresses,
// and FFmpeg's own log stays quiet: a problem comes back as a message.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "picture/CharacterPicture.h"

namespace picture {

// Pictures wider or taller than this are refused before they are decoded.
inline constexpr int kMaxPictureSide = 16384;

class MediaDecoder {
 public:
  MediaDecoder();
  ~MediaDecoder();
  MediaDecoder(const MediaDecoder&) = delete;
  MediaDecoder& operator=(const MediaDecoder&) = delete;

  // Opens the file at path (bytes as the file system has them). False, with
  // the reason (UTF-8, naming the file), when it cannot be read, holds no
  // picture, or its pictures are larger than kMaxPictureSide.
  bool Open(const std::string& path, std::string* error);

  // The clip's length in seconds, negative when the file does not say.
  double Duration() const;

  // Starts reading again near `seconds` (at the picture that shows then or
  // earlier). False when the file cannot seek; reading then goes on from
  // where it was.
  bool SeekTo(double seconds);

  enum class Step { Picture, End, Failed };
  // Decodes the next picture. Failed gives the decoder's reason (UTF-8,
  // naming the file) in *error.
  Step Next(std::string* error);

  // The current picture: its size, when it starts (seconds from the clip's
  // start) and how long it lasts (negative when unknown).
  int Width() const;
  int Height() const;
  double Start() const;
  double Length() const;

  // The current picture scaled to width x height RGBA pixels; valid until
  // the next call.
  RgbaView Scaled(int width, int height);

 private:
  struct Av;
  std::unique_ptr<Av> m_av;
  std::string m_name;  // the file as the messages name it
};

// The reason a file is refused: "无法读取 <file>：<reason>".
std::string UnreadablePicture(const std::string& path, const std::string& reason);

}  // namespace picture
