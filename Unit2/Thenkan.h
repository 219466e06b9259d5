#pragma once

#include <functional>

#include "kobanto/Forms.h"
#include "platform/Form.h"

namespace kobanto {

// The completion window "変換終了". Its creation handler is the conversion batch; its close
// handler closes the settings window, which ends the program.
class Thenkan : public TForm {
  Q_OBJECT

 public:
  // The batch; returns true when it went through to its end, so that the window closes.
  using Batch = std::function<bool()>;

  Thenkan(Application& application, Forms& forms, Batch batch);
  ~Thenkan() override;

  void FormCreate() override;

 protected:
  void FormClose(CloseAction& action) override;

 private:
  Forms& forms_;
  Batch batch_;
};

}  // namespace kobanto
