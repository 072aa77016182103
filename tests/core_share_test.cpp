// Sharing an animation: where each format goes, and the Windows program
// built with the MinGW-w64 cross compiler.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "HtmlPageReader.h"
#include "TestSupport.h"
#include "document/AnimationDocument.h"
#include "program/WindowsProgram.h"
#include "res/Texts.h"
#include "share/Share.h"

using document::AnimationDocument;
using document::MakeFrameText;

using output::IsWindowsExecutable;
using output::kWindowsCompiler;
using output::kWindowsCompilerMissing;
using output::SetWindowsCompilerForTesting;
using output::ShareAnimation;
using output::ShareFormat;
using output::SharePath;

using testsupport::Gbk;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
namespace fs = std::filesystem;

namespace {

bool CrossCompilerPresent() {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  for (std::size_t start = 0; start <= dirs.size();) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string candidate = dirs.substr(start, end - start) + "/" + kWindowsCompiler;
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

void MakeAnimation(AnimationDocument& doc, const std::string& folder) {
  doc.m_bCreated = 1;
  doc.m_animation.m_strAnimName = Gbk("测试");
  doc.m_animation.m_nAnimWide = 20;
  doc.m_animation.m_nAnimHigh = 5;
  doc.m_animation.m_strColor = "0A";
  doc.m_animation.m_nRate = 10;
  doc.m_export.m_createdAt = {2024, 5, 6, 7, 8, 9};
  doc.m_export.m_strExePath = folder + "Animate/2024_5_6_7_8_9.exe";
  // A second byte 0x5C right before the closing quote, and a percent sign.
  for (const std::string& text : {Gbk("中文\r\n100%"), std::string("\x95\x5C"), std::string("b\"")})
    doc.m_animation.m_frames.Append(MakeFrameText(text));
}

// The headers of an x86-64 PE program with one empty section: enough to
// pass for a whole one.
std::string SmallestWindowsProgram() {
  std::string pe(0x40 + 24 + 0xF0 + 40, '\0');
  pe[0] = 'M', pe[1] = 'Z';
  pe[0x3C] = 0x40;
  pe.replace(0x40, 4, std::string("PE\0\0", 4));
  pe[0x44] = '\x64', pe[0x45] = '\x86';  // machine
  pe[0x46] = 1;                          // one section
  pe[0x54] = '\xF0';                     // size of the optional header
  pe[0x58] = 0x0B, pe[0x59] = 0x02;      // PE32+
  return pe;
}

}  // namespace

TEST(Share, EachFormatHasItsNameInAnimate) {
  AnimationDocument doc;
  doc.m_export.m_strExePath = "/tool/Animate/2024_5_6_7_8_9_2.exe";
  EXPECT_EQ(SharePath(doc.m_export, ShareFormat::Html), "/tool/Animate/2024_5_6_7_8_9_2.html");
  EXPECT_EQ(SharePath(doc.m_export, ShareFormat::Gif), "/tool/Animate/2024_5_6_7_8_9_2.gif");
  EXPECT_EQ(SharePath(doc.m_export, ShareFormat::Cast), "/tool/Animate/2024_5_6_7_8_9_2.cast");
  EXPECT_EQ(SharePath(doc.m_export, ShareFormat::Windows),
            "/tool/Animate/2024_5_6_7_8_9_2-windows.exe");
}

TEST(WindowsProgram, CrossCompiledProgramIsAWholeX64Executable) {
  if (!CrossCompilerPresent())
    GTEST_SKIP() << kWindowsCompiler << " is not installed (Debian package gcc-mingw-w64-x86-64)";
  TempDir dir("zoetrix-windows");
  fs::create_directory(dir.path() / "Animate");
  AnimationDocument doc;
  MakeAnimation(doc, dir.folder());
  const std::string target = SharePath(doc.m_export, ShareFormat::Windows);
  ASSERT_EQ(ShareAnimation(doc.m_animation, doc.m_export, ShareFormat::Windows, true), "");
  ASSERT_TRUE(IsWindowsExecutable(target));
  const std::string exe = ReadFile(target);
  ASSERT_GT(exe.size(), 0x40u);
  EXPECT_EQ(exe.substr(0, 2), "MZ");
  const unsigned pe = static_cast<unsigned char>(exe[0x3C]) | static_cast<unsigned char>(exe[0x3D])
                                                                  << 8;
  EXPECT_EQ(exe.substr(pe, 6), std::string("PE\0\0\x64\x86", 6));
  // The frames went in as GBK, the 0x5C second byte kept single, and the
  // console's own commands are there: real Windows headers, not ours.
  EXPECT_NE(exe.find(Gbk("中文\n100%")), std::string::npos);
  EXPECT_NE(exe.find(std::string("\x95\x5C", 2)), std::string::npos);
  EXPECT_NE(exe.find("mode con cols=20 lines=5"), std::string::npos);
  EXPECT_NE(exe.find("SetConsoleCursorPosition"), std::string::npos);

  // Cut short, or not a Windows program at all: refused.
  WriteFile(dir.path() / "cut.exe", exe.substr(0, exe.size() / 2));
  EXPECT_FALSE(IsWindowsExecutable((dir.path() / "cut.exe").string()));
  WriteFile(dir.path() / "head.exe", exe.substr(0, pe + 4));
  EXPECT_FALSE(IsWindowsExecutable((dir.path() / "head.exe").string()));
  std::string wrongMachine = exe;
  wrongMachine[pe + 4] = '\x4C', wrongMachine[pe + 5] = '\x01';  // i386
  WriteFile(dir.path() / "i386.exe", wrongMachine);
  EXPECT_FALSE(IsWindowsExecutable((dir.path() / "i386.exe").string()));
  EXPECT_FALSE(IsWindowsExecutable("/proc/self/exe"));
}

TEST(WindowsProgram, MissingCompilerOrFailureLeavesTheTargetAlone) {
  TempDir dir("zoetrix-windows-missing");
  fs::create_directory(dir.path() / "Animate");
  AnimationDocument doc;
  MakeAnimation(doc, dir.folder());
  const std::string target = SharePath(doc.m_export, ShareFormat::Windows);
  WriteFile(target, "an older build");

  SetWindowsCompilerForTesting("zoetrix-no-such-cross-compiler");
  EXPECT_EQ(ShareAnimation(doc.m_animation, doc.m_export, ShareFormat::Windows, false),
            kWindowsCompilerMissing);
  // A compiler that fails with words of its own: they are passed on.
  WriteFile(dir.path() / "failing-gcc", "#!/bin/sh\necho 'animation.c:1: error: no' >&2\nexit 1\n");
  fs::permissions(dir.path() / "failing-gcc", fs::perms::owner_all);
  SetWindowsCompilerForTesting((dir.path() / "failing-gcc").string());
  const std::string failed =
      ShareAnimation(doc.m_animation, doc.m_export, ShareFormat::Windows, false);
  // A compiler that claims success but leaves no program.
  WriteFile(dir.path() / "lying-gcc", "#!/bin/sh\nprintf 'MZ' > animation.exe\n");
  fs::permissions(dir.path() / "lying-gcc", fs::perms::owner_all);
  SetWindowsCompilerForTesting((dir.path() / "lying-gcc").string());
  const std::string lied =
      ShareAnimation(doc.m_animation, doc.m_export, ShareFormat::Windows, false);
  SetWindowsCompilerForTesting({});

  EXPECT_NE(failed.find("animation.c:1: error: no"), std::string::npos) << failed;
  EXPECT_NE(lied.find("没有生成完整的 Windows 程序"), std::string::npos) << lied;
  EXPECT_EQ(ReadFile(target), "an older build");
}

// Exporting a format again updates the file the animation wrote; a file
// someone else put at that name (a dangling link too) stays as it was, the
// message names it and no temporary is left.
TEST(Share, OnlyTheAnimationsOwnFileIsReplaced) {
  TempDir dir("zoetrix-share-own");
  fs::create_directory(dir.path() / "Animate");
  AnimationDocument doc;
  MakeAnimation(doc, dir.folder());
  for (ShareFormat format : {ShareFormat::Html, ShareFormat::Cast}) {
    const std::string path = SharePath(doc.m_export, format);
    ASSERT_EQ(ShareAnimation(doc.m_animation, doc.m_export, format, false), "");
    doc.m_animation.m_frames.Append(MakeFrameText("later"));
    ASSERT_EQ(ShareAnimation(doc.m_animation, doc.m_export, format, false), "");
    const std::string shown =
        format == ShareFormat::Html ? testsupport::PicturesOf(ReadFile(path)) : ReadFile(path);
    EXPECT_NE(shown.find("later"), std::string::npos);

    // Replaced after it was exported: said so, and kept.
    fs::remove(path);
    WriteFile(path, "someone else's");
    EXPECT_EQ(ShareAnimation(doc.m_animation, doc.m_export, format, false),
              res::Format(res::kExportTargetChanged, {path}));
    EXPECT_EQ(ReadFile(path), "someone else's");
    fs::remove(path);
    fs::create_symlink(dir.path() / "nowhere", path);
    EXPECT_EQ(ShareAnimation(doc.m_animation, doc.m_export, format, false),
              res::Format(res::kExportTargetChanged, {path}));
    EXPECT_FALSE(fs::exists(dir.path() / "nowhere"));
  }
  // The Windows program likewise, with a compiler that makes one at once.
  const std::string target = SharePath(doc.m_export, ShareFormat::Windows);
  WriteFile(target, "an older build");
  WriteFile(dir.path() / "fake-gcc", "#!/bin/sh\ncp \"$0.exe\" animation.exe\n");
  WriteFile(dir.path() / "fake-gcc.exe", SmallestWindowsProgram());
  fs::permissions(dir.path() / "fake-gcc", fs::perms::owner_all);
  SetWindowsCompilerForTesting((dir.path() / "fake-gcc").string());
  const std::string refused =
      ShareAnimation(doc.m_animation, doc.m_export, ShareFormat::Windows, false);
  SetWindowsCompilerForTesting({});
  EXPECT_EQ(refused, res::Format(res::kExportTargetExists, {target})) << refused;
  EXPECT_EQ(ReadFile(target), "an older build");
  // Only the files the tests planted: no temporaries.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "Animate"), {}), 3);
}
