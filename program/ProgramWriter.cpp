#include "program/ProgramWriter.h"

#include "document/ColorTable.h"
#include "document/Screen.h"
#include "platform/AtomicFileWriter.h"
#include "platform/Cp936.h"
#include "project/FrameTextEscape.h"
#include "res/AppInfo.h"

using document::Animation;
using document::ColorDigit;
using document::FrameNode;

namespace output {

namespace cp936 = platform::cp936;

namespace {

// Fixed texts are kept here in UTF-8 and go into the program as GBK.
std::string Gbk(std::string_view utf8) { return cp936::ToGbk(utf8).bytes; }

std::string Timestamp(const platform::LocalTime& t) {
  using std::to_string;
  return to_string(t.year) + "." + to_string(t.month) + "." + to_string(t.day) + " " +
         to_string(t.hour) + ":" + to_string(t.minute) + ":" + to_string(t.second);
}

// A value inside system("..."): C escapes for the compiler, and a caret
// before each character cmd.exe would act on, so the console gets the text
// literally. The quote is escaped too, so cmd never enters its quoted mode,
// where a caret would show.
std::string CommandLiteral(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = cp936::CharLength(text, i);
    if (NeedsOctal(text, i, length)) {
      AppendOctal(out, text.substr(i, length));
    } else if (length == 2) {
      out.append(text.substr(i, 2));
    } else {
      switch (const char c = text[i]) {
        case '\\':
          out += "\\\\";
          break;
        case '"':
          out += "^\\\"";
          break;
        case '&':
        case '|':
        case '<':
        case '>':
        case '^':
          out += '^';
          out += c;
          break;
        default:
          out += c;
      }
    }
    i += length;
  }
  return out;
}

// Gathers the text and hands it to the file in large pieces, so a long
// animation is never held whole in memory a second time.
class FileSink {
 public:
  explicit FileSink(std::FILE* file) : m_file(file) {}
  void operator()(std::string_view bytes) {
    m_buffer += bytes;
    if (m_buffer.size() >= kChunk) Drain();
  }
  bool Close() {
    Drain();
    return m_ok && std::fflush(m_file) == 0;
  }

 private:
  static constexpr std::size_t kChunk = 1 << 16;
  static constexpr std::size_t kWritebackStep = std::size_t{8} << 20;
  void Drain() {
    if (m_ok && !m_buffer.empty())
      m_ok = std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) == m_buffer.size();
    m_unflushed += m_buffer.size();
    m_buffer.clear();
    // The export syncs the file at the end; the disk can start long before.
    if (m_unflushed >= kWritebackStep) {
      platform::StartWriteback(::fileno(m_file));
      m_unflushed = 0;
    }
  }
  std::FILE* m_file;
  std::string m_buffer;
  std::size_t m_unflushed = 0;
  bool m_ok = true;
};

// Milliseconds each frame stays on screen; a project file can carry a rate
// below 1, which plays as 1.
int FramePeriodMs(int rate) {
  return static_cast<int>(document::WholeFrameLength(document::PlayRate(rate), 1000));
}

// False when the job was cancelled before the body was whole.
template <typename Put>
bool EmitBody(const Animation& animation, const ProgramBodyOptions& options, Put& put,
              platform::JobProgress* progress = nullptr) {
  static const std::string heading = Gbk("\t\n\n\t//////动画部分//////\n");
  static const std::string blockStart = Gbk("\t\n\t//////第");
  static const std::string blockMiddle = Gbk("帧//////\n\tGotoxy(0,0);\n\tprintf(\"");
  static const std::string jumpBack = Gbk("\t\n\t//////进行循环//////\n\tgoto loop;\n");

  put(heading);
  if (options.saveCode) {
    const std::string blockEnd = "\");\n\tSleep(" +
                                 std::to_string(FramePeriodMs(animation.m_nRate)) +
                                 ");\n\tsystem(\"cls\");\n";
    int number = 0;
    for (const FrameNode& node : animation.m_frames) {
      if (!platform::AdvanceStage(progress, static_cast<std::uint64_t>(number))) return false;
      put(blockStart);
      put(std::to_string(++number));
      put(blockMiddle);
      put(EscapeFrameLiteral(node.Text()));
      put(blockEnd);
    }
    if (options.endless) put(jumpBack);
  }
  put("\t\n\n\treturn 0;\n}");
  return platform::AdvanceStage(progress, static_cast<std::uint64_t>(animation.FrameCount()));
}

}  // namespace

std::string MakeColorCode(int backIndex, int charIndex, const std::function<void()>& onBadIndex) {
  std::string code;
  for (int index : {backIndex, charIndex}) {
    if (auto digit = ColorDigit(index))
      code += *digit;
    else if (onBadIndex)
      onBadIndex();
  }
  return code;
}

std::string MakeProgramPrologue(const Animation& animation, const platform::LocalTime& created) {
  const std::string rule(74, '/');
  std::string out = Gbk(rule + "\n//\n//\t" + kMakerLine + " " + kWebsiteAddress +
                        "\n"
                        "//\t该代码由 《Zoetrix C语言动画制作器》 制作\n"
                        "//\n"
                        "//\t----------------动画信息----------------\n"
                        "//\t制作时间：");
  out += Timestamp(created);
  out += Gbk("\n//\t动画名称：");
  out += animation.m_strAnimName;  // a comment: the name goes in as held
  out += Gbk("\n//\n" + rule +
             "\n"
             "\n"
             "#include <stdio.h>\n"
             "#include <windows.h>\n"
             "#include <process.h>\n"
             "\n"
             "//设置光标位置，防止屏幕闪烁\n"
             "int Gotoxy(int x, int y)\n"
             "{\n"
             "    HANDLE handle;\n"
             "    COORD coord;\n"
             "    coord.X = x;\n"
             "    coord.Y = y;\n"
             "    handle = GetStdHandle(STD_OUTPUT_HANDLE);\n"
             "    SetConsoleCursorPosition(handle, coord);\n"
             "\treturn 0;\n"
             "}\n"
             "\n"
             "int main()\n"
             "{\n"
             "\t//////动画画布尺寸//////\n"
             "\tsystem(\"mode con cols=");
  out += std::to_string(animation.m_nAnimWide) + " lines=" + std::to_string(animation.m_nAnimHigh);
  out += Gbk("\");\n\t\n\t//////动画颜色//////\n\tsystem(\"color ");
  out += CommandLiteral(animation.m_strColor);
  out += Gbk("\");\n\t\n\t//////动画名称//////\n\tsystem(\"title ");
  out += CommandLiteral(animation.m_strAnimName);
  out += Gbk("\");\n\t\n\t//////用于循环的点//////\nloop:\n");
  return out;
}

std::string MakeProgramBody(const Animation& animation, const ProgramBodyOptions& options) {
  std::string out;
  auto put = [&out](std::string_view bytes) { out += bytes; };
  EmitBody(animation, options, put);
  return out;
}

bool WriteProgramPrologue(std::FILE* file, const Animation& animation,
                          const platform::LocalTime& created) {
  if (!file) return false;
  FileSink sink(file);
  sink(MakeProgramPrologue(animation, created));
  return sink.Close();
}

bool WriteProgramBody(std::FILE* file, const Animation& animation,
                      const ProgramBodyOptions& options, platform::JobProgress* progress) {
  if (!file) return false;
  FileSink sink(file);
  if (!EmitBody(animation, options, sink, progress)) return false;
  return sink.Close();
}

}  // namespace output
