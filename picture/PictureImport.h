#pragma once
// Frames from pictures: each still picture is one frame; an animated GIF or
// a video clip gives a frame every 1 / rate seconds (holding a picture over
// as many frames as it lasts, copies of one text); a folder gives the
// pictures in it, in natural order ("2.png" before "10.png").
//
// Pictures are decoded, drawn in characters and handed on one at a time:
// a long clip costs the memory of a few pictures, and each frame's text
// once however long it is held.
#include <functional>
#include <string>
#include <vector>

#include "document/Animation.h"
#include "document/AnimationDocument.h"
#include "document/FrameList.h"
#include "picture/CharacterPicture.h"
#include "platform/JobProgress.h"

namespace picture {

struct PictureImportOptions {
  CharacterOptions characters;  // canvas, characters, dithering, colours
  int rate = document::kDefaultFrameRate;
  // The part of a clip, in seconds; `to` negative for the end. A still
  // picture is one frame whatever the part.
  double from = 0;
  double to = -1;
  int maxFrames = document::kMaxFrames;  // more frames than this are refused
};

// Whether a file's name says it is a picture or a clip (by its ending,
// either case).
bool IsPictureName(const std::string& path);
// The same for still pictures and GIFs alone: what a folder's pictures are.
bool IsStillPictureName(const std::string& path);

// Less-than in natural order: runs of digits compare by their value.
bool NaturalLess(const std::string& a, const std::string& b);

// The files an import reads: each path as given, a folder standing for its
// pictures in natural order. False with the reason (UTF-8) when a folder
// cannot be listed or has no pictures.
bool ListPictureFiles(const std::vector<std::string>& paths, std::vector<std::string>* files,
                      std::string* error);

// Receives each frame: its text and how many frames in a row show it (at
// least 1). Returns false to stop the import (nothing more is read).
using FrameSink = std::function<bool(const document::FrameText& text, long long count)>;

struct PictureImportResult {
  long long frames = 0;    // frames handed to the sink
  bool cancelled = false;  // the progress was cancelled or the sink asked to stop
  std::string error;       // why the import is refused (UTF-8); empty otherwise
  bool ok() const { return error.empty() && !cancelled; }
};

// Reads the files in order and hands their frames to the sink. Refused at
// the first file that cannot be read (the decoder's reason), a picture over
// kMaxPictureSide, a clip whose part holds no picture, or when the frames
// would pass maxFrames (before decoding when a clip's length says so).
//
// With a progress the import is its stage kJobImportPictures: done counts
// the frames handed on, the total is what the files are expected to give
// (each still picture one frame, a GIF or clip its length at the rate; 0
// while a file's length is unknown), and a cancel stops it at the next
// picture decoded or frame handed on.
PictureImportResult ImportPictures(const std::vector<std::string>& files,
                                   const PictureImportOptions& options, const FrameSink& sink,
                                   platform::JobProgress* progress = nullptr);

// The animation of a picture import: `animation` (a new animation's values
// by default) with the frames appended; error as for ImportPictures.
struct PictureAnimationResult {
  document::Animation animation;
  PictureImportResult import;
};
PictureAnimationResult MakePictureAnimation(const std::vector<std::string>& files,
                                            const PictureImportOptions& options,
                                            document::Animation animation,
                                            platform::JobProgress* progress = nullptr);

}  // namespace picture
