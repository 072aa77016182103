#include "picture/PictureImport.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "document/AnimationDocument.h"
#include "picture/FrameSampler.h"
#include "picture/MediaDecoder.h"
#include "res/Printable.h"
#include "res/Texts.h"

namespace picture {

namespace {

constexpr const char* kStillEndings[] = {".png", ".jpg", ".jpeg", ".gif", ".webp", ".bmp"};
constexpr const char* kClipEndings[] = {".mp4", ".m4v",  ".mkv", ".webm", ".avi", ".mov",
                                        ".mpg", ".mpeg", ".ogv", ".flv",  ".wmv", ".ts"};

bool EndsWith(const std::string& path, const char* ending) {
  const std::string_view e(ending);
  if (path.size() < e.size()) return false;
  for (std::size_t i = 0; i < e.size(); ++i) {
    char c = path[path.size() - e.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != e[i]) return false;
  }
  return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Feeds the frames of one file to the sink.
class FileFrames {
 public:
  FileFrames(const PictureImportOptions& options, CharacterConverter& converter,
             const FrameSink& sink, platform::JobProgress* progress, PictureImportResult& result)
      : m_options(options),
        m_converter(converter),
        m_sink(sink),
        m_progress(progress),
        m_result(result) {}

  // False once the import stops (refused or cancelled). `later` files
  // follow this one.
  bool Read(const std::string& file, std::size_t later) {
    if (!m_decoder.Open(file, &m_result.error)) return false;
    const double duration = m_decoder.Duration();
    const double end =
        m_options.to >= 0 && (duration < 0 || m_options.to < duration) ? m_options.to : duration;
    long long expected = IsStillPictureName(file) && !EndsWith(file, ".gif") ? 1 : 0;
    if (end > m_options.from) {
      // A header may claim any length: counted in floating point, capped
      // before it becomes a whole number.
      const double frames = std::ceil((end - m_options.from) * m_options.rate - 1e-9);
      expected = static_cast<long long>(std::min(frames, 1e15));
      if (!Allow(expected)) return false;
    }
    // Each file still to come counts as a frame until it is opened.
    if (m_progress)
      m_progress->SetTotal(
          expected > 0 ? static_cast<std::uint64_t>(m_result.frames + expected) + later : 0);
    if (m_options.from > 0) m_decoder.SeekTo(m_options.from);
    FrameSampler sampler(m_options.rate, m_options.from, m_options.to);
    long long pictures = 0, before = m_result.frames;
    double start = 0, length = -1;
    for (;;) {
      const MediaDecoder::Step step = m_decoder.Next(&m_result.error);
      if (step == MediaDecoder::Step::Failed) return false;
      if (step == MediaDecoder::Step::End) break;
      const double next = m_decoder.Start();
      if (pictures > 0 && !Emit(sampler.FramesBefore(next))) return false;
      if (pictures > 0 && sampler.PastEnd(next)) break;
      start = next;
      length = m_decoder.Length();
      // A picture no frame shows is not drawn; the first always is, as a
      // file with one picture is one frame whatever its time.
      if (pictures == 0 || length < 0 || sampler.Shows(start, start + length)) DrawCurrent();
      ++pictures;
      // Pictures no frame shows are decoded too: a cancel is seen after
      // each, a few milliseconds apart.
      if (platform::JobCancelled(m_progress)) {
        m_result.cancelled = true;
        return false;
      }
    }
    if (pictures == 0) {
      m_result.error = UnreadablePicture(file, res::kPictureNoPicture);
      return false;
    }
    if (pictures == 1) {
      if (!Emit(1)) return false;
    } else if (pictures > 1) {
      const double last = start + (length > 0 ? length : 1.0 / std::max(1, m_options.rate));
      if (!Emit(sampler.FramesBefore(last))) return false;
    }
    if (m_result.frames == before) {
      m_result.error = res::Format(res::kPictureNothingInPart, {res::Printable(file)});
      return false;
    }
    return true;
  }

 private:
  bool Allow(long long count) {
    if (count <= m_options.maxFrames - m_result.frames) return true;
    m_result.error = res::Format(res::kPictureTooManyFrames, {std::to_string(m_options.maxFrames)});
    return false;
  }

  void DrawCurrent() {
    const Placement placement =
        PlacePicture(m_decoder.Width(), m_decoder.Height(), m_converter.Options());
    const RgbaView pixels = m_decoder.Scaled(placement.SampleWidth(), placement.SampleHeight());
    m_text = document::MakeFrameText(pixels.pixels ? m_converter.Draw(pixels, placement)
                                                   : std::string());
  }

  bool Emit(long long count) {
    if (count <= 0) return true;
    if (!Allow(count)) return false;
    m_result.frames += count;
    if (!m_sink(m_text, count) ||
        !platform::AdvanceStage(m_progress, static_cast<std::uint64_t>(m_result.frames))) {
      m_result.cancelled = true;
      return false;
    }
    return true;
  }

  const PictureImportOptions& m_options;
  CharacterConverter& m_converter;
  const FrameSink& m_sink;
  platform::JobProgress* m_progress;
  PictureImportResult& m_result;
  MediaDecoder m_decoder;
  document::FrameText m_text;  // the last picture drawn
};

}  // namespace

bool IsStillPictureName(const std::string& path) {
  for (const char* e : kStillEndings)
    if (EndsWith(path, e)) return true;
  return false;
}

bool IsPictureName(const std::string& path) {
  if (IsStillPictureName(path)) return true;
  for (const char* e : kClipEndings)
    if (EndsWith(path, e)) return true;
  return false;
}

bool NaturalLess(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      std::size_t ie = i, je = j;
      while (ie < a.size() && IsDigit(a[ie])) ++ie;
      while (je < b.size() && IsDigit(b[je])) ++je;
      std::size_t is = i, js = j;  // leading zeros do not count
      while (is + 1 < ie && a[is] == '0') ++is;
      while (js + 1 < je && b[js] == '0') ++js;
      const std::string_view na(a.data() + is, ie - is), nb(b.data() + js, je - js);
      if (na.size() != nb.size()) return na.size() < nb.size();
      if (na != nb) return na < nb;
      // Equal values: fewer leading zeros first, so the order is total.
      if (ie - i != je - j) return ie - i < je - j;
      i = ie;
      j = je;
    } else {
      if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
      ++i;
      ++j;
    }
  }
  return a.size() - i < b.size() - j;
}

