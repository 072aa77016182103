#include "document/AnimationDocument.h"

void AnimationDocument::AppendBlankFrame(const std::string& editText) {
  m_frames.Last().pText = MakeFrameText(editText);
  m_frames.Append();
  ++m_nFrames;
}
