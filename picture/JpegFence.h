#pragma once

// libjpeg reports errors by calling error_exit, which must not return. The
// library is C: no C++ exception may pass through its frames. So every call
// into it runs inside runJpegStep, whose setjmp catches the error_exit's
// longjmp; the caller then destroys the library object and raises the
// program's error outside the library's frames.

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t
#include <jpeglib.h>

namespace masume {

struct JpegErrors
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

// Installs the error manager into a library object that is not yet
// created: errors jump back to runJpegStep, warnings and trace messages are
// dropped (a damaged file decodes as far as the library can go).
void installJpegErrors(jpeg_common_struct &object, JpegErrors &errors);

// Runs step(context). A step calls only the library and plain C code, keeps
// no object with a destructor, and allocates nothing of its own. Returns 0
// when the step ran to its end, otherwise the library's message code of the
// error that ended it.
int runJpegStep(JpegErrors &errors, void (*step)(void *context), void *context);

// Raises the program's error for a library message code:
// "メモリが不足しています" for the library's own out-of-memory error,
// "JPEG エラー #%d" otherwise.
[[noreturn]] void raiseJpegError(int code);

} // namespace masume
