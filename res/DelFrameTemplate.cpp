// The deletion options: the last N frames, the frames between two frames,
// or one frame.
#include "res/Templates.h"

namespace res {
namespace {

using K = ControlKind;
constexpr int S = IDC_STATIC;

const ControlEntry kDelFrameControls[] = {
    {S, K::Group, "", 7, 4, 266, 27},
    {S, K::Label, "删除由尾到前数的", 14, 16, 66, 8},
    {IDC_DEL_TAIL_COUNT, K::Field, "", 82, 13, 32, 14},
    {S, K::Label, "个帧", 117, 16, 20, 8},
    {IDC_DEL_TAIL, K::Button, "删除", 222, 13, 44, 14},
    {S, K::Group, "", 7, 33, 266, 27},
    {S, K::Label, "删除由第", 14, 45, 34, 8},
    {IDC_DEL_RANGE_FIRST, K::Field, "", 50, 42, 32, 14},
    {S, K::Label, "帧到第", 85, 45, 26, 8},
    {IDC_DEL_RANGE_SECOND, K::Field, "", 113, 42, 32, 14},
    {S, K::Label, "帧中间的所有帧", 148, 45, 60, 8},
    {IDC_DEL_RANGE, K::Button, "删除", 222, 42, 44, 14},
    {S, K::Group, "", 7, 62, 266, 27},
    {S, K::Label, "删除第", 14, 74, 26, 8},
    {IDC_DEL_SINGLE_NUMBER, K::Field, "", 42, 71, 32, 14},
    {S, K::Label, "帧", 77, 74, 10, 8},
    {IDC_DEL_SINGLE, K::Button, "删除", 222, 71, 44, 14},
    {IDCANCEL, K::Button, "取消", 222, 94, 44, 14},
};

}  // namespace

const DialogTemplate kDelFrameDialog = {
    "DelFrame", "删除选项", 280, 114, FontRole::Song, 9, kStyleCaption, kDelFrameControls};

}  // namespace res
