#pragma once
// Frames from a plain text file: one picture after another, split at a
// separator line or into blocks of a fixed number of lines.
//
// The default separator is a line holding only a form feed, which is what
// `zoetrix --play` writes between frames into a pipe, so playing into a file
// and importing that file gives the frames back. Every form feed breaks a
// frame, wherever it stands in a line: a frame never holds one.
//
// The text is taken as UTF-8 when it is valid UTF-8, otherwise as GBK; a
// leading UTF-8 byte-order mark is dropped. LF, CR LF and a lone CR all end a
// line; inside a frame the lines are joined by CR LF with no line break after
// the last one, as the edit area holds a frame.
//
// The text is read and split as it arrives, so an endless or enormous input
// (a device, a pipe that never closes) costs no more memory than the frames
// kept plus the read buffer: it is refused at the first control character,
// at the frame limit, or at one of the size limits below, none of which an
// animation the tool can hold comes near.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/Animation.h"
#include "document/AnimationDocument.h"
#include "document/FrameList.h"
#include "platform/Clock.h"
#include "platform/JobProgress.h"
#include "project/ProjectFile.h"
#include "res/Texts.h"

namespace output {

// A canvas is at most 100 cells wide: a few hundred bytes even in UTF-8.
inline constexpr std::size_t kMaxTextLineBytes = std::size_t{64} << 10;
// 100 lines of the longest line allowed, and then some.
inline constexpr std::size_t kMaxTextFrameBytes = std::size_t{8} << 20;
// Every frame is kept until the text ends, so this bounds the memory an
// import takes: a dense 100,000-frame import is about 250 MB, far below it,
// and 2 GiB still fits a small machine.
inline constexpr std::uint64_t kMaxTextBytes = std::uint64_t{2} << 30;

struct TextFrameOptions {
  // A line whose bytes are this in UTF-8 or in GBK (compared after the line
  // end is taken off) ends a frame; it belongs to no frame. Used when
  // blockHeight is 0. A separator holding a control character other than
  // tab never matches, as no such line is accepted; "\f" is what every form
  // feed does anyway.
  std::string separator = "\f";
  // When above 0: every blockHeight lines make one frame; a form feed ends
  // a block early, and the last block may be shorter.
  int blockHeight = 0;
  // More frames than this are refused.
  int maxFrames = document::kMaxFrames;
  // Longer lines, larger frames (CR LF between lines counted) and longer
  // texts (in bytes as read) are refused.
  std::size_t maxLineBytes = kMaxTextLineBytes;
  std::size_t maxFrameBytes = kMaxTextFrameBytes;
  std::uint64_t maxTextBytes = kMaxTextBytes;
};

struct TextFramesResult {
  std::vector<document::FrameText> frames;  // GBK, CR LF between lines
  bool utf8 = false;                        // the text was read as UTF-8 (otherwise GBK)
  std::string error;                        // why the text is refused (UTF-8); empty on success
  bool ok() const { return error.empty(); }
};

// Splits a text handed over piece by piece, in any pieces. Refused, with no
// frames, when the text is empty; holds a control character other than tab
// (at once, naming its line and column, both counted from 1, columns in
// characters, the character written U+XXXX); holds a character GBK cannot
// hold or bytes that are neither UTF-8 nor GBK (named likewise, once the
// text has ended and its encoding is known); makes more than maxFrames
// frames (at once); or passes a size limit (at once). In separator mode n
// breaks give n + 1 frames, empty ones included.
class TextFrameReader {
 public:
  explicit TextFrameReader(TextFrameOptions options = {});
  TextFrameReader(const TextFrameReader&) = delete;
  TextFrameReader& operator=(const TextFrameReader&) = delete;

  // Takes the next bytes. False once the text is refused: feed no more.
  bool Feed(std::string_view bytes);
  // The text has ended: its frames, or why it is refused. Given a job, the
  // frames are made as its stage kJobImportText, counted of all of them; a
  // cancel refuses the text with kJobCancelled's words.
  TextFramesResult Finish(platform::JobProgress* progress = nullptr);
  // Frames read whole so far.
  std::size_t FramesRead() const { return m_frames.size(); }

