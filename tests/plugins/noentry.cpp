// A shared object that is no plug-in: it exports a function, but not an entry point.

#include "TestEffect.h"

ORVANE_PLUGIN_EXPORT int NotAnEntryPoint() {
    return 42;
}
