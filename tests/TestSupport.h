#pragma once
// Helpers shared by the test programs.
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "document/Animation.h"

namespace testsupport {

// A fresh folder under the system temp folder, removed when the object dies.
class TempDir {
 public:
  explicit TempDir(std::string_view nameHint = "zoetrix");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return m_path; }
  // The folder as a string ending in '/', the way the program folder is held.
  std::string folder() const { return m_path.string() + "/"; }

 private:
  std::filesystem::path m_path;
};

std::string ReadFile(const std::filesystem::path& p);
void WriteFile(const std::filesystem::path& p, std::string_view bytes);

// UTF-8 text of this source file turned into GBK bytes (test inputs are
// written in UTF-8 for readability).
std::string Gbk(std::string_view utf8);

// An animation with these values and no frames.
inline document::Animation AnimationOf(std::string name, int wide, int high, std::string color,
                                       int rate = 24) {
  document::Animation animation;
  animation.m_strAnimName = std::move(name);
  animation.m_nAnimWide = wide;
  animation.m_nAnimHigh = high;
  animation.m_strColor = std::move(color);
  animation.m_nRate = rate;
  return animation;
}

// A fresh pseudo-terminal of 80x25: its master side (-1 when none could be
// had) and the path of its other side, for a child to open.
struct PseudoTerminal {
  int master = -1;
  std::string slave;
};
PseudoTerminal OpenPseudoTerminal();

// In a forked child before exec: the signals a terminal sends take their
// default action and none is blocked. A suite started as a background job
// inherits SIGINT and SIGQUIT ignored, and a program that is to stop on
// Ctrl+C must not.
void ResetSignalsForChild();

// What a terminal would take as a control in bytes written to it, besides
// the tool's own sequences (ESC [ ... final byte, and the window title
// ESC ] 2 ; ... BEL), CR, LF and tab: C0 and C1 controls, DEL, and bytes
// that do not decode in the terminal's encoding ("UTF-8", or "GBK" for the
// GBK family: a byte from 0x80 on only as a lead byte with its second
// byte, which also keeps a GB18030 terminal from reading four-byte
// sequences). Empty when there is none, otherwise where and what.
std::string StrayControls(std::string_view output, std::string_view encoding);

}  // namespace testsupport
