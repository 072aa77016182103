#include "document/HistoryStep.h"

#include "res/Texts.h"

namespace document {

const char* StepName(StepKind kind) {
  switch (kind) {
    case StepKind::kAppendBlankFrame:
      return res::kStepAppendBlankFrame;
    case StepKind::kAddKeyFrame:
      return res::kStepAddKeyFrame;
    case StepKind::kFillSecond:
      return res::kStepFillSecond;
    case StepKind::kFillHalfSecond:
      return res::kStepFillHalfSecond;
    case StepKind::kAddDelayFrames:
      return res::kStepAddDelayFrames;
    case StepKind::kStoreFrame:
      return res::kStepStoreFrame;
    case StepKind::kKeepEditText:
      return res::kStepKeepEditText;
    case StepKind::kDeleteLastFrame:
      return res::kStepDeleteLastFrame;
    case StepKind::kDeleteLastFrames:
      return res::kStepDeleteLastFrames;
    case StepKind::kDeleteBetween:
      return res::kStepDeleteBetween;
    case StepKind::kDeleteFrame:
      return res::kStepDeleteFrame;
    case StepKind::kAppendProject:
      return res::kStepAppendProject;
    case StepKind::kImportText:
      return res::kStepImportText;
    case StepKind::kInsertBlankFrame:
      return res::kStepInsertBlankFrame;
    case StepKind::kDuplicateFrame:
      return res::kStepDuplicateFrame;
    case StepKind::kMoveFrames:
      return res::kStepMoveFrames;
    case StepKind::kHoldFrame:
      return res::kStepHoldFrame;
    case StepKind::kDeleteFrames:
      return res::kStepDeleteFrames;
    case StepKind::kImportPictures:
      return res::kStepImportPictures;
  }
  return "";
}

}  // namespace document