bool ListPictureFiles(const std::vector<std::string>& paths, std::vector<std::string>* files,
                      std::string* error) {
  namespace fs = std::filesystem;
  files->clear();
  for (const std::string& path : paths) {
    std::error_code ec;
    if (!fs::is_directory(path, ec)) {
      files->push_back(path);
      continue;
    }
    std::vector<std::string> names;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      std::error_code typeError;
      if (IsStillPictureName(name) && it->is_regular_file(typeError)) names.push_back(name);
    }
    if (ec) {
      *error = UnreadablePicture(path, ec.message());
      return false;
    }
    if (names.empty()) {
      *error = res::Format(res::kPictureEmptyFolder, {res::Printable(path)});
      return false;
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    for (const std::string& name : names) files->push_back((fs::path(path) / name).string());
  }
  return true;
}

PictureImportResult ImportPictures(const std::vector<std::string>& files,
                                   const PictureImportOptions& options, const FrameSink& sink,
                                   platform::JobProgress* progress) {
  PictureImportResult result;
  platform::BeginStage(progress, res::kJobImportPictures, files.size());
  CharacterConverter converter(options.characters);
  for (std::size_t i = 0; i < files.size(); ++i) {
    FileFrames reader(options, converter, sink, progress, result);
    if (!reader.Read(files[i], files.size() - i - 1)) break;
  }
  return result;
}

PictureAnimationResult MakePictureAnimation(const std::vector<std::string>& files,
                                            const PictureImportOptions& options,
                                            document::Animation animation,
                                            platform::JobProgress* progress) {
  PictureAnimationResult made;
  made.animation = std::move(animation);
  document::FrameList& frames = made.animation.m_frames;
  const std::size_t had = frames.Size();
  made.import = ImportPictures(
      files, options,
      [&](const document::FrameText& text, long long n) {
        frames.Insert(frames.Size(), text, static_cast<std::size_t>(n));
        return true;
      },
      progress);
  if (!made.import.ok()) frames.Erase(had, frames.Size() - had);
  return made;
}

}  // namespace picture
