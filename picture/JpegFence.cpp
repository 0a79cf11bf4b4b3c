#include "picture/JpegFence.h"

#include "common/Error.h"
#include "common/Messages.h"

#include <jerror.h>

namespace masume {

namespace {

void jumpBack(j_common_ptr object)
{
    auto *errors = reinterpret_cast<JpegErrors *>(object->err);
    std::longjmp(errors->jump, 1);
}

void dropMessage(j_common_ptr, int) { }

void printNothing(j_common_ptr) { }

} // namespace

void installJpegErrors(jpeg_common_struct &object, JpegErrors &errors)
{
    object.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jumpBack;
    errors.manager.emit_message = dropMessage;
    errors.manager.output_message = printNothing;
}

int runJpegStep(JpegErrors &errors, void (*step)(void *context), void *context)
{
    if (setjmp(errors.jump)) {
        // The library sets a code before every error_exit; -1 only guards
        // the contract of returning non-zero.
        const int code = errors.manager.msg_code;
        return code != 0 ? code : -1;
    }
    step(context);
    return 0;
}

void raiseJpegError(int code)
{
    if (code == JERR_OUT_OF_MEMORY)
        raise(msg::OutOfMemory);
    raise(msg::JpegError, {code});
}

} // namespace masume
