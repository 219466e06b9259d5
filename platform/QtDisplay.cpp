#include "platform/QtDisplay.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <cstdlib>
#include <vector>

namespace kobanto {
namespace {

QtMessageHandler defaultHandler = nullptr;
bool platformListSetByUs = false;

struct HeldMessage {
  QtMsgType type;
  QByteArray category;
  QString text;
};
std::vector<HeldMessage> heldMessages;

// Holds what Qt prints while it sets up its platform, until it is known whether a display was
// reached: the warnings of the platforms tried in vain are then dropped.
void HoldStartupMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    if (defaultHandler) defaultHandler(type, context, text);
    return;
  }
  heldMessages.push_back({type, QByteArray(context.category ? context.category : ""), text});
}

void ReplayHeldMessages() {
  for (const HeldMessage& m : heldMessages) {
    if (m.category.startsWith("qt.qpa")) continue;
    QMessageLogContext context(nullptr, 0, nullptr, m.category.constData());
    if (defaultHandler) defaultHandler(m.type, context, m.text);
  }
}

void DropAllButFatal(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg && defaultHandler) defaultHandler(type, context, text);
}

}  // namespace

void PrepareQtPlatform() {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
    // Wayland is tried only when a compositor is named: its client library reports a failed
    // connection on standard error itself, past Qt's messages. With no display named at all
    // there is nothing to try.
    const bool x11 = std::getenv("DISPLAY") != nullptr;
    const bool wayland = std::getenv("WAYLAND_DISPLAY") != nullptr;
    const char* list = wayland ? "xcb;wayland;offscreen" : x11 ? "xcb;offscreen" : "offscreen";
    ::setenv("QT_QPA_PLATFORM", list, 1);
    platformListSetByUs = true;
  }
  defaultHandler = qInstallMessageHandler(&HoldStartupMessages);
}

DisplayInfo DetectDisplay() {
  // The list was for our own start only; programs we start (the mail companion and the mail
  // composer it opens) must choose their platform as usual.
  if (platformListSetByUs) ::unsetenv("QT_QPA_PLATFORM");
  DisplayInfo info;
  const QString platform = QGuiApplication::platformName();
  info.present = platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
  if (info.present) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
      info.format.depth = screen->depth();
    qInstallMessageHandler(defaultHandler);
    ReplayHeldMessages();
  } else {
    qInstallMessageHandler(&DropAllButFatal);
  }
  heldMessages.clear();
  return info;
}

}  // namespace kobanto
