#include "program/CodeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>

#include "program/ProgramWriter.h"
#include "project/StampClaim.h"
#include "res/Texts.h"

using document::Animation;
using document::AnimationDocument;
using document::AnimationPaths;
using document::ExportSession;
using document::MakeAnimationPaths;
using document::MakeCreationStamp;

namespace output {

namespace {

// Exactly the bytes given, read from the file at path without following a
// link.
bool HoldsExactly(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  std::string held(bytes.size() + 1, '\0');
  std::size_t got = 0;
  while (got < held.size()) {
    const ssize_t n = ::read(fd, held.data() + got, held.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return got == bytes.size() && held.compare(0, got, bytes) == 0;
}

}  // namespace

std::string StartCodeFile(AnimationDocument& doc, const std::string& programFolder,
                          const Animation& animation, const platform::LocalTime& created,
                          AnimationPaths* paths) {
  AnimationPaths candidate;
  std::FILE* file = nullptr;
  switch (ClaimStamp(
      programFolder, MakeCreationStamp(created), [](const AnimationPaths& p) { return p.code; },
      &candidate, &file)) {
    case Claim::Made:
      break;
    case Claim::CannotCreate:
      return res::Format(res::kCannotCreateCodeFile, {candidate.code});
    case Claim::TooMany:
      return res::kTooManyAnimationsPerSecond;
  }
  if (!WriteProgramPrologue(file, animation, created)) {
    std::fclose(file);
    platform::RemoveFile(candidate.code);
    return res::Format(res::kCannotCreateCodeFile, {candidate.code});
  }
  // The animation replaced lets go of its files.
  if (doc.m_bCreated == 1) DiscardCodeStub(doc.m_export, doc.m_animation);
  doc.m_export.m_writtenFiles.clear();
  doc.m_export.m_pCodeFile.reset(file);
  NoteOwnFile(doc.m_export, candidate.code);
  *paths = candidate;
  return {};
}

std::string ClaimShareStamp(ExportSession& session, const std::string& programFolder,
                            const platform::LocalTime& created, ShareFormat first,
                            AnimationPaths* paths) {
  AnimationPaths candidate;
  std::FILE* file = nullptr;
  const auto claimFile = [first](const AnimationPaths& p) { return SharePathFor(p.exe, first); };
  switch (ClaimStamp(programFolder, MakeCreationStamp(created), claimFile, &candidate, &file)) {
    case Claim::Made:
      break;
    case Claim::CannotCreate:
      return res::Format(res::kCannotClaimShareFile, {claimFile(candidate), std::strerror(errno)});
    case Claim::TooMany:
      return res::kTooManySharesPerSecond;
  }
  std::fclose(file);
  session.m_writtenFiles.clear();
  NoteOwnFile(session, claimFile(candidate));
  *paths = candidate;
  return {};
}

void DiscardCodeStub(ExportSession& session, const Animation& animation) {
  if (session.m_strCodePath.empty()) return;
  // The prologue may still wait in the stream's buffer.
  if (session.m_pCodeFile) std::fflush(session.m_pCodeFile.get());
  if (HoldsExactly(session.m_strCodePath, MakeProgramPrologue(animation, session.m_createdAt)))
    platform::RemoveFile(session.m_strCodePath);
}

bool IsOwnFile(const ExportSession& session, const std::string& path) {
  const auto written = session.m_writtenFiles.find(path);
  platform::FileId now;
  return written != session.m_writtenFiles.end() && platform::IdentifyFile(path, &now) &&
         now == written->second;
}

std::string NotReplacedMessage(const ExportSession& session, const std::string& path) {
  return res::Format(session.m_writtenFiles.count(path) != 0 ? res::kExportTargetChanged
                                                             : res::kExportTargetExists,
                     {path});
}

platform::Replace ReplaceMode(const ExportSession& session, const std::string& path) {
  return IsOwnFile(session, path) ? platform::Replace::Yes : platform::Replace::No;
}

void NoteOwnFile(ExportSession& session, const std::string& path) {
  platform::FileId id;
  if (platform::IdentifyFile(path, &id))
    session.m_writtenFiles[path] = id;
  else
    session.m_writtenFiles.erase(path);
}

}  // namespace output
