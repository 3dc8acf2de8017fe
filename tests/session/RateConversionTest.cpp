// A range of a file at another rate, converted into a file the session owns and pasted: it
// keeps its pitch, its length and its level, undoes as one step, and its file goes once
// nothing refers to it.

#include <gtest/gtest.h>
#include <sndfile.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <numbers>

#include "session/EditSession.h"
#include "session/RangeConversion.h"
#include "support/TestWav.h"

using namespace testing_support;

namespace {

constexpr double kToneHz = 1000.0;
constexpr double kAmplitude = 0.5;  // of full scale

// The 16-bit samples of a sine at `rate`.
std::vector<short> Tone(uint32_t rate, uint32_t frames) {
    std::vector<short> samples;
    for (uint32_t k = 0; k < frames; ++k) {
        const double value = kAmplitude * std::sin(2 * std::numbers::pi * kToneHz * k / rate);
        samples.push_back(static_cast<short>(std::lround(value * 32767)));
    }
    return samples;
}

// A stereo 16-bit WAV of a sine at `rate`, the same on both channels.
void WriteTone(const std::string& path, uint32_t rate, uint32_t frames) {
    SF_INFO info{};
    info.samplerate = static_cast<int>(rate);
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    std::vector<short> samples;
    for (const short sample : Tone(rate, frames)) {
        samples.push_back(sample);
        samples.push_back(sample);
    }
    ASSERT_EQ(sf_writef_short(file, samples.data(), frames), frames);
    sf_close(file);
}

// The left channel of workspace frames [first, first + count).
std::vector<double> LeftChannel(const Workspace& workspace, uint32_t first, uint32_t count) {
    std::vector<int16_t> frames(size_t{count} * 2);
    uint32_t read = 0;
    EXPECT_TRUE(workspace.ReadFrames(frames.data(), count, read, first));
    EXPECT_EQ(read, count);
    std::vector<double> left;
    for (uint32_t k = 0; k < count; ++k) {
        left.push_back(frames[2 * k]);
    }
    return left;
}

double RmsDecibels(const std::vector<double>& samples) {
    double sum = 0;
    for (const double s : samples) {
        sum += s * s;
    }
    return 10 * std::log10(sum / samples.size());
}

// The tone's frequency from its rising zero crossings, interpolated between frames.
double FrequencyOf(const std::vector<double>& samples, uint32_t rate) {
    double firstCrossing = -1;
    double lastCrossing = -1;
    int crossings = 0;
    for (size_t k = 1; k < samples.size(); ++k) {
        if (samples[k - 1] < 0 && samples[k] >= 0) {
            const double at = k - 1 + samples[k - 1] / (samples[k - 1] - samples[k]);
            firstCrossing = firstCrossing < 0 ? at : firstCrossing;
            lastCrossing = at;
            ++crossings;
        }
    }
    return crossings < 2 ? 0 : (crossings - 1) * rate / (lastCrossing - firstCrossing);
}

class RateConversion : public ::testing::Test {
protected:
    // Untitled sessions keep their files in the user's data folder: here, a temporary one.
    void SetUp() override { setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1); }

    // Converts `count` frames of listed file `index` from `first` for the session, as a paste
    // from a file of another rate does; the owned file's path.
    static std::string Convert(EditSession& session, uint32_t index, uint32_t first,
                               uint32_t count) {
        std::string why;
        const std::string path = session.Owned().Create(session.Path(), "tone", why);
        EXPECT_FALSE(path.empty()) << why;
        const auto file = (*session.Edits().Snapshot()->files)[index];
        ::RangeConversion job(file, first, count, session.Edits().SampleRate(), path);
        EXPECT_TRUE(job.Run([](double) { return true; })) << job.Failure();
        return path;
    }
    // Opens the converted file and pastes all of it at `at`, as one step.
    static void PasteConverted(EditSession& session, const std::string& path, uint32_t at) {
        Workspace& workspace = session.Edits();
        session.BeginEdit("Paste", {at, 0});
        ASSERT_TRUE(workspace.AddFile(path.c_str()));
        const auto index = static_cast<uint8_t>(workspace.FileCount() - 1);
        ASSERT_TRUE(workspace.CopyFromFile(0, workspace.FileLength(index), index));
        workspace.PasteInto(at);
        ASSERT_TRUE(session.EndEdit({at, 0}));
    }

    TempDir dir;
};

