// The preview-mode settings and the folder shortcuts.
#include "res/Templates.h"

namespace res {
namespace {

using K = ui::ControlKind;
constexpr int S = ui::IDC_STATIC;

const ui::ControlEntry kModeControls[] = {
    {1035, K::Check, "当新建帧时，预览区域的帧是编辑区域的帧的前一帧", 7, 7, 161, 10},
    {ui::IDCANCEL, K::Button, "取消", 98, 75, 50, 14},
    {ui::IDOK, K::DefaultButton, "保存设置", 150, 75, 50, 14},
};

const ui::ControlEntry kOpenControls[] = {
    {S, K::SunkenLabel, "打开目录...     选择你要打开的目录", 7, 7, 173, 11},
    {1006, K::LeftButton, "打开>>>动画代码(*.c)存储目录", 7, 19, 173, 14},
    {1005, K::LeftButton, "打开>>>动画文件(*.exe)存储目录", 7, 34, 173, 14},
    {1012, K::LeftButton, "打开>>>动画工程(*.ini)存储目录", 7, 49, 173, 14},
};

}  // namespace

const ui::DialogTemplate kModeDialog = {
    "Mode", "预览模式选择", 207, 96, ui::FontRole::YaHei, 8, ui::kStyleCaption, kModeControls};

const ui::DialogTemplate kOpenDialog = {
    "Open", "打开目录", 187, 70, ui::FontRole::YaHei, 8, ui::kStyleCaption, kOpenControls};

}  // namespace res
