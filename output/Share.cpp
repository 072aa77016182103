#include "output/Share.h"

#include "output/AnimationFormats.h"
#include "output/WindowsProgram.h"
#include "res/Texts.h"

using document::AnimationDocument;

namespace output {

std::string SharePath(const AnimationDocument& doc, ShareFormat format) {
  std::string base = doc.m_strExePath;
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

std::string ShareAnimation(const AnimationDocument& doc, ShareFormat format, bool endless) {
  const std::string path = SharePath(doc, format);
  std::string error;
  bool ok = false;
  switch (format) {
    case ShareFormat::Html:
      ok = WriteHtmlAnimation(doc, path, &error);
      break;
    case ShareFormat::Gif:
      ok = WriteGifAnimation(doc, path, &error);
      break;
    case ShareFormat::Cast:
      ok = WriteCastAnimation(doc, path, &error);
      break;
    case ShareFormat::Windows:
      error = BuildWindowsProgram(doc, endless, path);
      ok = error.empty();
      break;
  }
  if (ok) return {};
  return error.empty() ? res::Format(res::kShareFailed, {path}) : error;
}

}  // namespace output
