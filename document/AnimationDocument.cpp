#include "document/AnimationDocument.h"

void AnimationDocument::AppendBlankFrame(const std::string& editText) {
  m_frames.Last().pText = MakeFrameText(editText);
  m_frames.Append();
  ++m_nFrames;
}

bool AnimationDocument::AppendCopiesOfLast(const std::string& editText, int count) {
  if (count > kMaxFrames - m_nFrames) return false;
  const FrameText text = MakeFrameText(editText);
  m_frames.Last().pText = text;
  for (int i = 0; i < count; ++i) m_frames.Append(text);
  m_nFrames += count < 0 ? 0 : count;
  return true;
}
