#include "tests/PictureMaker.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}
#include <gif_lib.h>

#include <cstdio>
#include <memory>

namespace testpictures {

void Image::Fill(int x0, int y0, int x1, int y1, std::uint8_t value) {
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) at(x, y) = value;
}

namespace {

struct CodecFree {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};

std::unique_ptr<AVFrame, FrameFree> GreyFrame(const Image& image, std::int64_t pts,
                                              AVPixelFormat format = AV_PIX_FMT_GRAY8) {
  std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
  frame->format = format;
  frame->width = image.width;
  frame->height = image.height;
  frame->pts = pts;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return nullptr;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      frame->data[0][y * frame->linesize[0] + x] =
          image.grey[static_cast<std::size_t>(y) * image.width + x];
  return frame;
}

}  // namespace

bool WritePng(const std::filesystem::path& path, const Image& image) {
  const AVCodec* png = avcodec_find_encoder(AV_CODEC_ID_PNG);
  if (!png) return false;
  std::unique_ptr<AVCodecContext, CodecFree> c(avcodec_alloc_context3(png));
  c->width = image.width;
  c->height = image.height;
  c->pix_fmt = AV_PIX_FMT_GRAY8;
  c->time_base = {1, 25};
  if (avcodec_open2(c.get(), png, nullptr) < 0) return false;
  auto frame = GreyFrame(image, 0);
  std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
  if (!frame || avcodec_send_frame(c.get(), frame.get()) < 0 ||
      avcodec_receive_packet(c.get(), packet.get()) < 0)
    return false;
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  const bool written = std::fwrite(packet->data, 1, static_cast<std::size_t>(packet->size), out) ==
                       static_cast<std::size_t>(packet->size);
  return std::fclose(out) == 0 && written;
}

bool WriteGif(const std::filesystem::path& path, const std::vector<Image>& images,
              const std::vector<int>& delays) {
  if (images.empty() || images.size() != delays.size()) return false;
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
  if (!gif) return false;
  GifColorType colors[256];
  for (int i = 0; i < 256; ++i)
    colors[i] = {static_cast<GifByteType>(i), static_cast<GifByteType>(i),
                 static_cast<GifByteType>(i)};
  ColorMapObject* map = GifMakeMapObject(256, colors);
  bool ok = EGifPutScreenDesc(gif, images[0].width, images[0].height, 8, 0, map) == GIF_OK;
  for (std::size_t i = 0; ok && i < images.size(); ++i) {
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.DelayTime = delays[i];
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const std::size_t length = EGifGCBToExtension(&control, extension);
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) ==
             GIF_OK &&
         EGifPutImageDesc(gif, 0, 0, images[i].width, images[i].height, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> row(static_cast<std::size_t>(images[i].width));
    for (int y = 0; ok && y < images[i].height; ++y) {
      for (int x = 0; x < images[i].width; ++x)
        row[static_cast<std::size_t>(x)] =
            images[i].grey[static_cast<std::size_t>(y) * images[i].width + x];
      ok = EGifPutLine(gif, row.data(), images[i].width) == GIF_OK;
    }
  }
  GifFreeMapObject(map);
  return EGifCloseFile(gif, &error) == GIF_OK && ok;
}

ClipWritten WriteClip(const std::filesystem::path& path, const std::vector<Image>& images, int fps,
                      ClipCodec codec, int count) {
  const AVCodec* encoder =
      avcodec_find_encoder(codec == ClipCodec::Lossless ? AV_CODEC_ID_FFV1 : AV_CODEC_ID_MPEG4);
  const AVPixelFormat format = codec == ClipCodec::Lossless ? AV_PIX_FMT_GRAY8 : AV_PIX_FMT_YUV420P;
  if (!encoder || images.empty()) return ClipWritten::NoEncoder;
  AVFormatContext* out = nullptr;
  if (avformat_alloc_output_context2(&out, nullptr, "matroska", path.c_str()) < 0 || !out)
    return ClipWritten::NoEncoder;
  std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> owner(out, [](AVFormatContext* f) {
    if (f->pb) avio_closep(&f->pb);
    avformat_free_context(f);
  });
  std::unique_ptr<AVCodecContext, CodecFree> c(avcodec_alloc_context3(encoder));
  c->width = images[0].width;
  c->height = images[0].height;
  c->pix_fmt = format;
  c->time_base = {1, fps};
  if (codec == ClipCodec::Mpeg4) c->bit_rate = 4000000;
  c->framerate = {fps, 1};
  if (out->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(c.get(), encoder, nullptr) < 0) return ClipWritten::NoEncoder;
  AVStream* stream = avformat_new_stream(out, nullptr);
  if (!stream || avcodec_parameters_from_context(stream->codecpar, c.get()) < 0)
    return ClipWritten::Failed;
  stream->time_base = c->time_base;
  if (avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE) < 0 ||
      avformat_write_header(out, nullptr) < 0)
    return ClipWritten::Failed;
  std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
  const auto drain = [&]() {
    while (avcodec_receive_packet(c.get(), packet.get()) == 0) {
      av_packet_rescale_ts(packet.get(), c->time_base, stream->time_base);
      packet->stream_index = stream->index;
      if (av_interleaved_write_frame(out, packet.get()) < 0) return false;
    }
    return true;
  };
  const std::size_t pictures = count > 0 ? static_cast<std::size_t>(count) : images.size();
  for (std::size_t i = 0; i < pictures; ++i) {
    auto frame = GreyFrame(images[i % images.size()], static_cast<std::int64_t>(i), format);
    if (!frame || avcodec_send_frame(c.get(), frame.get()) < 0 || !drain())
      return ClipWritten::Failed;
  }
  if (avcodec_send_frame(c.get(), nullptr) < 0 || !drain() || av_write_trailer(out) < 0)
    return ClipWritten::Failed;
  return ClipWritten::Yes;
}

}  // namespace testpictures
