// Passes its input through unchanged, and on every processReplacing call prints to standard
// output and standard error, through the C streams (left buffered) and straight to the
// descriptors, as chatty plug-ins do. (Not when opened: the examining program answers on its
// standard output.)

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "TestEffect.h"

namespace {

void Say(const char* what) {
    std::printf("chatty stdout: %s\n", what);
    std::fprintf(stderr, "chatty stderr: %s\n", what);
    const char raw[] = "chatty raw\n";
    (void)!::write(STDOUT_FILENO, raw, std::strlen(raw));
    (void)!::write(STDERR_FILENO, raw, std::strlen(raw));
}

class Chatty : public TestEffect {
public:
    explicit Chatty(vst::HostCallbackProc host) : TestEffect(host, "Chatty", 2, 2) {}

protected:
    void Process(float** inputs, float** outputs, int32_t frames) override {
        Say("processing");
        TestEffect::Process(inputs, outputs, frames);
    }
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Chatty(host))->Effect();
}
