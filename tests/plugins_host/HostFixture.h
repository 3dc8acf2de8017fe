#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "audio/Workspace.h"
#include "platform/SharedLibrary.h"
#include "plugins/PluginHost.h"
#include "support/TestWav.h"
#include "tests/plugins/RecorderLog.h"

/// A host over a temporary plug-in directory and a workspace of generated frames.
class HostFixture : public ::testing::Test {
protected:
    /// Effects load into this process: the recorder's log, which these tests read, lives in
    /// the process that loads it.
    HostFixture() { host.SetAllInProcess(true); }

    /// Copies built test plug-ins (by name, without ".so") into the plug-in directory.
    void Install(std::initializer_list<const char*> names);
    /// Copies any file into the plug-in directory under fileName.
    void InstallFile(const std::string& source, const std::string& fileName);
    std::string Installed(const std::string& fileName) const { return pluginDir + fileName; }

    void Configure() { host.Configure(44100, 2048, pluginDir); }

    /// Makes `frames` the workspace's audio.
    void UseFrames(const std::vector<testing_support::Frame>& frames);

    /// Process at position: the valid frames it returned.
    std::vector<testing_support::Frame> ProcessAt(uint32_t position);

    /// Appends a test plug-in to the chain; fails the test when it does not load.
    vst::AEffect* Insert(const std::string& name);

    /// The installed recorder's log, cleared. The fixture keeps the library loaded.
    RecorderLog& Recorder();

    /// Opcodes of the recorder's dispatcher calls since the log was last cleared.
    std::vector<int32_t> RecordedOpcodes();

    testing_support::TempDir dir;
    std::string pluginDir = (dir.Path() / "vstplugs").string() + "/";
    Workspace workspace;
    PluginHost host{&workspace};
    platform::SharedLibrary recorderLibrary;
    RecorderLog* recorderLog = nullptr;
};

/// A frame from its two samples.
testing_support::Frame MakeFrame(int16_t left, int16_t right);
int16_t LeftOf(testing_support::Frame frame);
int16_t RightOf(testing_support::Frame frame);
