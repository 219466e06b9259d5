#pragma once

#include <csetjmp>
#include <cstdio>
#include <type_traits>

#include <jpeglib.h>

namespace kobanto::jpeg {

// The error manager of every compressor and decompressor we make.
//
// libjpeg is C code, and a C++ exception must never unwind through its frames. So a fatal error
// does not throw: error_exit jumps (longjmp) back to the setjmp in RunGuarded, which then returns
// false, and the exception is thrown afterwards from ordinary C++ code (see Call). This is only
// sound when every frame the jump leaves behind owns nothing with a destructor: RunGuarded itself,
// the step it runs, and the library's own frames. Steps therefore keep only plain locals (numbers,
// pointers, arrays of pointers) and reach everything else through references to objects that live
// outside the guarded call. RunGuarded modifies no local after setjmp, so none can be clobbered.
struct ErrorManager {
  jpeg_error_mgr pub{};  // first, so that the library's pointer to it is a pointer to us
  std::jmp_buf jump{};
};

// Makes errors the error manager of a library object: fatal errors jump back to the active
// RunGuarded, warnings and trace messages are dropped without a trace.
jpeg_error_mgr* Install(ErrorManager& errors);

// Runs step(context) with errors' jump point set. Returns false when the library raised a fatal
// error during the step; its code is then errors.pub.msg_code.
bool RunGuarded(ErrorManager& errors, void (*step)(void*), void* context);

// Throws the exception for a fatal library error with the library's code: EOutOfMemory when the
// library ran out of memory, EJPEG with the code as it is shown to the user otherwise.
[[noreturn]] void ThrowLibraryError(int libraryCode);

// Runs step() under errors' guard and throws the exception for a fatal library error it raised.
// The step's own frame must own no object with a destructor (see ErrorManager).
template <typename Step>
void Call(ErrorManager& errors, Step&& step) {
  auto run = [](void* context) { (*static_cast<std::remove_reference_t<Step>*>(context))(); };
  if (!RunGuarded(errors, run, &step)) ThrowLibraryError(errors.pub.msg_code);
}

}  // namespace kobanto::jpeg
