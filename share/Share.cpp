#include "share/Share.h"

#include "program/CodeFile.h"
#include "program/WindowsProgram.h"
#include "res/Texts.h"
#include "share/AnimationFormats.h"

using document::Animation;
using document::ExportSession;

namespace output {

namespace {

std::string CancelledMessage(ShareFormat format) {
  const char* what = res::kJobShareWindows;
  switch (format) {
    case ShareFormat::Html:
      what = res::kJobShareHtml;
      break;
    case ShareFormat::Gif:
      what = res::kJobShareGif;
      break;
    case ShareFormat::Cast:
      what = res::kJobShareCast;
      break;
    case ShareFormat::Windows:
      break;
  }
  return res::Format(res::kJobCancelled, {what});
}

}  // namespace

std::string SharePath(const ExportSession& session, ShareFormat format) {
  return SharePathFor(session.m_strExePath, format);
}

std::string ShareAnimation(const Animation& animation, ExportSession& session, ShareFormat format,
                           bool endless, platform::JobProgress* progress) {
  const std::string path = SharePath(session, format);
  const platform::Replace replace = ReplaceMode(session, path);
  std::string error;
  bool ok = false;
  switch (format) {
    case ShareFormat::Html:
      ok = WriteHtmlAnimation(animation, path, &error, replace, progress);
      break;
    case ShareFormat::Gif:
      ok = WriteGifAnimation(animation, path, &error, {}, replace, progress);
      break;
    case ShareFormat::Cast:
      ok = WriteCastAnimation(animation, path, &error, replace, progress);
      break;
    case ShareFormat::Windows:
      error = BuildWindowsProgram(animation, session.m_createdAt, endless, path, replace, progress);
      ok = error.empty();
      break;
  }
  if (ok) {
    NoteOwnFile(session, path);
    return {};
  }
  if (platform::JobCancelled(progress)) return CancelledMessage(format);
  if (error.empty()) return res::Format(res::kShareFailed, {path});
  return error == res::Format(res::kExportTargetExists, {path}) ? NotReplacedMessage(session, path)
                                                                : error;
}

}  // namespace output
