#include "project/ProjectFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <iterator>
#include <optional>
#include <system_error>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/AtomicFileWriter.h"
#include "platform/Cp936.h"
#include "platform/ProfileLines.h"
#include "project/ProjectValues.h"
#include "res/Texts.h"

using document::Animation;
using document::AnimationDocument;
using document::AnimationPaths;
using document::FrameList;
using document::FrameNode;
using document::FrameText;
using document::MakeFrameText;

namespace output {

namespace cp936 = platform::cp936;

namespace {

// The frames of a project file that are missing all read as the same text.
const FrameText& ReadErrorText() {
  static const FrameText text = MakeFrameText(kProjectReadError);
  return text;
}

std::string Refusal(std::string_view why) { return res::Format(res::kOpenFailed, {why}); }

}  // namespace

namespace {

enum class Where { kNone, kProperties, kPictures, kElsewhere };

// Which of the two sections a header opens: only the first of each counts,
// as profile reading looks keys up in the first section of a name.
Where EnterSection(std::string_view name, bool* seenProperties, bool* seenPictures) {
  if (platform::ProfileNamesEqual(name, kPropertiesSection)) {
    if (*seenProperties) return Where::kElsewhere;
    *seenProperties = true;
    return Where::kProperties;
  }
  if (platform::ProfileNamesEqual(name, kPicturesSection)) {
    if (*seenPictures) return Where::kElsewhere;
    *seenPictures = true;
    return Where::kPictures;
  }
  return Where::kElsewhere;
}

int PropertyIndex(std::string_view name) {
  for (int i = 0; i < 6; ++i)
    if (platform::ProfileNamesEqual(name, kPropertyKeys[i])) return i;
  return -1;
}

// k for a key "Frame" + k (any case, no leading zero) with 1 <= k <= most,
// otherwise 0.
int FrameNumber(std::string_view name, int most) {
  if (name.size() < 6 || name.size() > 5 + 10 ||
      !platform::ProfileNamesEqual(name.substr(0, 5), "Frame") || name[5] == '0')
    return 0;
  long long k = 0;
  for (char c : name.substr(5)) {
    if (c < '0' || c > '9') return 0;
    k = k * 10 + (c - '0');
  }
  return k <= most ? static_cast<int>(k) : 0;
}

// Writes a project into an existing file's lines (none for a new file) in
// one pass: a property or frame key found in the first section of its name
// gets its new value in place, keys not found follow the last key of their
// section, and missing sections go at the end, exactly where a profile
// holding the whole file would put them. Lines are held back only between
// the last key seen and the end of a section (comments, blank lines).
class ProjectMerger {
 public:
  ProjectMerger(const Animation& animation, platform::AtomicFileWriter& out,
                platform::JobProgress* progress)
      : m_animation(animation),
        m_out(out),
        m_progress(progress),
        m_frames(static_cast<std::size_t>(animation.FrameCount()) + 1, false) {
    PropertyValues(animation, animation.FrameCount(), m_properties);
  }

  void Line(std::string_view line) {
    const platform::ProfileLine l = platform::ClassifyProfileLine(line);
    if (l.kind == platform::ProfileLine::kSection) {
      FinishSection();
      m_where = EnterSection(l.name, &m_seenProperties, &m_seenPictures);
      m_hadKey = false;
      m_held.clear();
      m_cut = 0;
      Put(line);
      return;
    }
    if (m_where != Where::kProperties && m_where != Where::kPictures) {
      Put(line);
      return;
    }
    if (l.kind != platform::ProfileLine::kKey) {
      m_held += line;
      m_held += "\r\n";
      if (!m_hadKey && !l.blank) m_cut = m_held.size();
      return;
    }
    m_out.Write(m_held);
    m_held.clear();
    m_hadKey = true;
    if (m_where == Where::kProperties) {
      const int i = PropertyIndex(l.name);
      if (i >= 0 && !m_propertyFound[i]) {
        m_propertyFound[i] = true;
        return PutKey(l.name, m_properties[i]);
      }
    } else if (const int k = FrameNumber(l.name, m_animation.FrameCount()); k > 0 && !m_frames[k]) {
      m_frames[k] = true;
      return PutKey(l.name, FrameAt(k));
    }
    Put(line);
  }

