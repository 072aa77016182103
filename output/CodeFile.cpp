#include "output/CodeFile.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

std::string OpenCodeFile(AnimationDocument& doc, const std::string& path,
                         const ProgramHeader& header) {
  // Two creations within one second name the same file: let go of it before
  // it is emptied.
  if (doc.m_pCodeFile && path == doc.m_strCodePath) {
    std::fclose(doc.m_pCodeFile);
    doc.m_pCodeFile = nullptr;
  }
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
