#pragma once
// Frames from a plain text file: one picture after another, split at a
// separator line or into blocks of a fixed number of lines.
//
// The default separator is a line holding only a form feed, which is what
// `zoetrix --play` writes between frames into a pipe, so playing into a file
// and importing that file gives the frames back.
//
// The text is taken as UTF-8 when it is valid UTF-8 (a leading byte-order
// mark is dropped), otherwise as GBK. LF, CR LF and a lone CR all end a line;
// inside a frame the lines are joined by CR LF with no line break after the
// last one, as the edit area holds a frame.
#include <string>
#include <string_view>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/FrameList.h"
#include "output/ProjectFile.h"
#include "platform/Clock.h"
#include "res/Texts.h"

namespace output {

struct TextFrameOptions {
  // A line equal to this (UTF-8, compared after the line end is taken off)
  // ends a frame; it belongs to no frame. Used when blockHeight is 0.
  std::string separator = "\f";
  // When above 0: every blockHeight lines make one frame; the last frame may
  // be shorter.
  int blockHeight = 0;
  // More frames than this are refused.
  int maxFrames = document::kMaxFrames;
};

struct TextFramesResult {
  std::vector<document::FrameText> frames;  // GBK, CR LF between lines
  bool utf8 = false;                        // the text was read as UTF-8 (otherwise GBK)
  std::string error;                        // why the text is refused (UTF-8); empty on success
  bool ok() const { return error.empty(); }
};

// Splits text into frames. Refused, with no frames, when the text is empty,
// holds a character GBK cannot hold (the message names its line and column,
// both counted from 1, columns in characters), holds bytes that are neither
// UTF-8 nor GBK, or makes more than options.maxFrames frames. In separator
// mode n separator lines give n + 1 frames, empty ones included.
TextFramesResult SplitTextFrames(std::string_view text, const TextFrameOptions& options = {});

// Reads the whole file at path (bytes as they are). False with *error set
// (UTF-8, naming the file and the reason) when it cannot be opened or read,
// a folder included.
bool ReadTextFile(const std::string& path, std::string* text, std::string* error);

// The properties of a project made from a text file: those of a new
// animation unless given.
struct TextProjectSettings {
  std::string name = document::kDefaultAnimName;  // GBK
  int wide = 80;
  int high = 25;
  int rate = 24;
  std::string color = "07";  // background digit, then character digit
};

ProjectData MakeTextProject(std::vector<document::FrameText> frames,
                            const TextProjectSettings& settings);

// Writes the project as Project/<stamp>.ini under programFolder, the stamp
// made from `now` like a new animation's; a stamp any of whose four files
// exists is passed over ("_2", "_3", ... follow it, as for code files) and
// the project file is claimed exclusively, so nothing earlier is
// overwritten. On success *path is the project's path and the result empty;
// otherwise the message (UTF-8) and no file is left.
std::string WriteNewProject(const std::string& programFolder, const platform::LocalTime& now,
                            ProjectData project, std::string* path);

// Messages (UTF-8).
using res::kTextFramesEmpty;  // res/Texts.h

}  // namespace output
