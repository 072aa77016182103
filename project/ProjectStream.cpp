#include "project/ProjectStream.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "document/AnimationFiles.h"
#include "platform/AtomicFileWriter.h"
#include "project/ProjectValues.h"
#include "project/StampClaim.h"
#include "res/Texts.h"

namespace output {

namespace {

constexpr std::size_t kBodyBuffer = std::size_t{256} << 10;
constexpr std::size_t kCopyChunk = std::size_t{1} << 20;

void PutLine(platform::AtomicFileWriter& out, std::string_view key, std::string_view value) {
  out.Write(key);
  out.Write("=");
  out.Write(value);
  out.Write("\r\n");
}

void PutSection(platform::AtomicFileWriter& out, std::string_view name) {
  out.Write("[");
  out.Write(name);
  out.Write("]\r\n");
}

}  // namespace

ProjectStream::~ProjectStream() { Abandon(); }

ProjectResult ProjectStream::Open(const document::Animation& animation,
                                  const std::filesystem::path& path) {
  Abandon();
  m_error.clear();
  m_frames = 0;
  m_path = path;
  m_where = res::Format(res::kCannotSaveProject, {path.string()});
  m_properties.m_strAnimName = animation.m_strAnimName;
  m_properties.m_nAnimWide = animation.m_nAnimWide;
  m_properties.m_nAnimHigh = animation.m_nAnimHigh;
  m_properties.m_strColor = animation.m_strColor;
  m_properties.m_nRate = animation.m_nRate;
  m_body.reset(platform::CreateTempBeside(path.string(), &m_bodyPath, "wb+"));
  if (!m_body) {
    Failed(std::string("cannot create a temporary file beside ") + path.string() + ": " +
           std::strerror(errno));
    return {m_error};
  }
  m_bodyBuffer.resize(kBodyBuffer);
  std::setvbuf(m_body.get(), m_bodyBuffer.data(), _IOFBF, m_bodyBuffer.size());
  for (const document::FrameNode& node : animation.m_frames)
    if (!Append(node.pText)) break;
  return {m_error};
}

bool ProjectStream::Failed(const std::string& detail) {
  if (m_error.empty()) m_error = m_where + res::Format(res::kFolderNotWritable, {detail});
  return false;
}

bool ProjectStream::Append(const document::FrameText& text, long long count) {
  if (!m_error.empty() || !m_body) return false;
  if (count <= 0) return true;
  if (count > kMaxProjectFrames - m_frames) {
    m_error = m_where + res::Format(res::kSaveTooManyFrames, {std::to_string(kMaxProjectFrames)});
    return false;
  }
  if (text.get() != m_escapedFrom) {
    m_value = FrameValue(*text);
    m_escapedText = text;
    m_escapedFrom = text.get();
  }
  FrameKey key;
  std::FILE* f = m_body.get();
  for (long long i = 0; i < count; ++i) {
    const std::string_view name = key(static_cast<int>(++m_frames));
    std::fwrite(name.data(), 1, name.size(), f);
    std::fputc('=', f);
    std::fwrite(m_value.data(), 1, m_value.size(), f);
    std::fputs("\r\n", f);
  }
  if (std::ferror(f))
    return Failed(std::string("cannot write ") + m_bodyPath + ": " + std::strerror(errno));
  return true;
}

ProjectResult ProjectStream::Finish() {
  if (!m_body) Failed("no file open");
  if (!m_error.empty()) {
    Abandon();
    return {m_error};
  }
  if (std::fflush(m_body.get()) != 0) {
    Failed(std::string("cannot write ") + m_bodyPath + ": " + std::strerror(errno));
    Abandon();
    return {m_error};
  }
  std::string detail;
  platform::AtomicFileWriter out;
  // A project of the tool's own: a link at its name is replaced.
  if (!out.Open(m_path, &detail, false, platform::Replace::Yes)) {
    Failed(detail);
    Abandon();
    return {m_error};
  }
  std::string values[kPropertyCount];
  PropertyValues(m_properties, static_cast<int>(m_frames), values);
  PutSection(out, kPropertiesSection);
  for (int i = 0; i < kPropertyCount; ++i) PutLine(out, kPropertyKeys[i], values[i]);
  if (m_frames > 0) PutSection(out, kPicturesSection);
  // The frames, read back a chunk at a time.
  std::string chunk(kCopyChunk, '\0');
  const int fd = ::fileno(m_body.get());
  for (off_t at = 0;;) {
    const ssize_t got = ::pread(fd, chunk.data(), chunk.size(), at);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      Failed(std::string("cannot read ") + m_bodyPath + ": " + std::strerror(errno));
      Abandon();
      return {m_error};
    }
    if (got == 0) break;
    out.Write(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
    at += got;
  }
  if (!out.Commit(&detail)) Failed(detail);
  const std::string error = m_error;
  Abandon();
  return {error};
}

void ProjectStream::Abandon() {
  if (m_body) {
    m_body.reset();
    platform::RemoveFile(m_bodyPath);
  }
  m_bodyPath.clear();
  m_escapedText.reset();
  m_escapedFrom = nullptr;
}

std::string ClaimNewProject(const std::string& programFolder, const platform::LocalTime& now,
                            std::string* path) {
  document::AnimationPaths paths;
  std::FILE* claimed = nullptr;
  switch (ClaimStamp(
      programFolder, document::MakeCreationStamp(now),
      [](const document::AnimationPaths& p) { return p.project; }, &paths, &claimed)) {
    case Claim::Made:
      break;
    case Claim::CannotCreate:
      return res::Format(res::kCannotCreateProject, {paths.project, std::strerror(errno)});
    case Claim::TooMany:
      return res::kTooManyProjectsPerSecond;
  }
  std::fclose(claimed);
  *path = paths.project;
  return {};
}

}  // namespace output
