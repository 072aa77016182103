#include "program/WindowsProgram.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <system_error>
#include <vector>

#include "platform/Interrupt.h"
#include "platform/Process.h"
#include "platform/SafeFile.h"
#include "program/ProgramWriter.h"
#include "res/Texts.h"

using document::Animation;

namespace output {

namespace {

namespace fs = std::filesystem;

constexpr std::chrono::seconds kCompileTimeout{120};

std::mutex g_compilerLock;
std::string g_compilerForTesting;

std::string Compiler() {
  std::lock_guard<std::mutex> lock(g_compilerLock);
  return g_compilerForTesting.empty() ? kWindowsCompiler : g_compilerForTesting;
}

std::uint32_t Read32(const std::vector<unsigned char>& d, std::size_t at) {
  return d[at] | (d[at + 1] << 8) | (d[at + 2] << 16) | (std::uint32_t{d[at + 3]} << 24);
}
std::uint16_t Read16(const std::vector<unsigned char>& d, std::size_t at) {
  return static_cast<std::uint16_t>(d[at] | (d[at + 1] << 8));
}

std::string Reason() { return std::string("（") + std::strerror(errno) + "）"; }

}  // namespace

bool IsWindowsExecutable(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
  if (d.size() < 0x40 || d[0] != 'M' || d[1] != 'Z') return false;
  const std::uint64_t pe = Read32(d, 0x3C);
  constexpr std::uint64_t kFileHeader = 4 + 20;  // signature, COFF header
  if (pe + kFileHeader > d.size()) return false;
  if (std::memcmp(&d[pe], "PE\0\0", 4) != 0) return false;
  if (Read16(d, pe + 4) != 0x8664) return false;
  const std::uint64_t sections = Read16(d, pe + 6);
  const std::uint64_t optionalSize = Read16(d, pe + 20);
  const std::uint64_t optional = pe + kFileHeader;
  if (optionalSize < 2 || optional + optionalSize > d.size()) return false;
  if (Read16(d, optional) != 0x20B) return false;  // PE32+
  const std::uint64_t table = optional + optionalSize;
  if (sections == 0 || table + sections * 40 > d.size()) return false;
  for (std::uint64_t i = 0; i < sections; ++i) {
    const std::uint64_t entry = table + i * 40;
    const std::uint64_t rawSize = Read32(d, entry + 16);
    const std::uint64_t rawAt = Read32(d, entry + 20);
    if (rawSize > 0 && rawAt + rawSize > d.size()) return false;
  }
  return true;
}

std::string BuildWindowsProgram(const Animation& animation, const platform::LocalTime& created,
                                bool endless, const std::string& target, platform::Replace replace,
                                platform::JobProgress* progress) {
  const std::string cancelled = res::Format(res::kJobCancelled, {res::kJobShareWindows});
  platform::BeginStage(progress, res::kJobShareWindows,
                       static_cast<std::uint64_t>(animation.FrameCount()));
  std::error_code ec;
  std::string temp = fs::temp_directory_path(ec).string();
  if (ec || temp.empty()) temp = "/tmp";
  if (temp.back() != '/') temp += '/';
  const std::string folder = platform::CreatePrivateFolder(temp, "zoetrix-windows-");
  if (folder.empty()) return res::Format(res::kWindowsNoTempFolder, {temp, Reason()});
  struct Cleanup {
    std::string folder;
    ~Cleanup() { platform::RemoveFolder(folder); }
  } cleanup{folder};

  // The same program the code file holds after an export with the frames.
  const std::string source = folder + "/animation.c";
  std::FILE* f = platform::CreateNewFileStream(source, "wb");
  if (!f) return res::Format(res::kWindowsCannotWriteSource, {source, Reason()});
  bool written = WriteProgramPrologue(f, animation, created) &&
                 WriteProgramBody(f, animation, {true, endless}, progress);
  written = std::fclose(f) == 0 && written;
  if (platform::JobCancelled(progress)) return cancelled;
  if (!written) return res::Format(res::kWindowsCannotWriteSource, {source, Reason()});

  // The text is GBK as on a Chinese Windows: the compiler must read it so,
  // or a second byte 0x5C would escape the quote after it.
  const std::string program = folder + "/animation.exe";
  platform::NoteMadeFile(program);  // the compiler's, but made for this run
  const platform::ProcessResult run =
      platform::RunProcess({Compiler(), "-O2", "-s", "-finput-charset=CP936",
                            "-fexec-charset=CP936", "-o", "animation.exe", "animation.c"},
                           kCompileTimeout, folder, progress);
  if (run.cancelled || platform::JobCancelled(progress)) return cancelled;
  if (run.programMissing) return kWindowsCompilerMissing;
  if (run.pipeFailed || !run.started)
    return res::Format(res::kWindowsCompilerNotStarted, {kWindowsCompiler});
  if (run.timedOut) return res::kWindowsCompileTimedOut;
  if (!run.ExitedCleanly()) {
    std::string message = res::kWindowsCompileFailed;
    if (!run.output.empty()) message += res::kWindowsCompilerOutput + run.output;
    while (!message.empty() && message.back() == '\n') message.pop_back();
    return message;
  }
  if (!IsWindowsExecutable(program)) return res::kWindowsProgramIncomplete;
  if (!platform::PlaceFile(program, target, replace))
    return errno == EEXIST ? res::Format(res::kExportTargetExists, {target})
                           : res::Format(res::kWindowsCannotMoveProgram, {target, Reason()});
  return {};
}

void SetWindowsCompilerForTesting(const std::string& program) {
  std::lock_guard<std::mutex> lock(g_compilerLock);
  g_compilerForTesting = program;
}

}  // namespace output
