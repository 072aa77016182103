#include "document/AnimationDocument.h"

FrameNode& AnimationDocument::EditedFrame(int editPosition) {
  if (editPosition >= 0)
    if (FrameNode* node = m_frames.At(editPosition)) return *node;
  return m_frames.Last();
}

void AnimationDocument::AppendBlankFrame(const std::string& editText, int editPosition) {
  EditedFrame(editPosition).pText = MakeFrameText(editText);
  m_frames.Append();
}

bool AnimationDocument::AppendCopiesOfLast(const std::string& editText, int count,
                                           int editPosition) {
  if (count > kMaxFrames - FrameCount()) return false;
  const FrameText text = MakeFrameText(editText);
  EditedFrame(editPosition).pText = text;
  for (int i = 0; i < count; ++i) m_frames.Append(text);
  return true;
}
