#include "output/Share.h"

#include "output/AnimationFormats.h"
#include "output/CodeFile.h"
#include "output/WindowsProgram.h"
#include "res/Texts.h"

using document::AnimationDocument;
using document::ExportSession;

namespace output {

std::string SharePathFor(const std::string& exePath, ShareFormat format) {
  std::string base = exePath;
  if (base.size() >= 4 && base.compare(base.size() - 4, 4, ".exe") == 0)
    base.resize(base.size() - 4);
  switch (format) {
    case ShareFormat::Html:
      return base + ".html";
    case ShareFormat::Gif:
      return base + ".gif";
    case ShareFormat::Cast:
      return base + ".cast";
    case ShareFormat::Windows:
      return base + "-windows.exe";
  }
  return base;
}

std::string SharePath(const ExportSession& session, ShareFormat format) {
  return SharePathFor(session.m_strExePath, format);
}

std::string ShareAnimation(AnimationDocument& doc, ShareFormat format, bool endless) {
  const std::string path = SharePath(doc.m_export, format);
  const platform::Replace replace = ReplaceMode(doc.m_export, path);
  std::string error;
  bool ok = false;
  switch (format) {
    case ShareFormat::Html:
      ok = WriteHtmlAnimation(doc, path, &error, replace);
      break;
    case ShareFormat::Gif:
      ok = WriteGifAnimation(doc, path, &error, {}, replace);
      break;
    case ShareFormat::Cast:
      ok = WriteCastAnimation(doc, path, &error, replace);
      break;
    case ShareFormat::Windows:
      error = BuildWindowsProgram(doc, endless, path, replace);
      ok = error.empty();
      break;
  }
  if (ok) {
    NoteOwnFile(doc.m_export, path);
    return {};
  }
  if (error.empty()) return res::Format(res::kShareFailed, {path});
  return error == res::Format(res::kExportTargetExists, {path})
             ? NotReplacedMessage(doc.m_export, path)
             : error;
}

}  // namespace output
