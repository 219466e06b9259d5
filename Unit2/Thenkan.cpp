#include "Unit2/Thenkan.h"

#include "Unit1/Tsetting.h"
#include "ui_Thenkan.h"

namespace kobanto {

Thenkan::Thenkan(Application& application, Forms& forms, Batch batch)
    : TForm(application), forms_(forms), batch_(std::move(batch)) {
  Ui::Thenkan ui;
  ui.setupUi(this);
  PlaceWindow(QPoint(192, 107), QSize(240, 55), SizeOf::kOuterFrame);
}

Thenkan::~Thenkan() = default;

void Thenkan::FormCreate() {
  if (batch_ && batch_()) Close();
}

void Thenkan::FormClose(CloseAction& /*action*/) { forms_.setting->Close(); }

}  // namespace kobanto
