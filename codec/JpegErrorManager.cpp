#include "codec/JpegErrorManager.h"

#include <jerror.h>

#include <string>

#include "codec/MessageCodes.h"
#include "platform/Errors.h"

namespace kobanto::jpeg {
namespace {

void JumpBack(j_common_ptr cinfo) {
  // The error manager is the first member of ErrorManager, so the pointers are interchangeable.
  auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
  std::longjmp(errors->jump, 1);
}

void IgnoreMessage(j_common_ptr, int) {}
void IgnoreOutput(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* Install(ErrorManager& errors) {
  jpeg_error_mgr* mgr = jpeg_std_error(&errors.pub);
  mgr->error_exit = &JumpBack;
  mgr->emit_message = &IgnoreMessage;
  mgr->output_message = &IgnoreOutput;
  return mgr;
}

bool RunGuarded(ErrorManager& errors, void (*step)(void*), void* context) {
  if (setjmp(errors.jump) != 0) return false;
  step(context);
  return true;
}

void ThrowLibraryError(int libraryCode) {
  // Both mean the library's work areas did not fit: the second is what the memory manager says
  // when the memory limit we set leaves no room and it would need temporary files.
  if (libraryCode == JERR_OUT_OF_MEMORY || libraryCode == JERR_NO_BACKING_STORE) {
    throw EOutOfMemory(std::string(msg::kOutOfMemory));
  }
  throw EJPEG(FormatMessage(msg::kJpegError, ShownMessageCode(libraryCode)));
}

}  // namespace kobanto::jpeg
