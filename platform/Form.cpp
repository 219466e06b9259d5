#include "platform/Form.h"

#include <QCloseEvent>
#include <QFont>
#include <QPalette>
#include <QShowEvent>

#include "platform/Application.h"

namespace kobanto {

TForm::TForm(Application& application) : application_(application) {
  // Every window of the program uses the Japanese proportional Gothic at 12 pixels and the
  // dialog face as its background.
  QFont font(QStringLiteral("IPAPGothic"));
  font.setPixelSize(12);
  setFont(font);
  setBackgroundRole(QPalette::Window);
  setAutoFillBackground(true);
}

void TForm::PlaceWindow(QPoint topLeft, QSize size, SizeOf kind) {
  move(topLeft);
  resize(size);
  outerSize_ = kind == SizeOf::kOuterFrame ? size : QSize();
}

void TForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!outerSize_.isValid()) return;
  const QSize frame = frameGeometry().size() - geometry().size();
  if (frame.width() > 0 || frame.height() > 0) resize(outerSize_ - frame);
  outerSize_ = QSize();
}

void TForm::Close() {
  CloseAction action = CloseAction::caHide;
  application_.Guard([&] { FormClose(action); });
  if (action == CloseAction::caNone) return;
  if (application_.MainForm() == this) {
    application_.Terminate();
  } else {
    hide();
  }
}

void TForm::closeEvent(QCloseEvent* event) {
  // The window system's close box goes through the same close as the program's own closes; the
  // window is hidden (or the program ended) by Close, not by Qt.
  event->ignore();
  Close();
}

}  // namespace kobanto
