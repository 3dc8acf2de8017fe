#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "audio/Workspace.h"
#include "playback/WavePlayer.h"
#include "plugins/PluginHost.h"
#include "support/FakeAudioOutput.h"
#include "support/LoadedEffect.h"
#include "support/TestWav.h"

namespace testing_support {

constexpr uint32_t kBlock = 512;

/// A workspace over one generated file, the real plug-in host over it, and a player on the
/// deterministic device, opened as the application opens it.
class PlayerFixture : public ::testing::Test {
protected:
    explicit PlayerFixture(uint32_t fileFrames = 40 * kBlock + 123) {
        source = dir.File("source.wav");
        WriteWav(source, MakeFrames(1, fileFrames));
        EXPECT_TRUE(workspace.AddFile(source.c_str()));
        std::filesystem::create_directory(dir.File("vstplugs"));
        host.Configure(44100, 2048, dir.File("vstplugs"));
    }

    bool OpenPlayer() { return player.Open(2048, 16, 2, 44100, 16); }
    FakeAudioQueue& Device() { return *device.LastQueue(); }

    /// What the device should have received for [start, end): the workspace's frames, then
    /// silence up to the end of the last block.
    std::vector<uint8_t> Expected(uint32_t start, uint32_t end, uint32_t blocks) const {
        std::vector<uint8_t> bytes(size_t{blocks} * kBlock * 4, 0);
        uint32_t got = 0;
        if (end > start) {
            workspace.ReadFrames(bytes.data(), end - start, got, start);
        }
        return bytes;
    }

    /// Copies a test plug-in into the plug-in directory and loads it into the chain.
    void LoadTestPlugin(const std::string& name) {
        std::filesystem::copy_file(std::string(ORVANE_TEST_PLUGIN_DIR) + "/" + name,
                                   dir.File("vstplugs/" + name),
                                   std::filesystem::copy_options::overwrite_existing);
        ASSERT_NE(EffectOf(host.AddEffect(name)), nullptr);
    }

    TempDir dir;
    std::string source;
    Workspace workspace;
    PluginHost host{&workspace};
    FakeAudioOutput device;
    WavePlayer player{&host, device};
};

}  // namespace testing_support