  // The job was cancelled: write no more.
  bool Stopped() const { return m_stopped; }

  void End() {
    FinishSection();
    m_where = Where::kNone;
    if (!m_seenProperties) {
      Put(std::string("[") + kPropertiesSection.data() + "]");
      MissingKeys(Where::kProperties);
    }
    // A section is made for a key written into it: none without frames.
    if (!m_seenPictures && m_animation.FrameCount() > 0) {
      Put(std::string("[") + kPicturesSection.data() + "]");
      MissingKeys(Where::kPictures);
    }
  }

 private:
  void Put(std::string_view line) {
    m_out.Write(line);
    m_out.Write("\r\n");
  }
  void PutKey(std::string_view name, std::string_view value) {
    m_out.Write(name);
    m_out.Write("=");
    m_out.Write(value);
    m_out.Write("\r\n");
  }

  // New keys follow the last key line; a section without keys takes them
  // after its last line that is not blank.
  void FinishSection() {
    if (m_where != Where::kProperties && m_where != Where::kPictures) return;
    const std::size_t cut = m_hadKey ? 0 : m_cut;
    m_out.Write(std::string_view(m_held).substr(0, cut));
    MissingKeys(m_where);
    m_out.Write(std::string_view(m_held).substr(cut));
    m_held.clear();
  }

  void MissingKeys(Where section) {
    if (section == Where::kProperties) {
      for (int i = 0; i < 6; ++i)
        if (!m_propertyFound[i]) PutKey(kPropertyKeys[i], m_properties[i]);
      return;
    }
    FrameKey key;
    for (int k = 1; k <= m_animation.FrameCount() && !m_stopped; ++k)
      if (!m_frames[static_cast<std::size_t>(k)]) PutKey(key(k), FrameAt(k));
  }

  // Copies of a picture share one text and usually follow one another (key
  // frames, delay frames): such a run is escaped once.
  const std::string& FrameAt(int k) {
    m_stopped = !platform::AdvanceStage(m_progress, ++m_written);
    const std::string& text = m_animation.m_frames.At(k - 1)->Text();
    if (&text != m_escapedFrom) {
      m_value = FrameValue(text);
      m_escapedFrom = &text;
    }
    return m_value;
  }

