#include <cstring>
#include <map>

#include "HostFixture.h"

namespace {

const std::string kVendorBytes =
    "Kalvoro \xC5\x82"
    "ejw editor";
const std::string kProductBytes =
    "Kalvoro soft\xC5\x82"
    "er";

// The requests answered with something other than 0, whoever asks.
const std::map<int32_t, intptr_t> kAnswers = {
    {vst::audioMasterVersion, 2},     {vst::audioMasterCurrentId, 0x4B555041},
    {vst::audioMasterIOChanged, 1},   {vst::audioMasterGetVendorVersion, 1},
    {vst::audioMasterGetLanguage, 1},
};

// What an effect of the host (or one being opened by it) is told besides: the rate, and the
// block in frames (512 frames of 4 bytes each).
std::map<int32_t, intptr_t> AnswersToOwnEffects() {
    std::map<int32_t, intptr_t> answers = kAnswers;
    answers[vst::audioMasterGetSampleRate] = 44100;
    answers[vst::audioMasterGetBlockSize] = 512;
    return answers;
}

// An effect whose dispatcher only notes the opcodes it receives.
struct FakeEffect {
    FakeEffect() {
        effect.magic = vst::kMagic;
        effect.object = this;
        effect.dispatcher = [](vst::AEffect* e, int32_t opcode, int32_t, intptr_t, void*,
                               float) -> intptr_t {
            static_cast<FakeEffect*>(e->object)->received.push_back(opcode);
            return 0;
        };
    }
    vst::AEffect effect{};
    std::vector<int32_t> received;
};

class CallbackFixture : public HostFixture {
protected:
    void SetUp() override { Configure(); }
};

TEST_F(CallbackFixture, AnEffectOfNoHostGetsIdentityAnswersAndZeroForEverythingElse) {
    FakeEffect fake;
    std::vector<int32_t> opcodes = {-1, INT32_MIN, INT32_MAX, 1000};
    for (int32_t op = 0; op <= 80; ++op) {
        opcodes.push_back(op);
    }
    for (int32_t op : opcodes) {
        for (vst::AEffect* effect : {&fake.effect, static_cast<vst::AEffect*>(nullptr)}) {
            char text[256];
            std::memset(text, 0x55, sizeof text);
            const auto it = kAnswers.find(op);
            // index, value and opt are never read: odd values must not change the answer.
            EXPECT_EQ(PluginHost::HostCallback(effect, op, -7, 99, text, 3.5f),
                      it != kAnswers.end() ? it->second : 0)
                << "opcode " << op;
        }
    }
    // Not even its idle requests call it back: it has no host whose queue would run them.
    EXPECT_TRUE(fake.received.empty());
    EXPECT_EQ(host.Idle().PendingCount(), 0u);
}

TEST_F(CallbackFixture, IdentityTextsAreCopiedWithTheirTerminatorAndNothingMore) {
    const std::pair<int32_t, std::string> texts[] = {
        {vst::audioMasterGetVendorString, kVendorBytes},
        {vst::audioMasterGetProductString, kProductBytes},
    };
    for (const auto& [opcode, bytes] : texts) {
        std::vector<char> buffer(64, '\x55');
        EXPECT_EQ(PluginHost::HostCallback(nullptr, opcode, 0, 0, buffer.data(), 0), 0);
        EXPECT_EQ(std::string(buffer.data(), bytes.size() + 1), bytes + '\0');
        EXPECT_EQ(buffer[bytes.size() + 1], '\x55') << "wrote past the terminator";
        // A request without a buffer is answered without writing anywhere.
        EXPECT_EQ(PluginHost::HostCallback(nullptr, opcode, 0, 0, nullptr, 0), 0);
    }
}

TEST_F(CallbackFixture, ThePluginGetsTheCallbackAndSafeAnswersBeforeItsEffectExists) {
    Install({"recorder"});
    RecorderLog& log = Recorder();
    vst::AEffect* effect = Insert("recorder");
    ASSERT_NE(effect, nullptr);

    const std::map<int32_t, std::string> texts = {
        {vst::audioMasterGetVendorString, kVendorBytes},
        {vst::audioMasterGetProductString, kProductBytes},
    };
    ASSERT_FALSE(log.answers.empty());
    const std::map<int32_t, intptr_t> answers = AnswersToOwnEffects();
    for (const RecorderLog::Answer& a : log.answers) {
        EXPECT_TRUE(a.nullEffect);
        // With a null effect the idle requests answer 0 like every unknown request.
        const auto answer = answers.find(a.opcode);
        const auto text = texts.find(a.opcode);
        EXPECT_EQ(a.answer, answer != answers.end() ? answer->second : 0) << a.opcode;
        EXPECT_EQ(a.text, text != texts.end() ? text->second : "") << a.opcode;
    }
    // The null-effect idle requests called nothing: the effect saw only its initialisation.
    EXPECT_EQ(log.calls.size(), 5u);
    // Once in the chain, it is answered through its slot.
    for (int32_t opcode : {vst::audioMasterGetSampleRate, vst::audioMasterGetBlockSize}) {
        EXPECT_EQ(PluginHost::HostCallback(effect, opcode, 0, 0, nullptr, 0), answers.at(opcode));
    }

    // Asked with its effect, the idle requests come back into its dispatcher.
    log.Clear();
    PluginHost::Dispatch(effect, vst::effGetVendorString);
    EXPECT_EQ(RecordedOpcodes(),
              (std::vector<int32_t>{vst::effGetVendorString, vst::effEditIdle, vst::effIdle}));
    ASSERT_EQ(log.answers.size(), 2u);
    EXPECT_EQ(log.answers[0].answer, 0);
    EXPECT_EQ(log.answers[1].answer, 1);
}

TEST_F(CallbackFixture, EffectTextsComeWholeFromRoomyBuffers) {
    Install({"gain", "longnames"});
    vst::AEffect* gain = Insert("gain");
    ASSERT_NE(gain, nullptr);
    struct Row {
        const char* name;
        const char* display;
        const char* label;
    };
    const Row rows[] = {{"Gain", "1.00", "x"}, {"Left", "on", ""}, {"Right", "on", ""}};
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(PluginHost::EffectText(gain, vst::effGetParamName, i), rows[i].name);
        EXPECT_EQ(PluginHost::EffectText(gain, vst::effGetParamDisplay, i), rows[i].display);
        EXPECT_EQ(PluginHost::EffectText(gain, vst::effGetParamLabel, i), rows[i].label);
    }
    gain->setParameter(gain, 0, 0.25f);
    EXPECT_EQ(PluginHost::EffectText(gain, vst::effGetParamDisplay, 0), "0.50");

