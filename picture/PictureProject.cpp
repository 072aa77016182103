#include "picture/PictureProject.h"

#include <algorithm>

#include "platform/SafeFile.h"

namespace picture {

namespace {

// Copies of a hold written between two looks at the progress: about 10 MB
// of 80x25 frames, well under a tenth of a second.
constexpr long long kHoldStep = 4096;

// The claimed project's name is removed unless the project was made, an
// exception (memory running out) included.
struct ClaimKept {
  std::string path;
  bool made = false;
  ~ClaimKept() {
    if (!made && !path.empty()) platform::RemoveFile(path);
  }
};

}  // namespace

FrameSink ProjectFrames(output::ProjectStream& stream, platform::JobProgress* progress) {
  return [&stream, progress](const document::FrameText& text, long long count) {
    for (long long written = 0; written < count;) {
      const long long step = std::min(kHoldStep, count - written);
      if (!stream.Append(text, step) || platform::JobCancelled(progress)) return false;
      written += step;
    }
    return true;
  };
}

PictureImportResult WritePictureProject(const std::vector<std::string>& files,
                                        const PictureImportOptions& options,
                                        const document::Animation& animation,
                                        const std::string& programFolder,
                                        const platform::LocalTime& now, std::string* path,
                                        platform::JobProgress* progress) {
  PictureImportResult result;
  ClaimKept claim;
  result.error = output::ClaimNewProject(programFolder, now, &claim.path);
  if (!result.ok()) return result;
  output::ProjectStream stream;
  result.error = stream.Open(animation, claim.path).error;
  if (result.ok()) {
    bool writeFailed = false;
    const FrameSink frames = ProjectFrames(stream, progress);
    result = ImportPictures(
        files, options,
        [&](const document::FrameText& text, long long count) {
          if (frames(text, count)) return true;
          writeFailed = !platform::JobCancelled(progress);
          return false;
        },
        progress);
    if (writeFailed) {
      // The stream stopped the import: why is its error, not a cancel.
      result.cancelled = false;
      result.error = stream.Finish().error;
    } else if (result.ok()) {
      result.error = stream.Finish().error;
    }
  }
  if (!result.ok()) return result;
  claim.made = true;
  *path = claim.path;
  return result;
}

}  // namespace picture
