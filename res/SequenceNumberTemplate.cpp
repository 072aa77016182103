// The number a frame command asks for: how many copies, how many seconds, or
// the frame to move to. The prompt and the caption are set by the command.
#include "res/Templates.h"
#include "res/Texts.h"

namespace res {
namespace {

using K = ControlKind;

const ControlEntry kSequenceNumberControls[] = {
    {IDC_SEQ_NUMBER_PROMPT, K::Label, "", 7, 7, 206, 18},
    {IDC_SEQ_NUMBER, K::DigitsField, "", 7, 27, 60, 14},
    {IDOK, K::DefaultButton, kSeqNumberOk, 116, 48, 46, 14},
    {IDCANCEL, K::Button, kSeqNumberCancel, 167, 48, 46, 14},
};

}  // namespace

const DialogTemplate kSequenceNumberDialog = {
    "SequenceNumber", "", 220, 68, FontRole::Song, 9, kStyleCaption, kSequenceNumberControls};

}  // namespace res