  const Animation& m_animation;
  platform::AtomicFileWriter& m_out;
  platform::JobProgress* m_progress;
  std::uint64_t m_written = 0;  // frames written so far
  bool m_stopped = false;
  std::string m_properties[6];
  bool m_propertyFound[6] = {};
  std::vector<bool> m_frames;  // Frame k already written
  Where m_where = Where::kNone;
  bool m_seenProperties = false;
  bool m_seenPictures = false;
  bool m_hadKey = false;  // the current section has a key line
  std::string m_held;     // lines after the last key line of the section
  std::size_t m_cut = 0;  // in a section without keys: end of its last non-blank line
  const std::string* m_escapedFrom = nullptr;
  std::string m_value;
};

// Opens a file for reading unless it is missing; *fd stays -1 then. False
// when it exists but cannot be read (or is no regular file, which could
// block or never end).
bool OpenExisting(const std::filesystem::path& path, int* fd) {
  *fd = -1;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return errno == ENOENT || errno == ENOTDIR;
  if (!S_ISREG(info.st_mode)) return false;
  *fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  return *fd >= 0 || errno == ENOENT || errno == ENOTDIR;
}

struct FdCloser {
  int fd;
  ~FdCloser() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

namespace {

// Both writers: fresh ones read nothing at path and replace a link there
// instead of writing through it.
ProjectResult WriteProject(const Animation& animation, const std::filesystem::path& path,
                           bool fresh, platform::Replace replace,
                           platform::JobProgress* progress = nullptr) {
  ProjectResult result;
  platform::BeginStage(progress, res::kJobSaveProject,
                       static_cast<std::uint64_t>(animation.FrameCount()));
  const std::string where = res::Format(res::kCannotSaveProject, {path.string()});
  if (animation.FrameCount() > kMaxProjectFrames) {
    result.error =
        where + res::Format(res::kSaveTooManyFrames, {std::to_string(kMaxProjectFrames)});
    return result;
  }

  // A file that exists but cannot be read must not be replaced by one that
  // has lost its other keys.
  int fd = -1;
  if (!fresh && !OpenExisting(path, &fd)) {
    result.error = where + res::kExistingFileUnreadable;
    return result;
  }
  FdCloser closer{fd};
  std::string detail;
  platform::AtomicFileWriter out;
  if (!out.Open(path, &detail, !fresh, replace)) {
    result.error = where + res::Format(res::kFolderNotWritable, {detail});
    return result;
  }
  ProjectMerger merger(animation, out, progress);
  if (fd >= 0) {
    platform::LineReader reader(fd);
    std::string_view line;
    while (!merger.Stopped() && !platform::JobCancelled(progress) && reader.Next(&line))
      merger.Line(line);
    if (reader.Failed()) {
      result.error = where + res::kExistingFileUnreadable;
      return result;
    }
  }
  if (!platform::JobCancelled(progress)) merger.End();
  // Not committed: what was written goes with the writer.
  if (merger.Stopped() || platform::JobCancelled(progress))
    result.error = res::Format(res::kJobCancelled, {res::kJobSaveProject});
  else if (!out.Commit(&detail))
    result.error = errno == EEXIST && replace == platform::Replace::No
                       ? res::Format(res::kExportTargetExists, {path.string()})
                       : where + res::Format(res::kFolderNotWritable, {detail});
  return result;
}

}  // namespace

ProjectResult WriteProjectFile(const Animation& animation, const std::filesystem::path& path,
                               platform::Replace replace, platform::JobProgress* progress) {
  return WriteProject(animation, path, false, replace, progress);
}

ProjectResult WriteNewProjectFile(const Animation& animation, const std::filesystem::path& path,
                                  platform::JobProgress* progress) {
  return WriteProject(animation, path, true, platform::Replace::Yes, progress);
}

namespace {

// Why a project's properties make it unreadable, or empty. *animation
// takes them, and *frameNum the frame count.
std::string CheckProperties(const std::optional<std::string> (&found)[6], Animation* animation,
                            int* frameNum) {
  if (std::none_of(std::begin(found), std::end(found), [](const auto& v) { return v.has_value(); }))
    return Refusal(res::kProjectNotAProject);
  auto text = [&](int i) { return found[i] ? *found[i] : std::string(kProjectReadError); };
  auto number = [&](int i) { return found[i] ? platform::ParseProfileInt(*found[i], 0) : 0; };
  animation->m_strAnimName = text(0);
  animation->m_nAnimWide = number(1);
  animation->m_nAnimHigh = number(2);
  animation->m_strColor = text(3);
  animation->m_nRate = number(4);
  *frameNum = number(5);
  // Playback and the generated program divide by the rate.
  if (animation->m_nRate < 1) return Refusal(res::kProjectBadRate);
  if (*frameNum < 0) return Refusal(res::kProjectBadFrameCount);
  if (*frameNum > kMaxProjectFrames)
    return Refusal(res::Format(res::kProjectTooManyFrames, {std::to_string(kMaxProjectFrames)}));
  return {};
}

// Frame list sizes are counts of frames, and a project has at most
// kMaxProjectFrames of them.
std::size_t Count(int n) { return static_cast<std::size_t>(n); }

// Cuts the list to n frames, or lengthens it with frames not read yet (no
// text).
void Resize(FrameList& frames, std::size_t n) {
  if (frames.Size() > n) frames.Erase(n, frames.Size() - n);
  while (frames.Size() < n) frames.Append(FrameText{});
}

FrameText UnescapedFrame(std::string_view value) {
  if (std::memchr(value.data(), '\\', value.size())) return MakeFrameText(UnescapeFrameText(value));
  return MakeFrameText(std::string(value));
}

}  // namespace

ProjectReadResult ReadProjectFile(const std::filesystem::path& path, std::size_t readBuffer,
                                  platform::JobProgress* progress) {
  ProjectReadResult result;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    result.error = Refusal(res::kProjectFileMissing);
    return result;
  }
  // A device or a pipe would never end, or never start.
  if (!std::filesystem::is_regular_file(path, ec)) {
    result.error = Refusal(res::kProjectNotAFile);
    return result;
  }
  int fd = -1;
  if (!OpenExisting(path, &fd) || fd < 0) {
    result.error = Refusal(res::kProjectUnreadable);
    return result;
  }
  FdCloser closer{fd};
  return ReadProjectFrom(fd, readBuffer, progress);
}

ProjectReadResult ReadProjectFrom(int fd, std::size_t readBuffer, platform::JobProgress* progress) {
  ProjectReadResult result;
  platform::BeginStage(progress, res::kJobOpenProject, 0);

  // One pass: each frame is unescaped from the read buffer straight into
  // its node of the animation's list. Frames met before FrameNum is known
  // are kept by number and cut to FrameNum at the end; once it is known,
  // keys past it are skipped. Until the end a frame not read yet has no
  // text.
  Animation animation;
  FrameList& frames = animation.m_frames;
  int frameNum = 0;
  std::optional<std::string> found[6];
  bool propertiesDone = false;
  int most = kMaxProjectFrames;
  Where where = Where::kNone;
  bool seenProperties = false;
  bool seenPictures = false;
  platform::LineReader reader(fd, readBuffer);
  std::string_view line;
  while (reader.Next(&line)) {
    // Every line, frame or not, so a file of anything else stops as soon.
    if (!platform::AdvanceStage(progress, frames.Size())) {
      result.error = res::Format(res::kJobCancelled, {res::kJobOpenProject});
      return result;
    }
    const platform::ProfileLine l = platform::ClassifyProfileLine(line);
    if (l.kind == platform::ProfileLine::kSection) {
      if (where == Where::kProperties) {
        // Later sections of this name are never looked at: the verdict is in.
        result.error = CheckProperties(found, &animation, &frameNum);
        if (!result.ok()) return result;
        if (progress) progress->SetTotal(Count(frameNum));
        propertiesDone = true;
        most = frameNum;
        if (frames.Size() > Count(most)) Resize(frames, Count(most));
        frames.Reserve(Count(most));
      }
      where = EnterSection(l.name, &seenProperties, &seenPictures);
      continue;
    }
    if (l.kind != platform::ProfileLine::kKey) continue;
    if (where == Where::kProperties) {
      const int i = PropertyIndex(l.name);
      if (i >= 0 && !found[i]) found[i] = std::string(l.value);
    } else if (where == Where::kPictures) {
      const int k = FrameNumber(l.name, most);
      if (k == 0) continue;
      const std::size_t index = Count(k - 1);
      if (index >= frames.Size()) {
        // The usual case: the next frame in order.
        Resize(frames, index);
        frames.Append(UnescapedFrame(l.value));
        continue;
      }
      FrameText& slot = frames.At(k - 1)->pText;
      if (!slot) slot = UnescapedFrame(l.value);  // the first of duplicate keys wins
    }
  }
  if (reader.Failed()) {
    result.error = Refusal(res::kProjectUnreadable);
    return result;
  }
  if (!propertiesDone) {
    result.error = CheckProperties(found, &animation, &frameNum);
    if (!result.ok()) return result;
  }
  Resize(frames, Count(frameNum));
  for (int i = 0; i < frameNum; ++i) {
    FrameText& text = frames.At(i)->pText;
    if (text) continue;
    text = ReadErrorText();
    ++result.missingFrames;
  }
  result.animation = std::move(animation);
  return result;
}

void ReplaceWithProject(AnimationDocument& doc, Animation project, const AnimationPaths& paths,
                        const platform::LocalTime& opened) {
  FrameText head = std::move(doc.m_animation.m_frames.Head().pText);
  doc.m_animation = std::move(project);
  doc.m_history.Clear();
  doc.m_animation.m_frames.Head().pText = std::move(head);
  doc.m_export.TakePaths(paths, opened);
  doc.m_bCreated = 1;
}

ProjectResult AppendProject(AnimationDocument& doc, const Animation& project,
                            document::StepKind kind) {
  ProjectResult result;
  if (doc.m_bCreated == 0) {
    result.error = res::kNoAnimation;
    return result;
  }
  if (doc.FrameCount() > kMaxProjectFrames - project.FrameCount()) {
    result.error =
        Refusal(res::Format(res::kAppendTooManyFrames, {std::to_string(kMaxProjectFrames)}));
    return result;
  }
  if (!doc.AppendFrames(project.m_frames, kind))
    result.error =
        Refusal(res::Format(res::kAppendTooManyFrames, {std::to_string(kMaxProjectFrames)}));
  return result;
}

}  // namespace output