    vst::AEffect* longNames = Insert("longnames");
    ASSERT_NE(longNames, nullptr);
    EXPECT_EQ(PluginHost::EffectText(longNames, vst::effGetParamName, 0), std::string(200, 'p'));
    intptr_t answer = -1;
    EXPECT_EQ(PluginHost::EffectText(longNames, vst::effGetEffectName, 0, &answer),
              std::string(30, 'n') +
                  "\xC5\x82"
                  "ong name");
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(PluginHost::EffectText(nullptr, vst::effGetParamName, 0), "");
}

// Notes every size request and takes those of one effect only.
struct SizingEditor : EffectEditor {
    void Show() override {}
    bool Resize(int32_t width, int32_t height) override {
        requests.emplace_back(width, height);
        return true;
    }
    std::vector<std::pair<int32_t, int32_t>> requests;
};

TEST_F(CallbackFixture, SizeWindowRequestsReachTheEditorOfTheAskingEffect) {
    Install({"passthrough"});
    vst::AEffect* shown = Insert("passthrough");
    ASSERT_NE(shown, nullptr);
    FakeEffect other;
    // The published request numbers: 15 asks for a size, 6 asks for MIDI.
    auto sizeWindow = [](vst::AEffect* effect, int32_t width, intptr_t height) {
        return PluginHost::HostCallback(effect, 15, width, height, nullptr, 0.0f);
    };

    EXPECT_EQ(sizeWindow(shown, 320, 240), 0) << "no editor open yet";
    auto editor = std::make_unique<SizingEditor>();
    SizingEditor& sizing = *editor;
    host.Chain().At(0).SetEditor(std::move(editor));
    EXPECT_EQ(sizeWindow(shown, 320, 240), 1);
    EXPECT_EQ(sizeWindow(&other.effect, 100, 50), 0) << "an effect of no slot";
    EXPECT_EQ(sizeWindow(nullptr, 100, 50), 0) << "asked from an entry point";
    EXPECT_EQ(sizeWindow(shown, 10, intptr_t{1} << 40), 0) << "height out of range";
    EXPECT_EQ(PluginHost::HostCallback(shown, 6, 320, 240, nullptr, 0.0f), 0)
        << "a MIDI request is no size request";
    EXPECT_EQ(sizing.requests, (std::vector<std::pair<int32_t, int32_t>>{{320, 240}}));
    host.Chain().At(0).CloseEditor();
    EXPECT_EQ(sizeWindow(shown, 3, 4), 0);
}

}  // namespace
