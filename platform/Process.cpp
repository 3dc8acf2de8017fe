#include "platform/Process.h"

#include <unistd.h>

namespace platform {

void QuitImmediately(int status) {
    ::_exit(status);
}

}  // namespace platform
