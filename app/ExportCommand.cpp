#include "app/ExportCommand.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/ProgressLine.h"
#include "app/ShareCommand.h"
#include "document/AnimationFiles.h"
#include "document/CanvasReach.h"
#include "platform/Clock.h"
#include "platform/Interrupt.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "program/CodeFile.h"
#include "program/Compiler.h"
#include "program/Export.h"
#include "project/ProjectFile.h"
#include "res/Printable.h"

using document::AnimationDocument;
using document::AnimationPaths;
using document::ExportSession;
using document::FramesBeyondCanvas;
using document::FramesBeyondNote;

using output::ClaimShareStamp;
using output::ExportAnimation;
using output::ExportEnd;
using output::ExportOptions;
using output::ExportPrompter;
using output::kCompileSuccessMessage;
using output::kExportCompileNeedsCode;
using output::kExportDone;
using output::kExportNoOption;
using output::ProjectReadResult;
using output::ReadProjectFile;
using output::ReplaceWithProject;
using output::StartCodeFile;

namespace {

constexpr const char* kUsage =
    "用法：zoetrix --export 工程.ini [--code] [--compile] [--project] [--endless]\n"
    "                              [--html] [--gif] [--cast] [--windows] [--quiet]\n"
    "\n"
    "不打开窗口，把一个工程导出：相当于在窗口中打开该工程（不叠加），\n"
    "勾选所给的选项后按“开始导出”。\n"
    "  --code      保存为代码 (*.c)，写入工作目录下的 Code/\n"
    "  --compile   进行编译 (*.exe)，编译好的程序放进 Animate/（需要 --code）\n"
    "  --project   保存工程 (*.ini)，写入 Project/\n"
    "  --endless   无尽循环播放\n"
    "%s"
    "  --quiet     不显示进度（标准错误是终端时，默认在一行里显示进度）\n"
    "工作目录是程序所在的目录；安装后的程序（或程序目录不可写时）用\n"
    "$XDG_DATA_HOME/zoetrix/（默认 ~/.local/share/zoetrix/）。\n"
    "成功时列出写出的文件并以 0 退出；否则把原因写到标准错误并以非 0 退出。\n"
    "  --help      显示本说明\n";

// Messages go to the terminal instead of message boxes; questions are
// answered yes, since the options on the command line already said so.
// "已导出。" waits for the end of the run: the shared formats may still fail.
// The progress line is erased before each of them.
class TerminalPrompter : public ExportPrompter {
 public:
  explicit TerminalPrompter(ProgressLine& line) : m_line(line) {}
  void Message(const std::string& text) override {
    if (text == kExportDone) return;
    const bool fine = text == kCompileSuccessMessage;
    m_line.Say(fine ? stdout : stderr, text);
  }
  bool Ask(const std::string& text) override {
    m_line.Say(stdout, text + " 是");
    return true;
  }
  void CompilerDetails(const std::string& text) override {
    if (!text.empty()) m_line.Say(stderr, text);
  }

 private:
  ProgressLine& m_line;
};

struct Arguments {
  std::string project;
  ExportOptions options;
  ShareOptions share;
  bool help = false;
  bool quiet = false;  // no progress line
  std::string error;
};

bool IsOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

Arguments Parse(int argc, char** argv) {
  Arguments a;
  bool exportGiven = false;
  for (int i = 1; i < argc && a.error.empty(); ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      a.help = true;
    } else if (arg == "--export") {
      if (exportGiven) {
        a.error = "--export 只能给一次";
      } else if (i + 1 >= argc || IsOption(argv[i + 1]) || !*argv[i + 1]) {
        a.error = "--export 后面缺少工程文件名";
      } else {
        a.project = argv[++i];
      }
      exportGiven = true;
    } else if (arg == "--code") {
      a.options.saveCode = true;
    } else if (arg == "--compile") {
      a.options.compile = true;
    } else if (arg == "--project") {
      a.options.saveProject = true;
    } else if (arg == "--endless") {
      a.options.endless = true;
    } else if (arg == "--quiet") {
      a.quiet = true;
    } else if (TakeShareOption(arg, a.share)) {
    } else {
      a.error = (IsOption(arg) ? "无法识别的参数：" : "多余的参数：") + res::Printable(arg);
    }
  }
  if (!a.help && a.error.empty() && a.project.empty()) a.error = "缺少 --export 工程.ini";
  return a;
}

// The options the window would refuse, refused before any file is made.
std::string RefusedOptions(const ExportOptions& o, const ShareOptions& share) {
  if (!o.saveCode && !o.saveProject && !o.compile && !share.Any()) return kExportNoOption;
  if (o.compile && !o.saveCode) return kExportCompileNeedsCode;
  return {};
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  return 1;
}

