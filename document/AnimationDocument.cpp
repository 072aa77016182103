#include "document/AnimationDocument.h"

#include <algorithm>
#include <utility>
#include <variant>

namespace document {

namespace {
// A new animation's canvas is one cell larger than the fields accept.
constexpr int kMinCreateCanvas = 11;

// The step sets the text of the node at position itself.
bool StoresInto(const Step& step, int position) {
  for (const FrameChange& change : step.changes)
    if (const auto* swap = std::get_if<TextSwap>(&change); swap && swap->position == position)
      return true;
  return false;
}
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
  m_history.Clear();  // a new animation: nothing of the last one to undo
  m_animation.m_frames = std::move(frames);
}

StepContext AnimationDocument::StepsAt(int editPosition) const {
  return StepContext{{editPosition, m_areasShown.preview}, m_bPreviewFollows};
}

bool AnimationDocument::Do(std::optional<Step> step) {
  // The edit area's text noted for this step goes first into it, unless the
  // step stores into that frame itself; with no step it is kept alone.
  if (std::optional<PendingEdit> keep = std::exchange(m_pendingEdit, std::nullopt);
      keep && m_bCreated != 0) {
    if (!step) {
      step =
          KeepEditTextStep(m_animation.m_frames, keep->shown, std::move(keep->text), m_areasShown);
      if (step) m_history.Do(m_animation.m_frames, std::move(*step));
      return false;
    }
    if (!StoresInto(*step, keep->shown))
      KeepEditTextFirst(*step, m_animation.m_frames, keep->shown, std::move(keep->text));
  }
  return step && m_history.Do(m_animation.m_frames, std::move(*step));
}

void AnimationDocument::StoreEditText(int editPosition, const std::string& text) {
  if (m_bCreated == 0) return;
  Do(StoreFrameStep(m_animation.m_frames, text, StepsAt(editPosition).areas));
}

void AnimationDocument::KeepEditText(int shownPosition, std::string text) {
  if (m_bCreated == 0 || shownPosition < 0) return;
  Do(KeepEditTextStep(m_animation.m_frames, shownPosition, std::move(text),
                      StepsAt(shownPosition).areas));
}

void AnimationDocument::EditLastFrame() {
  if (FrameCount() > 0) m_strEditText = m_animation.m_frames.Last().Text();
}

bool AnimationDocument::AppendBlankFrame(const std::string& editText, int editPosition) {
  return Do(AppendBlankFrameStep(m_animation.m_frames, editText, StepsAt(editPosition)));
}

bool AnimationDocument::AppendCopiesOfLast(const std::string& editText, int count, int editPosition,
                                           StepKind kind) {
  return Do(AppendCopiesStep(m_animation.m_frames, kind, editText, count, StepsAt(editPosition)));
}

bool AnimationDocument::AppendFrames(const FrameList& frames, StepKind kind) {
  if (frames.Empty()) return true;
  return Do(AppendFramesStep(m_animation.m_frames, kind, frames.Texts(0, frames.Size()),
                             StepsAt(m_areasShown.edit)));
}

int AnimationDocument::CopiesForDelay() const {
  const long long count = static_cast<long long>(m_nDelay) * m_animation.m_nRate;
  if (count <= 0) return 0;
  return count > kMaxFrames ? kMaxFrames + 1 : static_cast<int>(count);
}

void AnimationDocument::Erase(std::optional<Step> step) {
  Do(std::move(step));
  EditLastFrame();
}

void AnimationDocument::EraseLastFrame() {
  Erase(DeleteLastFrameStep(m_animation.m_frames, StepsAt(m_areasShown.edit)));
}

void AnimationDocument::EraseLastFrames(int n) {
  Erase(DeleteLastFramesStep(m_animation.m_frames, n, StepsAt(m_areasShown.edit)));
}

void AnimationDocument::EraseBetween(int a, int b) {
  Erase(DeleteBetweenStep(m_animation.m_frames, a, b, StepsAt(m_areasShown.edit)));
}

void AnimationDocument::EraseFrameNumber(int number) {
  Erase(DeleteFrameStep(m_animation.m_frames, number, StepsAt(m_areasShown.edit)));
}

}  // namespace document
