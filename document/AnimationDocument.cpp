#include "document/AnimationDocument.h"

#include <algorithm>
#include <utility>

namespace document {

namespace {
// A new animation's canvas is one cell larger than the fields accept.
constexpr int kMinCreateCanvas = 11;
}  // namespace

const std::string& AnimationDocument::TextAt(int position) const {
  static const std::string none;
  const FrameNode* node = m_animation.m_frames.At(position);
  return node ? node->Text() : none;
}

bool AnimationDocument::CreationValuesInRange() const {
  return m_nFrameRate >= kMinFrameRate && m_nFrameRate <= kMaxFrameRate &&
         m_nWide >= kMinCreateCanvas && m_nWide <= kMaxCanvas && m_nHigh >= kMinCreateCanvas &&
         m_nHigh <= kMaxCanvas;
}

Animation AnimationDocument::FieldsAnimation(const std::string& colorCode) const {
  Animation animation;
  animation.m_strAnimName = m_strName;
  animation.m_nAnimWide = m_nWide;
  animation.m_nAnimHigh = m_nHigh;
  animation.m_strColor = colorCode;
  animation.m_nRate = m_nFrameRate;
  return animation;
}

void AnimationDocument::TakeCreation(const AnimationPaths& paths,
                                     const platform::LocalTime& created, int backColor,
                                     int charColor, const std::string& colorCode) {
  m_export.TakePaths(paths, created);
  m_nBackColor = backColor;
  m_nCharColor = charColor;
  m_bCreated = 1;
  FrameList frames = std::move(m_animation.m_frames);
  m_animation = FieldsAnimation(colorCode);
  m_animation.m_frames = std::move(frames);
}

FrameNode& AnimationDocument::EditedFrame(int editPosition) {
  if (editPosition >= 0)
    if (FrameNode* node = m_animation.m_frames.At(editPosition)) return *node;
  return m_animation.m_frames.Last();
}

void AnimationDocument::StoreEditText(int editPosition, const std::string& text) {
  if (m_bCreated == 0) return;
  if (FrameNode* node = m_animation.m_frames.At(editPosition)) node->pText = MakeFrameText(text);
}

void AnimationDocument::KeepEditText(int shownPosition, std::string text) {
  if (m_bCreated == 0 || shownPosition < 0) return;
  FrameNode* node = m_animation.m_frames.At(shownPosition);
  if (node && node->Text() != text) node->pText = MakeFrameText(std::move(text));
}

void AnimationDocument::EditLastFrame() {
  if (FrameCount() > 0) m_strEditText = m_animation.m_frames.Last().Text();
}

bool AnimationDocument::AppendBlankFrame(const std::string& editText, int editPosition) {
  if (AtFrameLimit()) return false;
  EditedFrame(editPosition).pText = MakeFrameText(editText);
  m_animation.m_frames.Append();
  return true;
}

bool AnimationDocument::AppendCopiesOfLast(const std::string& editText, int count,
                                           int editPosition) {
  if (count > kMaxFrames - FrameCount()) return false;
  const FrameText text = MakeFrameText(editText);
  EditedFrame(editPosition).pText = text;
  for (int i = 0; i < count; ++i) m_animation.m_frames.Append(text);
  return true;
}

int AnimationDocument::CopiesForDelay() const {
  const long long count = static_cast<long long>(m_nDelay) * m_animation.m_nRate;
  if (count <= 0) return 0;
  return count > kMaxFrames ? kMaxFrames + 1 : static_cast<int>(count);
}

void AnimationDocument::EraseFrames(int first, int count) {
  m_animation.m_frames.Erase(static_cast<std::size_t>(first), static_cast<std::size_t>(count));
  EditLastFrame();
}

void AnimationDocument::EraseBetween(int a, int b) {
  const int lo = std::min(a, b);
  const int hi = std::max(a, b);
  EraseFrames(lo, hi - lo - 1);
}

}  // namespace document