// Removes what this run wrote (every name was new to it, and only the very
// files it wrote go). True when there was any.
bool RemoveRunFiles(ExportSession& session) {
  session.m_pCodeFile.reset();
  bool any = false;
  for (const auto& [path, id] : session.m_writtenFiles) {
    if (!output::IsOwnFile(session, path)) continue;
    platform::RemoveFile(path);
    any = true;
  }
  session.m_writtenFiles.clear();
  return any;
}

// The files this run leaves, in the order they were written.
void ListRunFiles(const ExportSession& session, const ExportOptions& o, const ShareOptions& share) {
  std::vector<std::string> files;
  if (o.saveCode || o.saveProject || o.compile) files.push_back(session.m_strCodePath);
  if (o.saveProject) files.push_back(session.m_strProjectPath);
  if (o.compile) files.push_back(session.m_strExePath);
  for (output::ShareFormat format : ChosenFormats(share))
    files.push_back(output::SharePath(session, format));
  for (const std::string& file : files)
    if (output::IsOwnFile(session, file)) std::printf("%s\n", file.c_str());
}

}  // namespace

void PrintExportUsage(std::FILE* to) { std::fprintf(to, kUsage, kShareUsage); }

bool AsksForHelp(int argc, char** argv) { return Parse(argc, argv).help; }

int RunExportCommand(int argc, char** argv) {
  const Arguments args = Parse(argc, argv);
  if (args.help) {
    PrintExportUsage(stdout);
    return 0;
  }
  if (!args.error.empty()) {
    std::fprintf(stderr, "%s\n\n", args.error.c_str());
    PrintExportUsage(stderr);
    return 2;
  }
  if (const std::string refused = RefusedOptions(args.options, args.share); !refused.empty())
    return Fail(refused);
  // Every stage reports to one job; the line is gone before the closing
  // messages and the list of files.
  platform::JobProgress job;
  ProgressLine line(job, ProgressLine::Wanted(args.quiet));
  ProjectReadResult read =
      ReadProjectFile(std::filesystem::path(args.project), std::size_t{1} << 20, &job);
  if (!read.ok()) {
    line.Stop();
    return Fail(read.error);
  }

  const std::string folder = platform::WorkFolder();
  const platform::LocalTime now = platform::Now();
  const ExportOptions& o = args.options;
  const bool classic = o.saveCode || o.saveProject || o.compile;
  // From the first file made, an interrupt removes what this run made.
  std::optional<platform::InterruptCleanup> interrupts(std::in_place);
  AnimationDocument doc;
  AnimationPaths paths;
  // Without the classic options no code file is needed: the first shared
  // format's file claims the name, so Code/ need not even be writable.
  const std::string problem = classic ? StartCodeFile(doc, folder, read.animation, now, &paths)
                                      : ClaimShareStamp(doc.m_export, folder, now,
                                                        ChosenFormats(args.share).front(), &paths);
  if (!problem.empty()) {
    line.Stop();
    return Fail(problem);
  }
  ReplaceWithProject(doc, std::move(read.animation), paths, now);

  TerminalPrompter prompter(line);
  const ExportEnd end = classic ? ExportAnimation(doc.m_animation, doc.m_export, o,
                                                  platform::ShareFolder(), prompter, &job)
                                : ExportEnd::Exported;
  doc.m_export.m_pCodeFile.reset();
  const bool exported = end == ExportEnd::Exported || end == ExportEnd::CompileProblem;
  const bool shared =
      exported && RunShares(doc.m_animation, doc.m_export, args.share, o.endless, &job, &line);
  line.Stop();
  if (!shared) {
    // Nothing of a failed run stays behind; earlier files are not touched.
    if (RemoveRunFiles(doc.m_export)) std::fprintf(stderr, "%s\n", res::kExportRemovedRunFiles);
    return 1;
  }
  // The run is over and its files are the result: a signal from here on must
  // not remove what is about to be listed.
  interrupts.reset();
  // The compiler's complaints point into the code: what was written stays.
  if (end == ExportEnd::CompileProblem)
    std::fprintf(stderr, "%s\n", res::kExportKeptAfterCompileProblem);
  else if (classic)
    std::printf("%s\n", kExportDone);
  ListRunFiles(doc.m_export, o, args.share);
  std::fflush(stdout);
  if (const std::string note = FramesBeyondNote(FramesBeyondCanvas(doc.m_animation)); !note.empty())
    std::fprintf(stderr, "%s\n", note.c_str());
  return end == ExportEnd::Exported ? 0 : 1;
}
