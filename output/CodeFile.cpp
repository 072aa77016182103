#include "output/CodeFile.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

std::string OpenCodeFile(AnimationDocument& doc, const std::string& path,
                         const ProgramHeader& header) {
  std::FILE* file = std::fopen(path.c_str(), "wb+");
  if (file && !WriteProgramPrologue(file, header)) {
    std::fclose(file);
    file = nullptr;
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }
  if (!file)
    return "无法创建代码文件：\n" + path + "\n请确认程序目录下的 Code 文件夹存在并且可以写入。";
  if (doc.m_pCodeFile) std::fclose(doc.m_pCodeFile);
  doc.m_pCodeFile = file;
  return {};
}

std::string StartCodeFile(AnimationDocument& doc, const std::string& programFolder,
                          const ProgramHeader& header, AnimationPaths* paths) {
  *paths = NewAnimationPaths(programFolder, header.created);
  return OpenCodeFile(doc, paths->code, header);
}
