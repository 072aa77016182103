#pragma once
#include <functional>

#include "program/Export.h"

// The export's messages and questions as message boxes, on the window's
// thread whichever thread the export runs on.
class MessageBoxPrompter : public output::ExportPrompter {
 public:
  explicit MessageBoxPrompter(std::function<void()> finishing = {})
      : m_finishing(std::move(finishing)) {}
  void Message(const std::string& text) override;
  bool Ask(const std::string& text) override;
  void Finishing() override;

 private:
  std::function<void()> m_finishing;
};
