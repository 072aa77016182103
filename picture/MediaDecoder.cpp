#include "picture/MediaDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <mutex>

#include "res/Printable.h"
#include "res/Texts.h"

namespace picture {

namespace {

std::string AvReason(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

double Seconds(std::int64_t ticks, AVRational base) {
  return static_cast<double>(ticks) * base.num / base.den;
}

bool TooLarge(int width, int height) { return width > kMaxPictureSide || height > kMaxPictureSide; }

}  // namespace

std::string UnreadablePicture(const std::string& path, const std::string& reason) {
  return res::Format(res::kPictureUnreadable, {res::Printable(path), reason});
}

struct MediaDecoder::Av {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  SwsContext* scaler = nullptr;
  int stream = -1;
  bool draining = false;  // the file has ended: the decoder gives what it still holds
  bool have = false;      // frame holds a picture
  std::int64_t nextStart = AV_NOPTS_VALUE;  // where a picture without a time starts
  std::vector<std::uint8_t> rgba;

  ~Av() {
    sws_freeContext(scaler);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
  }
  AVStream* Stream() const { return format->streams[stream]; }
};

MediaDecoder::MediaDecoder() : m_av(std::make_unique<Av>()) {}
MediaDecoder::~MediaDecoder() = default;

bool MediaDecoder::Open(const std::string& path, std::string* error) {
  static std::once_flag quiet;
  std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
  m_av = std::make_unique<Av>();
  m_name = path;
  Av& av = *m_av;
  const auto fail = [&](const std::string& reason) {
    *error = UnreadablePicture(path, reason);
    m_av = std::make_unique<Av>();
    return false;
  };
  AVDictionary* options = nullptr;
  // Only the file itself: no other protocol, and a '%' in its name is a
  // character, not the pattern of a numbered sequence.
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  av_dict_set(&options, "pattern_type", "none", 0);
  const int opened = avformat_open_input(&av.format, ("file:" + path).c_str(), nullptr, &options);
  av_dict_free(&options);
  if (opened < 0) return fail(AvReason(opened));
  if (const int found = avformat_find_stream_info(av.format, nullptr); found < 0)
    return fail(AvReason(found));
  const AVCodec* decoder = nullptr;
  av.stream = av_find_best_stream(av.format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
  if (av.stream < 0 || !decoder) return fail(res::kPictureNoPicture);
  const AVCodecParameters* parameters = av.Stream()->codecpar;
  if (TooLarge(parameters->width, parameters->height))
    return fail(res::Format(res::kPictureTooLarge,
                            {std::to_string(parameters->width), std::to_string(parameters->height),
                             std::to_string(kMaxPictureSide)}));
  av.codec = avcodec_alloc_context3(decoder);
  av.packet = av_packet_alloc();
  av.frame = av_frame_alloc();
  if (!av.codec || !av.packet || !av.frame) return fail(AvReason(AVERROR(ENOMEM)));
  if (const int copied = avcodec_parameters_to_context(av.codec, parameters); copied < 0)
    return fail(AvReason(copied));
  // One thread: a damaged picture's error comes back with that picture
  // instead of being lost between decoding threads.
  av.codec->thread_count = 1;
  if (const int ready = avcodec_open2(av.codec, decoder, nullptr); ready < 0)
    return fail(AvReason(ready));
  // Only the picture stream is read.
  for (unsigned i = 0; i < av.format->nb_streams; ++i)
    if (static_cast<int>(i) != av.stream) av.format->streams[i]->discard = AVDISCARD_ALL;
  return true;
}

double MediaDecoder::Duration() const {
  const Av& av = *m_av;
  if (!av.format) return -1;
  if (av.Stream()->duration != AV_NOPTS_VALUE && av.Stream()->duration > 0)
    return Seconds(av.Stream()->duration, av.Stream()->time_base);
  if (av.format->duration != AV_NOPTS_VALUE && av.format->duration > 0)
    return static_cast<double>(av.format->duration) / AV_TIME_BASE;
  return -1;
}

bool MediaDecoder::SeekTo(double seconds) {
  Av& av = *m_av;
  if (!av.format || seconds <= 0) return false;
  const AVStream* s = av.Stream();
  std::int64_t target = static_cast<std::int64_t>(seconds * s->time_base.den / s->time_base.num);
  if (s->start_time != AV_NOPTS_VALUE) target += s->start_time;
  if (av_seek_frame(av.format, av.stream, target, AVSEEK_FLAG_BACKWARD) < 0) return false;
  avcodec_flush_buffers(av.codec);
  av.draining = false;
  av.have = false;
  av.nextStart = AV_NOPTS_VALUE;
  return true;
}

MediaDecoder::Step MediaDecoder::Next(std::string* error) {
  Av& av = *m_av;
  if (!av.format) return Step::End;
  const auto fail = [&](int code) {
    *error = UnreadablePicture(m_name, AvReason(code));
    return Step::Failed;
  };
  for (;;) {
    const int got = avcodec_receive_frame(av.codec, av.frame);
    if (got == 0) {
      if (TooLarge(av.frame->width, av.frame->height)) {
        *error = UnreadablePicture(
            m_name, res::Format(res::kPictureTooLarge,
                                {std::to_string(av.frame->width), std::to_string(av.frame->height),
                                 std::to_string(kMaxPictureSide)}));
        return Step::Failed;
      }
      av.have = true;
      std::int64_t start = av.frame->best_effort_timestamp;
      if (start == AV_NOPTS_VALUE) start = av.nextStart == AV_NOPTS_VALUE ? 0 : av.nextStart;
      av.frame->best_effort_timestamp = start;
#if LIBAVUTIL_VERSION_INT >= AV_VERSION_INT(57, 30, 100)
      const std::int64_t length = av.frame->duration;
#else
      const std::int64_t length = av.frame->pkt_duration;
#endif
      av.nextStart = length > 0 ? start + length : AV_NOPTS_VALUE;
      return Step::Picture;
    }
    if (got == AVERROR_EOF) return Step::End;
    if (got != AVERROR(EAGAIN)) return fail(got);
    if (av.draining) return Step::End;
    // The decoder wants more of the file.
    const int read = av_read_frame(av.format, av.packet);
    if (read == AVERROR_EOF) {
      av.draining = true;
      avcodec_send_packet(av.codec, nullptr);
      continue;
    }
    if (read < 0) return fail(read);
    const bool ours = av.packet->stream_index == av.stream;
    const int sent = ours ? avcodec_send_packet(av.codec, av.packet) : 0;
    av_packet_unref(av.packet);
    if (sent < 0 && sent != AVERROR(EAGAIN)) return fail(sent);
  }
}

int MediaDecoder::Width() const { return m_av->have ? m_av->frame->width : 0; }
int MediaDecoder::Height() const { return m_av->have ? m_av->frame->height : 0; }

double MediaDecoder::Start() const {
  const Av& av = *m_av;
  if (!av.have) return 0;
  const AVStream* s = av.Stream();
  std::int64_t ticks = av.frame->best_effort_timestamp;
  if (s->start_time != AV_NOPTS_VALUE) ticks -= s->start_time;
  return Seconds(ticks, s->time_base);
}

double MediaDecoder::Length() const {
  const Av& av = *m_av;
  if (!av.have) return -1;
#if LIBAVUTIL_VERSION_INT >= AV_VERSION_INT(57, 30, 100)
  const std::int64_t length = av.frame->duration;
#else
  const std::int64_t length = av.frame->pkt_duration;
#endif
  if (length > 0) return Seconds(length, av.Stream()->time_base);
  const AVRational rate = av.Stream()->avg_frame_rate;
  if (rate.num > 0 && rate.den > 0) return static_cast<double>(rate.den) / rate.num;
  return -1;
}

RgbaView MediaDecoder::Scaled(int width, int height) {
  Av& av = *m_av;
  if (!av.have || width < 1 || height < 1) return {};
  av.scaler = sws_getCachedContext(av.scaler, av.frame->width, av.frame->height,
                                   static_cast<AVPixelFormat>(av.frame->format), width, height,
                                   AV_PIX_FMT_RGBA, SWS_AREA, nullptr, nullptr, nullptr);
  if (!av.scaler) return {};
  const int stride = width * 4;
  av.rgba.resize(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
  std::uint8_t* planes[4] = {av.rgba.data(), nullptr, nullptr, nullptr};
  int strides[4] = {stride, 0, 0, 0};
  sws_scale(av.scaler, av.frame->data, av.frame->linesize, 0, av.frame->height, planes, strides);
  return {av.rgba.data(), width, height, stride};
}

}  // namespace picture
