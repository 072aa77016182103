// The About box, the start-up Tips window and the splash.
#include "res/AppInfo.h"
#include "res/Templates.h"

namespace res {
namespace {

using K = ControlKind;
constexpr int S = IDC_STATIC;

const ControlEntry kAboutControls[] = {
    {S, K::Picture, ":/images/app_icon_32.png", 107, 7, 20, 20},
    {S, K::Label, kAppVersionText, 82, 40, 72, 8},
    {S, K::Label, kMakerLine, 82, 58, 70, 8},
    {S, K::Label, kWebsiteAddress, 71, 78, 93, 8},
    {IDC_ABOUT_WEBSITE, K::Button, "登入网站", 93, 99, 50, 14},
    {IDOK, K::DefaultButton, "确定", 93, 122, 50, 14},
};

const ControlEntry kTipsControls[] = {
    {IDOK, K::DefaultButton, "OK", 152, 116, 50, 14},
    {S, K::Picture, ":/images/tips_icon.png", 7, 7, 20, 20},
    {S, K::Picture, ":/images/tips_banner.png", 32, 7, 89, 18},
    {IDC_TIPS_TEXT, K::ReadOnlyWrapped, "", 7, 26, 195, 89},
};

const ControlEntry kSplashControls[] = {
    {S, K::Picture, ":/images/logo.png", 0, 0, 14, 12},
    {S, K::Label, "Zoetrix", 21, 2, 35, 8},
};

}  // namespace

const DialogTemplate kAboutDialog = {
    "CAboutDlg",   "关于 Zoetrix    C语言动画制作器", 235, 143, FontRole::Song, 9, kStyleCaption,
    kAboutControls};

const DialogTemplate kTipsDialog = {"Tips",          "提示", 209,           137,
                                    FontRole::YaHei, 8,      kStyleCaption, kTipsControls};

const DialogTemplate kSplashDialog = {
    "start", "", 65, 12, FontRole::YaHei, 36, kStyleNoCaption, kSplashControls};

}  // namespace res
