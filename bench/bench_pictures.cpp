// Pictures into frames: an 80x25 frame drawn from a 1920x1080 picture and
// from a 1920x1080 clip picture, each beside decoding alone in the same run,
// and a 10-second 30 fps clip imported at 24 frames a second, into an
// animation and into a project frame by frame.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "picture/MediaDecoder.h"
#include "picture/PictureImport.h"
#include "picture/PictureProject.h"
#include "tests/PictureMaker.h"

using picture::ImportPictures;
using picture::MediaDecoder;
using picture::PictureImportOptions;
using testpictures::Image;
namespace fs = std::filesystem;

namespace {

// A full-HD picture with something to draw: rings over a diagonal ramp,
// moved by `shift` so clip pictures differ.
Image Scene(int shift) {
  Image image(1920, 1080);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const double d = std::hypot(x - 960.0 - shift, y - 540.0);
      const int ramp = (x + y + shift) * 255 / (1920 + 1080);
      image.at(x, y) = static_cast<std::uint8_t>(static_cast<int>(d / 40) % 2 ? ramp : 255 - ramp);
    }
  return image;
}

// The inputs, made once in a scratch folder.
class Inputs {
 public:
  Inputs() {
    std::string pattern = (fs::temp_directory_path() / "zoetrix-bench-pictures-XXXXXX").string();
    m_folder = ::mkdtemp(pattern.data()) ? pattern : "/tmp";
    testpictures::WritePng(Picture(), Scene(0));
    std::vector<Image> scenes;
    for (int i = 0; i < 10; ++i) scenes.push_back(Scene(i * 30));
    m_clip = testpictures::WriteClip(Clip(), scenes, 30, testpictures::ClipCodec::Mpeg4, 300) ==
             testpictures::ClipWritten::Yes;
  }
  ~Inputs() {
    std::error_code ec;
    fs::remove_all(m_folder, ec);
  }
  std::string Picture() const { return m_folder + "/scene.png"; }
  std::string Clip() const { return m_folder + "/clip.mkv"; }
  bool HaveClip() const { return m_clip; }
  const std::string& Folder() const { return m_folder; }

 private:
  std::string m_folder;
  bool m_clip = false;
};

Inputs& Made() {
  static Inputs inputs;
  return inputs;
}

PictureImportOptions Options() {
  PictureImportOptions o;  // 80 x 25, ASCII, ordered dithering
  o.rate = 24;
  return o;
}

void BM_PictureDecodeOnly(benchmark::State& state) {
  const std::string path = Made().Picture();
  for (auto _ : state) {
    MediaDecoder decoder;
    std::string error;
    if (!decoder.Open(path, &error) || decoder.Next(&error) != MediaDecoder::Step::Picture)
      state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(decoder.Width());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PictureDecodeOnly)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_PictureToFrame(benchmark::State& state) {
  const std::vector<std::string> files{Made().Picture()};
  const PictureImportOptions o = Options();
  for (auto _ : state) {
    long long frames = 0;
    const auto r = ImportPictures(files, o, [&](const document::FrameText& t, long long n) {
      benchmark::DoNotOptimize(t->size());
      frames += n;
      return true;
    });
    if (!r.ok() || frames != 1) state.SkipWithError(r.error.c_str());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PictureToFrame)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// Every picture of the clip decoded, none drawn: per picture.
void BM_ClipDecodeOnly(benchmark::State& state) {
  if (!Made().HaveClip()) return state.SkipWithError("no MPEG-4 encoder to make the clip");
  long long pictures = 0;
  for (auto _ : state) {
    MediaDecoder decoder;
    std::string error;
    if (!decoder.Open(Made().Clip(), &error)) state.SkipWithError(error.c_str());
    while (decoder.Next(&error) == MediaDecoder::Step::Picture) ++pictures;
  }
  state.SetItemsProcessed(pictures);
}
BENCHMARK(BM_ClipDecodeOnly)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// Every picture of the clip drawn (the rate equal to the clip's): per frame.
void BM_ClipToFrames(benchmark::State& state) {
  if (!Made().HaveClip()) return state.SkipWithError("no MPEG-4 encoder to make the clip");
  PictureImportOptions o = Options();
  o.rate = 30;
  long long frames = 0;
  for (auto _ : state) {
    const auto r = ImportPictures({Made().Clip()}, o, [&](const document::FrameText&, long long n) {
      frames += n;
      return true;
    });
    if (!r.ok()) state.SkipWithError(r.error.c_str());
  }
  state.SetItemsProcessed(frames);
}
BENCHMARK(BM_ClipToFrames)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The 10-second 30 fps clip imported at 24 frames a second: 240 frames.
void BM_ImportTenSecondClipAt24(benchmark::State& state) {
  if (!Made().HaveClip()) return state.SkipWithError("no MPEG-4 encoder to make the clip");
  long long frames = 0;
  for (auto _ : state) {
    const auto r =
        picture::MakePictureAnimation({Made().Clip()}, Options(), document::DefaultAnimation());
    if (!r.import.ok() || r.animation.FrameCount() != 240)
      state.SkipWithError(r.import.error.c_str());
    frames += r.animation.FrameCount();
  }
  state.SetItemsProcessed(frames);
}
BENCHMARK(BM_ImportTenSecondClipAt24)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The same import as the command line makes it: each frame written into a
// new project as it is drawn (claimed, streamed, put in place, removed
// again with the clock stopped).
void BM_ImportTenSecondClipToProject(benchmark::State& state) {
  if (!Made().HaveClip()) return state.SkipWithError("no MPEG-4 encoder to make the clip");
  const std::string folder = Made().Folder() + "/";
  std::error_code ec;
  fs::create_directories(folder + "Project", ec);
  long long frames = 0;
  int second = 0;
  for (auto _ : state) {
    std::string path;
    const platform::LocalTime now{2024, 1, 1, 0, 0, second++ % 60};
    const auto r = picture::WritePictureProject({Made().Clip()}, Options(),
                                                document::DefaultAnimation(), folder, now, &path);
    if (!r.ok() || r.frames != 240) state.SkipWithError(r.error.c_str());
    frames += r.frames;
    state.PauseTiming();
    fs::remove(path, ec);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(frames);
}
BENCHMARK(BM_ImportTenSecondClipToProject)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
