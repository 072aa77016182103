#include "res/Texts.h"

#include "res/AppInfo.h"
#include "res/ControlIds.h"

namespace res {

const char* const kHelpText =
    "什么是Zoetrix C语言动画制作器？\n"
    "Zoetrix帮助你以简单的字符画形式制作动画，制作完成可以保存为C语言代码，可执行文件(用于播放动画)"
    "，"
    "也可以保存为工程，是制作简易动画的不二之选。\n"
    "进入官网以获取更多帮助。";

const char* ExplanationFor(int buttonId) {
  switch (buttonId) {
    case IDC_EXPLAIN_KEY_FRAME:
      return "在末尾添加关键帧\n指在末尾添加一帧，使该帧的内容等于上一帧的内容。";
    case IDC_EXPLAIN_FILL_SECOND:
      return "添加帧并自动补足帧数\n"
             "每秒播放多少帧就添加多少帧，并且使添加的所有帧都等于执行该操作之前的最后一帧。";
    case IDC_EXPLAIN_FILL_HALF_SECOND:
      return "添加帧并补足一半帧数\n"
             "每秒播放多少帧就添加其帧数的一半，并且使添加的所有帧都等于执行该操作之前的最后一帧。";
    case IDC_EXPLAIN_OVERWRITE:
      return "覆盖当前动画\n"
             "当你勾选该选项，如果程序已经打开一个动画，那么你再创建动画的话，原先打开的动画的内容"
             "将会消失"
             "(如果你已经保存，不用担心这点)"
             "。如果在没有勾选该选项的前提下新建动画，并且原先程序已经打开了一个"
             "动画，那么原先动画的内容将会跟随到这个新的动画上，与原先动画不同的是，动画的名称，大"
             "小等可能和原先"
             "动画不同。";
    case IDC_EXPLAIN_DELAY:
      return "添加帧以延时\n"
             "在输入框中输入要延时的时间后，按下该按钮，程序将会根据该动画的帧频为你填充帧，从而达"
             "到延时的效果。"
             "注意：只能填写不小于0的整数！";
    case IDC_EXPLAIN_APPEND:
      return "叠加到目前动画后\n勾选此选项后，打开工程后，该工程的所有帧都将添加到目前打开的动画后"
             "。";
    default:
      return nullptr;
  }
}

std::string TipsText(const std::string& guideAddress) {
  const char* const lines[] = {
      "●Zoetrix 让你体验更简洁的动画制作",
      "●当你执行关于帧的大量操作时，请耐心等待一会，它处理数据需要一些时间",
      "●如果使用的过程中遇到问题，不用担心，我们的官网有详细教程",
      nullptr,  // the website line
      "",
      "V1.1更新信息：",
      "在V1.0的基础上重构界面，界面更加宽敞。",
      "",
      "V1.2修复内容：",
      "1.修复制作出来的动画出现(部分电脑严重)闪烁问题",
      "2.修复动画时长为负数的问题",
      "3.使程序打开更加迅速快捷",
      "4.调整提示框大小",
      "5.修复打开工程文件时无法正常显示换行和单双引号",
      "6.修复打开工程文件时无法打开部分工程文件",
      "7.修复打开工程文件时第一帧读取错误的问题",
      "8.新增快捷键功能",
      "9.新增删除选项",
      "10.程序打开时的提示窗口弹出得更快",
      "11.还有一些小更新和修复，不列举",
      "",
      "V1.3更新信息：",
      "1.修复V1.2打开工程文件进行编译会出错的问题",
      "2.修复以前版本制作大场景动画乱码的问题",
      "",
      "V1.3.1更新信息：",
      "1.优化生成的代码，解决防闪烁函数无返回值问题",
      "2.一个很\"隐蔽\"的小更新等你发现",
      "",
      "V1.3.2更新信息：",
      "1.支持改变窗口大小",
      "",
      "V1.3.3更新信息：",
      "1.修复V1.3.2多次拖拽窗口后控件出现问题的BUG",
      "2.加快程序开启速度",
  };
  static_assert(sizeof(lines) / sizeof(lines[0]) == 35);
  std::string text;
  for (const char* line : lines) {
    text += line ? line : (std::string("●官网") + guideAddress);
    text += "\r\n";
  }
  return text;
}

std::string Format(std::string_view text, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
      const auto k = static_cast<std::size_t>(text[i + 1] - '1');
      if (k < args.size()) {
        out += *(args.begin() + k);
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace res
