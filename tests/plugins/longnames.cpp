// Writes texts far longer than the old limits: a 200-character parameter name, and an effect
// name whose 31st byte falls inside a two-byte UTF-8 character.

#include <cstring>
#include <string>

#include "TestEffect.h"

namespace {

class LongNames : public TestEffect {
public:
    explicit LongNames(vst::HostCallbackProc host)
        : TestEffect(host,
                     std::string(30, 'n') +
                         "\xC5\x82"
                         "ong name",
                     2, 2, 1) {}

protected:
    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) override {
        if (opcode == vst::effGetParamName && ptr != nullptr) {
            const std::string text(200, 'p');
            std::memcpy(ptr, text.c_str(), text.size() + 1);
            return 0;
        }
        return TestEffect::Dispatch(opcode, index, value, ptr, opt);
    }
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new LongNames(host))->Effect();
}
