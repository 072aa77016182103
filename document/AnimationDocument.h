#pragma once
// The animation being edited: the values the main window's fields show and
// the document state no control shows. Strings are GBK bytes; frame texts
// separate their lines with CR LF.
#include <string>

#include "document/FrameList.h"
#include "platform/Clock.h"
#include "platform/SafeFile.h"

// Limits the fields accept when they are copied into the document.
inline constexpr int kMinCanvas = 10;
inline constexpr int kMaxCanvas = 100;
inline constexpr int kMinFrameRate = 1;
inline constexpr int kMaxFrameRate = 100;
inline constexpr int kMinDelay = 0;
inline constexpr int kMaxDelay = 1000;

// The most frames an animation may have: project files claiming more are
// refused, and no command appends past it.
inline constexpr int kMaxFrames = 1000000;

// "无题" (untitled) in GBK.
inline constexpr const char* kDefaultAnimName = "\xCE\xDE\xCC\xE2";

struct AnimationDocument {
  // Values shown in the window's fields and boxes.
  int m_nHigh = 25;
  int m_nWide = 80;
  int m_nFrameRate = 24;
  std::string m_strName = kDefaultAnimName;
  std::string m_strEditText;
  int m_nEditFrame = 1;
  int m_nPreviewFrame = 1;
  std::string m_strPreviewText;
  std::string m_strFrameTotal = "---";
  int m_bLoop = 0;
  int m_bOverwrite = 1;
  int m_nDelay = 0;
  std::string m_strDuration = "---";
  int m_bSaveCode = 0;
  int m_bCompile = 0;
  int m_bSaveProject = 0;
  int m_bEndless = 0;
  int m_bAppend = 0;

  // The current animation. Nothing below is read before the first creation
  // or opening; the start values are only there to be defined.
  int m_bCreated = 0;
  FrameList m_frames;
  int m_nRate = 0;
  int m_nBackColor = 0;
  int m_nCharColor = 7;
  std::string m_strColor;
  std::string m_strAnimName;
  int m_nAnimWide = 0;
  int m_nAnimHigh = 0;
  std::string m_strCodePath;
  std::string m_strProjectPath;
  std::string m_strExePath;
  std::string m_strBuildPath;
  // The open code file; closed when replaced, released or at the end.
  platform::UniqueFile m_pCodeFile;
  // The clock reading the files are named after; the code file's prologue
  // shows it too.
  platform::LocalTime m_createdAt;

  // The number of frames: the frame list's own count, never kept beside it.
  int FrameCount() const { return static_cast<int>(m_frames.Size()); }

  // The frame the edit area shows, for a selector position: that frame, or
  // the last frame (the head when there is none) when it names none.
  FrameNode& EditedFrame(int editPosition);

  // Appending a blank frame: the edit area's text goes into the frame the
  // edit area shows (see EditedFrame), then an empty frame follows the last
  // one.
  void AppendBlankFrame(const std::string& editText, int editPosition = -1);

  // Storing and copying the picture being drawn, count times: the edit
  // area's text goes into the frame the edit area shows (see EditedFrame)
  // and count frames with the same text follow the last frame. The copies
  // share the text, which is never changed in place. False, with nothing
  // changed, when the animation would pass kMaxFrames.
  bool AppendCopiesOfLast(const std::string& editText, int count, int editPosition = -1);
};
