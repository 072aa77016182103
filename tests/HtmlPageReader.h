#pragma once
// Reads back the pictures a web page made by WriteHtmlAnimation carries:
// the compressed blocks of pictures and the block saying which picture each
// frame shows, unpacked with zlib as the page's script unpacks them.
#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

inline std::string Base64Decode(std::string_view text) {
  auto digit = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
  };
  if (text.size() % 4 != 0) throw std::runtime_error("base64 length");
  std::string out;
  for (std::size_t i = 0; i < text.size(); i += 4) {
    std::uint32_t v = 0;
    int pad = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = text[i + k];
      if (c == '=' && i + 4 == text.size() && k >= 2) {
        ++pad;
        v <<= 6;
        continue;
      }
      const int d = digit(c);
      if (d < 0 || pad) throw std::runtime_error("not base64");
      v = v << 6 | static_cast<std::uint32_t>(d);
    }
    out += static_cast<char>(v >> 16);
    if (pad < 2) out += static_cast<char>(v >> 8 & 0xFF);
    if (pad < 1) out += static_cast<char>(v & 0xFF);
  }
  return out;
}

// One gzip member, whole; anything else throws.
inline std::string Gunzip(std::string_view bytes) {
  z_stream z{};
  if (inflateInit2(&z, 15 + 16) != Z_OK) throw std::runtime_error("inflateInit2");
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  z.avail_in = static_cast<uInt>(bytes.size());
  std::string out;
  char buffer[1 << 16];
  int result = Z_OK;
  while (result == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = sizeof buffer;
    result = inflate(&z, Z_NO_FLUSH);
    out.append(buffer, sizeof buffer - z.avail_out);
  }
  const bool whole = result == Z_STREAM_END && z.avail_in == 0;
  inflateEnd(&z);
  if (!whole) throw std::runtime_error("not one whole gzip member");
  return out;
}

// The text between `open` and the next "</script>", for every `open` in the page.
inline std::vector<std::string_view> ScriptBodies(std::string_view page, std::string_view open) {
  std::vector<std::string_view> bodies;
  for (std::size_t at = page.find(open); at != std::string_view::npos;
       at = page.find(open, at + 1)) {
    const std::size_t from = at + open.size();
    const std::size_t close = page.find("</script>", from);
    if (close == std::string_view::npos) throw std::runtime_error("script block not closed");
    bodies.push_back(page.substr(from, close - from));
  }
  return bodies;
}

struct PagePictures {
  std::vector<std::string> pictures;  // each distinct picture, in order
  std::vector<std::uint32_t> order;   // per frame: its picture
  std::vector<std::uint32_t> starts;  // per block: its first picture
  std::size_t blockBytes = 0;         // the blocks as they stand in the page
  std::vector<std::string> Frames() const {
    std::vector<std::string> frames;
    for (std::uint32_t n : order) frames.push_back(n < pictures.size() ? pictures[n] : "(none)");
    return frames;
  }
};

inline PagePictures ReadPagePictures(std::string_view page) {
  PagePictures read;
  for (std::string_view body : ScriptBodies(
           page, "<script type=\"application/octet-stream\" class=\"zoetrix-pictures\">")) {
    read.blockBytes += body.size();
    read.starts.push_back(static_cast<std::uint32_t>(read.pictures.size()));
    const std::string text = Gunzip(Base64Decode(body));
    if (text.empty() || text.back() != '\f') throw std::runtime_error("block not ended");
    std::size_t from = 0;
    for (std::size_t end = text.find('\f'); end != std::string::npos;
         from = end + 1, end = text.find('\f', from))
      read.pictures.push_back(text.substr(from, end - from));
  }
  const auto order =
      ScriptBodies(page, "<script type=\"application/octet-stream\" id=\"zoetrix-order\">");
  if (order.size() != 1) throw std::runtime_error("one order block expected");
  read.blockBytes += order[0].size();
  const std::string bytes = Gunzip(Base64Decode(order[0]));
  if (bytes.size() % 4) throw std::runtime_error("order length");
  for (std::size_t i = 0; i < bytes.size(); i += 4) {
    std::uint32_t n = 0;
    for (int k = 3; k >= 0; --k) n = n << 8 | static_cast<unsigned char>(bytes[i + k]);
    read.order.push_back(n);
  }
  return read;
}

}  // namespace testsupport

namespace testsupport {

// Every picture of the page, one after the other, each ended by a form feed.
inline std::string PicturesOf(std::string_view page) {
  std::string all;
  for (const std::string& picture : ReadPagePictures(page).pictures) all += picture + '\f';
  return all;
}

}  // namespace testsupport
