#pragma once
#include "output/Export.h"

// The export's messages and questions as message boxes.
class MessageBoxPrompter : public ExportPrompter {
 public:
  void Message(const std::string& text) override;
  bool Ask(const std::string& text) override;
};