TEST_F(RateConversion, APastedToneKeepsPitchLengthAndLevelAndItsFileGoesWhenUnreferenced) {
    constexpr uint32_t kToneFrames = 37123;  // not a whole number of output frames
    constexpr uint32_t kBaseFrames = 10000;
    const std::string base = dir.File("base.wav");
    const std::string tone = dir.File("tone48k.wav");
    WriteWav(base, MakeFrames(1, kBaseFrames));
    WriteTone(tone, 48000, kToneFrames);

    std::string owned;
    {
        EditSession session;
        Workspace& workspace = session.Edits();
        ASSERT_TRUE(workspace.AddFile(base.c_str()));
        ASSERT_TRUE(workspace.AddFile(tone.c_str()));
        owned = Convert(session, 1, 0, kToneFrames);
        EXPECT_EQ(std::filesystem::path(owned).parent_path(), dir.File("data/orvane"));
        PasteConverted(session, owned, 4000);

        const auto expectedLength =
            static_cast<uint32_t>(std::lround(kToneFrames * 44100.0 / 48000));
        ASSERT_EQ(workspace.TotalLength(), kBaseFrames + expectedLength);
        // The frames either side of the paste are the base file's own.
        EXPECT_EQ(LeftChannel(workspace, 3999, 1)[0], 3999);
        EXPECT_EQ(LeftChannel(workspace, 4000 + expectedLength, 1)[0], 4000);

        // Away from the ends, where the filter starts and stops.
        const std::vector<double> pasted =
            LeftChannel(workspace, 4000 + 2000, expectedLength - 4000);
        EXPECT_NEAR(FrequencyOf(pasted, 44100), kToneHz, 0.05);
        const std::vector<short> whole = Tone(48000, kToneFrames);
        const std::vector<double> source(whole.begin() + 2000, whole.end() - 2000);
        EXPECT_NEAR(RmsDecibels(pasted), RmsDecibels(source), 0.01);

        // Undone, the paste is gone; the redo step and the clipboard still hold the file
        // (Undo, then a new edit, removing it, is the window's test).
        EditSelection selection;
        ASSERT_TRUE(session.Undo(selection));
        EXPECT_EQ(workspace.TotalLength(), kBaseFrames);
        EXPECT_EQ(session.ReleaseOwnedFiles(), 0u);
        EXPECT_TRUE(std::filesystem::exists(owned));
    }
    // Held by the history at the end of the run but never saved: it goes.
    EXPECT_FALSE(std::filesystem::exists(owned));
}

TEST_F(RateConversion, ASavedSessionKeepsItsFilesBesideItAndACancelLeavesNone) {
    const std::string base = dir.File("base.wav");
    const std::string tone = dir.File("tone48k.wav");
    WriteWav(base, MakeFrames(1, 1000));
    WriteTone(tone, 48000, 4800);
    const std::string sessionPath = dir.File("song.orvane");
    std::string owned;
    {
        EditSession session;
        ASSERT_TRUE(session.Edits().AddFile(base.c_str()));
        ASSERT_TRUE(session.Edits().AddFile(tone.c_str()));
        std::string error;
        ASSERT_TRUE(session.Save(sessionPath, error)) << error;
        owned = Convert(session, 1, 0, 4800);
        EXPECT_EQ(std::filesystem::path(owned).parent_path(), dir.File("song.data"));
        PasteConverted(session, owned, 0);
        ASSERT_TRUE(session.Save(sessionPath, error)) << error;

        // Cancelled, a conversion reports no failure and its file is left empty and dropped.
        std::string why;
        const std::string cancelled = session.Owned().Create(session.Path(), "tone", why);
        const auto file = (*session.Edits().Snapshot()->files)[1];
        ::RangeConversion job(file, 0, 4800, 44100, cancelled);
        EXPECT_FALSE(job.Run([](double) { return false; }));
        EXPECT_EQ(job.Failure(), "");
        session.Owned().Discard(cancelled);
        EXPECT_FALSE(std::filesystem::exists(cancelled));
    }
    // The saved session names it: it stays, and the session opens with it.
    EXPECT_TRUE(std::filesystem::exists(owned));
    EditSession reopened;
    std::string error;
    ASSERT_TRUE(reopened.Open(sessionPath, error)) << error;
    EXPECT_EQ(reopened.Edits().TotalLength(), 1000u + 4410u);
}

}  // namespace
