#include "Unit1/Tsetting.h"

#include <QLabel>

#include "Unit1/DefaultFolder.h"
#include "platform/Application.h"
#include "settings/IniFile.h"
#include "settings/Keys.h"
#include "ui_Tsetting.h"

namespace kobanto {
namespace {

constexpr QSize kClientSize(362, 217);

// A label shows a position followed by "%" and takes the size of its new text.
void ShowPercent(QLabel* label, int position) {
  label->setText(QString::number(position) + QLatin1Char('%'));
  label->adjustSize();
}

}  // namespace

Tsetting::Tsetting(Application& application, const TsettingContext& context)
    : TForm(application), context_(context), ui_(std::make_unique<Ui::Tsetting>()) {
  ui_->setupUi(this);
  // A fixed dialog frame: caption and close box, no minimise or maximise box, not resizable. It
  // stays a plain window rather than a dialog, so there is no default button and Esc does
  // nothing. The buttons are auto-default in the form: Enter presses the button that has the
  // focus, as on Windows, and no other.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  PlaceWindow(QPoint(229, 108), kClientSize, SizeOf::kClientArea);
  setFixedSize(kClientSize);
  ui_->ok->setFocus();
  ConnectHandlers();
}

Tsetting::~Tsetting() = default;

void Tsetting::ConnectHandlers() {
  const auto guarded = [this](void (Tsetting::*handler)()) {
    return [this, handler] { App().Guard([this, handler] { (this->*handler)(); }); };
  };
  connect(ui_->ok, &QPushButton::clicked, this, guarded(&Tsetting::okClick));
  connect(ui_->Button1, &QPushButton::clicked, this, guarded(&Tsetting::Button1Click));
  connect(ui_->sansyou1, &QPushButton::clicked, this, guarded(&Tsetting::sansyou1Click));
  connect(ui_->RadioButton1, &TRadioButton::Click, this, guarded(&Tsetting::RadioButton1Click));
  connect(ui_->RadioButton2, &TRadioButton::Click, this, guarded(&Tsetting::RadioButton1Click));
  connect(ui_->TrackBar1, &TTrackBar::Change, this, guarded(&Tsetting::TrackBar1Change));
  connect(ui_->TrackBarCompress, &TTrackBar::Change, this,
          guarded(&Tsetting::TrackBarCompressChange));
}

void Tsetting::FormCreate() {
  if (context_.commandLine.ParamCount() > 0) return;
  SizeLabelsToText();
  const std::string defaultFolder = DefaultSaveFolder();
  ui_->Edit1->setText(QString::fromStdString(defaultFolder));
  const std::string path = settings::SettingsPath(context_.exeFolder, settings::kReadName);
  if (settings::SettingsFileExists(path)) {
    LoadSettings(settings::TIniFile(path), defaultFolder);
  } else {
    settings::FullWrite(context_.exeFolder, ShownValues());
  }
}

void Tsetting::LoadSettings(const settings::TIniFile& ini, const std::string& defaultFolder) {
  using namespace settings;
  ui_->RadioButton1->SetChecked(ini.ReadBool(kImageSection, kPercentModeKey, true));
  ui_->TrackBar1->setEnabled(ui_->RadioButton1->isChecked());
  // Checking RadioButton2 clears RadioButton1 and raises RadioButton1Click.
  ui_->RadioButton2->SetChecked(ini.ReadBool(kImageSection, kPixelModeKey, false));
  ui_->SpinEditWidth->setEnabled(ui_->RadioButton2->isChecked());
  ui_->SpinEditHeight->setEnabled(ui_->RadioButton2->isChecked());
  // Positions set here raise no change, so the labels are set here too.
  ui_->TrackBar1->SetPosition(ini.ReadInteger(kImageSection, kPercentValueKey, 30));
  ShowPercent(ui_->Label6, ui_->TrackBar1->Position());
  ui_->SpinEditWidth->SetValue(ini.ReadInteger(kImageSection, kWidthKey, 480));
  ui_->SpinEditHeight->SetValue(ini.ReadInteger(kImageSection, kHeightKey, 360));
  ui_->TrackBarCompress->SetPosition(ini.ReadInteger(kImageSection, kQualityKey, 55));
  ShowPercent(ui_->Label5, ui_->TrackBarCompress->Position());
  ui_->Edit1->setText(
      QString::fromStdString(ini.ReadString(kImageSection, kSaveFolderKey, defaultFolder)));
  ui_->CheckBox1->setChecked(ini.ReadBool(kOptionsSection, kAttachMailKey, false));
}

settings::SettingsValues Tsetting::ShownValues() const {
  settings::SettingsValues values;
  values.percentMode = ui_->RadioButton1->isChecked();
  values.pixelMode = ui_->RadioButton2->isChecked();
  values.percentValue = ui_->TrackBar1->Position();
  values.width = ui_->SpinEditWidth->Value();
  values.height = ui_->SpinEditHeight->Value();
  values.quality = ui_->TrackBarCompress->Position();
  values.saveFolder = ui_->Edit1->text().toStdString();
  values.attachMail = ui_->CheckBox1->isChecked();
  return values;
}

void Tsetting::SizeLabelsToText() {
  for (QLabel* label : findChildren<QLabel*>()) label->adjustSize();
}

void Tsetting::RadioButton1Click() {
  ui_->TrackBar1->setEnabled(ui_->RadioButton1->isChecked());
  ui_->SpinEditWidth->setEnabled(ui_->RadioButton2->isChecked());
  ui_->SpinEditHeight->setEnabled(ui_->RadioButton2->isChecked());
}

void Tsetting::TrackBar1Change() { ShowPercent(ui_->Label6, ui_->TrackBar1->Position()); }

void Tsetting::TrackBarCompressChange() {
  ShowPercent(ui_->Label5, ui_->TrackBarCompress->Position());
}

void Tsetting::sansyou1Click() {
  const auto folder = context_.chooser.Choose(this, QStringLiteral("表題"));
  if (folder && !folder->empty()) ui_->Edit1->setText(QString::fromStdString(*folder));
}

void Tsetting::okClick() {
  // A click on OK takes the focus first, which limits a spin edit holding a number outside its
  // range; a click made without the focus change (by code) gets the same limiting here.
  ui_->SpinEditWidth->LimitValue();
  ui_->SpinEditHeight->LimitValue();
  settings::FullWrite(context_.exeFolder, ShownValues());
  Close();
}

void Tsetting::Button1Click() { Close(); }

}  // namespace kobanto
