#pragma once

#include <memory>
#include <string>

#include "platform/CommandLine.h"
#include "platform/FolderChooser.h"
#include "platform/Form.h"
#include "settings/Settings.h"

namespace Ui {
class Tsetting;
}

namespace kobanto {

namespace settings {
class TIniFile;
}

// What the settings window needs from start-up.
struct TsettingContext {
  const CommandLine& commandLine;
  std::string exeFolder;
  FolderChooser& chooser;
};

// The settings window "設定 -Kobanto Ver1.0-", the program's main window. Its controls hold the
// eight settings between loading and OK; OK writes them all and ends the program, Cancel and the
// close box end it without writing.
class Tsetting : public TForm {
  Q_OBJECT

 public:
  Tsetting(Application& application, const TsettingContext& context);
  ~Tsetting() override;

  // Loads the settings file into the controls, or creates it, in settings mode only.
  void FormCreate() override;

 private:
  void okClick();
  void sansyou1Click();
  void TrackBarCompressChange();
  void RadioButton1Click();
  void TrackBar1Change();
  void Button1Click();

  // Connects each control's event to its handler inside the error report.
  void ConnectHandlers();
  void LoadSettings(const settings::TIniFile& ini, const std::string& defaultFolder);
  // The eight values as the controls show them.
  settings::SettingsValues ShownValues() const;
  void SizeLabelsToText();

  TsettingContext context_;
  std::unique_ptr<Ui::Tsetting> ui_;
};

}  // namespace kobanto