 private:
  struct Place {
    std::uint64_t line = 1, column = 1;
  };
  void Take(std::string_view bytes);
  void TakeUtf8State(std::string_view bytes);
  void AppendText(std::string_view text);
  void EndLine();
  void FormFeed();
  void FinishFrame();
  void Refuse(std::string message);
  std::uint64_t CharsOf(std::string_view bytes) const;
  std::uint64_t Column() const;
  bool ConvertFrame(std::size_t index, document::FrameText* out);

  TextFrameOptions m_options;
  std::string m_separatorGbk;  // the separator in GBK, when it differs and GBK holds it
  bool m_matchSeparator;
  std::vector<std::string> m_frames;  // as read: UTF-8 or GBK, decided at the end
  std::vector<Place> m_starts;        // where each kept frame starts
  std::string m_frame;                // the frame being read, a CR LF after each whole line
  Place m_start;                      // where it starts
  int m_frameLines = 0;               // whole lines in it
  std::size_t m_lineStart = 0;        // where in m_frame the current line starts
  std::size_t m_lineBytes = 0;        // bytes of the current line so far, form feeds included
  std::uint64_t m_line = 1;           // line of the text being read
  std::uint64_t m_columnsBefore = 0;  // characters of the line before m_frame's part of it
  bool m_afterCr = false;             // the last byte was a CR: an LF now belongs to it
  bool m_afterFormFeed = false;       // a line end now belongs to the form feed's break
  std::string m_head;                 // the first bytes, while they may be a byte-order mark
  bool m_headDone = false;
  std::uint64_t m_read = 0;  // bytes taken, as read
  std::uint64_t m_text = 0;  // bytes taken after a byte-order mark
  // UTF-8 validity so far: the continuation bytes still due, and the range
  // the next one must be in.
  bool m_utf8 = true;
  int m_utf8Due = 0;
  unsigned char m_utf8Low = 0x80, m_utf8High = 0xBF;
  std::string m_error;
};

// Splits a whole text at once.
TextFramesResult SplitTextFrames(std::string_view text, const TextFrameOptions& options = {});

// Reads from fd to its end through a fixed buffer, splitting as it goes and
// stopping as soon as the text is refused. name (UTF-8) names the source in
// the message when reading fails.
// Given a job, the reading is its stage kJobImportText counting the frames
// read (no total), then the making of them as Finish does; once the job is
// cancelled it stops within a read of 64 KiB or a frame and the text is
// refused with kJobCancelled's words, no frames.
TextFramesResult ReadTextFrames(int fd, const std::string& name,
                                const TextFrameOptions& options = {},
                                platform::JobProgress* progress = nullptr);

// The same for the file at path (bytes as they are); a file that cannot be
// opened or read, a folder included, is refused naming it and the reason.
TextFramesResult ReadTextFramesFile(const std::string& path, const TextFrameOptions& options = {},
                                    platform::JobProgress* progress = nullptr);

// "64 KiB", "8 MiB", "2 GiB": a limit as the messages name it.
std::string ByteSize(std::uint64_t bytes);

// The animation a text import makes: the frames, in order, follow those of
// `animation`, whose name, canvas size, colour code and rate they keep; by
// default those of a new animation (document::DefaultAnimation()).
document::Animation MakeTextAnimation(std::vector<document::FrameText> frames,
                                      document::Animation animation = document::DefaultAnimation());

// Writes the animation as Project/<stamp>.ini under programFolder, the stamp
// made from `now` and claimed by the project file as a new animation's is by
// its code file (ClaimStamp), so nothing earlier is overwritten. On success
// *path is the project's path and the result empty; otherwise the message
// (UTF-8) and no file is left, a cancelled job's included.
std::string WriteNewProject(const std::string& programFolder, const platform::LocalTime& now,
                            const document::Animation& animation, std::string* path,
                            platform::JobProgress* progress = nullptr);

// Messages (UTF-8).
using res::kTextFramesEmpty;  // res/Texts.h

}  // namespace output
