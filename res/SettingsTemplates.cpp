// The preview-mode settings and the folder shortcuts.
#include "res/Templates.h"

namespace res {
namespace {

using K = ControlKind;
constexpr int S = IDC_STATIC;

const ControlEntry kModeControls[] = {
    {IDC_MODE_PREVIEW_FOLLOWS, K::Check, "当新建帧时，预览区域的帧是编辑区域的帧的前一帧", 7, 7,
     161, 10},
    {IDC_MODE_ONION, K::Check, "制作区域淡淡地显示前一帧（洋葱皮）", 7, 24, 190, 10},
    {IDC_MODE_ONION_FRAMES_LABEL, K::Label, "显示的帧数（1～3）：", 19, 41, 80, 8},
    {IDC_MODE_ONION_FRAMES, K::DigitsField, "", 100, 38, 24, 14},
    {IDC_MODE_ONION_AFTER, K::Check, "也显示后面的帧", 19, 56, 150, 10},
    {IDCANCEL, K::Button, "取消", 98, 75, 50, 14},
    {IDOK, K::DefaultButton, "保存设置", 150, 75, 50, 14},
};

const ControlEntry kOpenControls[] = {
    {S, K::SunkenLabel, "打开目录...     选择你要打开的目录", 7, 7, 173, 11},
    {IDC_OPEN_CODE_FOLDER, K::LeftButton, "打开>>>动画代码(*.c)存储目录", 7, 19, 173, 14},
    {IDC_OPEN_ANIMATE_FOLDER, K::LeftButton, "打开>>>动画文件(*.exe)存储目录", 7, 34, 173, 14},
    {IDC_OPEN_PROJECT_FOLDER, K::LeftButton, "打开>>>动画工程(*.ini)存储目录", 7, 49, 173, 14},
};

}  // namespace

const DialogTemplate kModeDialog = {"Mode", "预览模式选择", 207,          96, FontRole::YaHei,
                                    8,      kStyleCaption,  kModeControls};

const DialogTemplate kOpenDialog = {"Open",          "打开目录", 187,           70,
                                    FontRole::YaHei, 8,          kStyleCaption, kOpenControls};

}  // namespace res
