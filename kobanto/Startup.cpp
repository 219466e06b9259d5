#include "kobanto/Startup.h"

#include "Unit1/Tsetting.h"
#include "Unit2/Batch.h"
#include "Unit2/Thenkan.h"
#include "platform/Profile.h"
#include "platform/QtErrorReport.h"

namespace kobanto {

namespace {

std::unique_ptr<ErrorReport> HostReport(const StartupContext& context) {
  if (context.report) return nullptr;
  if (context.display.present) return std::make_unique<MessageBoxReport>(QStringLiteral("Kobanto"));
  return std::make_unique<StandardErrorReport>();
}

}  // namespace

Startup::Startup(StartupContext context)
    : context_(std::move(context)),
      ownReport_(HostReport(context_)),
      application_(context_.report ? *context_.report : *ownReport_) {}

void Startup::CreateWindows() {
  application_.SetTitle(QStringLiteral("Kobanto"));
  application_.CreateForm(
      forms_.setting, TsettingContext{context_.commandLine, context_.exeFolder, context_.chooser});
  KOBANTO_PROFILE_MARK("setting-window");
  application_.CreateForm(forms_.henkan, forms_, [this] { return RunBatch(); });
  KOBANTO_PROFILE_MARK("completion-window");
  if (context_.commandLine.ParamCount() > 0) {
    application_.SetShowMainForm(false);
    forms_.henkan->show();
  }
}

bool Startup::RunBatch() {
  KOBANTO_PROFILE_MARK("batch");
  if (context_.batch) return context_.batch();
  return kobanto::RunBatch(
      context_.commandLine,
      BatchContext{context_.exeFolder, context_.display.format, context_.launcher});
}

}  // namespace kobanto
