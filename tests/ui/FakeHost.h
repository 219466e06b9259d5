#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ErrorReport.h"
#include "platform/FolderChooser.h"
#include "tests/support/Fakes.h"

namespace kobanto::test {

// Records every error report instead of showing a message box.
class RecordingReport : public ErrorReport {
 public:
  void Show(const std::string& message) override { messages.push_back(message); }
  std::vector<std::string> messages;
};

// Answers the folder chooser with a prepared folder (or a cancel) and records each use.
class AnsweringChooser : public FolderChooser {
 public:
  std::optional<std::string> Choose(QWidget*, const QString& title) override {
    titles.push_back(title.toStdString());
    return answer;
  }
  std::optional<std::string> answer;
  std::vector<std::string> titles;
};

}  // namespace kobanto::test
