#include "HostFixture.h"
#include "support/LoadedEffect.h"

#include <filesystem>

using testing_support::Frame;

void HostFixture::Install(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        InstallFile(std::string(ORVANE_TEST_PLUGIN_DIR) + "/" + name + ".so",
                    std::string(name) + ".so");
    }
}

void HostFixture::InstallFile(const std::string& source, const std::string& fileName) {
    std::filesystem::create_directories(pluginDir);
    std::filesystem::copy_file(source, pluginDir + fileName,
                               std::filesystem::copy_options::overwrite_existing);
}

void HostFixture::UseFrames(const std::vector<Frame>& frames) {
    const std::string path = dir.File("audio.wav");
    testing_support::WriteWav(path, frames);
    workspace.Clear();
    ASSERT_TRUE(workspace.AddFile(path.c_str()));
}

std::vector<Frame> HostFixture::ProcessAt(uint32_t position) {
    std::vector<Frame> block(512, 0xDEADBEEF);
    uint32_t count = 9999;
    EXPECT_TRUE(host.Process(block.data(), count, position));
    EXPECT_LE(count, 512u);
    block.resize(std::min<uint32_t>(count, 512));
    return block;
}

vst::AEffect* HostFixture::Insert(const std::string& name) {
    vst::AEffect* effect = EffectOf(host.AddEffect(name + ".so"));
    EXPECT_NE(effect, nullptr) << name << ": " << host.LastLoadError();
    return effect;
}

RecorderLog& HostFixture::Recorder() {
    if (recorderLog == nullptr) {
        EXPECT_TRUE(recorderLibrary.Open(Installed("recorder.so"))) << recorderLibrary.ErrorText();
        auto logOf = reinterpret_cast<RecorderLogProc>(recorderLibrary.Symbol("RecorderLogOf"));
        EXPECT_NE(logOf, nullptr);
        recorderLog = logOf();
    }
    recorderLog->Clear();
    return *recorderLog;
}

std::vector<int32_t> HostFixture::RecordedOpcodes() {
    std::vector<int32_t> opcodes;
    for (const RecorderLog::Call& call : recorderLog->calls) {
        opcodes.push_back(call.opcode);
    }
    return opcodes;
}

Frame MakeFrame(int16_t left, int16_t right) {
    return static_cast<uint16_t>(left) |
           (static_cast<uint32_t>(static_cast<uint16_t>(right)) << 16);
}

int16_t LeftOf(Frame frame) {
    return static_cast<int16_t>(frame & 0xFFFF);
}

int16_t RightOf(Frame frame) {
    return static_cast<int16_t>(frame >> 16);
}
