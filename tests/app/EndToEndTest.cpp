// A whole session as a user has it: a file named on the command line, a range selected in
// it, copied, pasted into the workspace, and the edited workspace played.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "app/FrameFixture.h"
#include "playback/WavePlayer.h"
#include "resources/CommandIds.h"
#include "view/WaveformView.h"

using namespace testing_support;

namespace {

class EndToEnd : public FrameFixture {};

TEST_F(EndToEnd, SelectCopyPasteAndPlayTheEditedAudio) {
    const uint32_t frames = 9000;
    const std::string wav = MakeWav("take.wav", frames);
    ASSERT_TRUE(frame->LoadWave(wav, "take.wav"));  // as `orvane take.wav` does
    WaveformView* view = frame->View();
    ASSERT_TRUE(view->IsWorkspaceShown()) << "the first file is ready for editing";

    DragInView(10, 30);
    const uint32_t copyStart = view->SelectionStart();
    const uint32_t copyLength = view->SelectionLength();
    ASSERT_GT(copyLength, 0u);
    Command(cmd::kCopy);

    DragInView(5, 5);  // a click sets the insertion point
    const uint32_t insertAt = view->SelectionStart();
    Command(cmd::kPaste);
    ASSERT_EQ(frame->GetWorkspace().TotalLength(), frames + copyLength);

    std::vector<Frame> expected = MakeFrames(1, frames);
    const std::vector<Frame> copied(expected.begin() + copyStart,
                                    expected.begin() + copyStart + copyLength);
    expected.insert(expected.begin() + insertAt, copied.begin(), copied.end());

    view->SetFocus();
    Command(cmd::kZoomOutFull);
    Command(cmd::kPlay);
    audio.LastQueue()->CompleteAll();
    const std::vector<uint8_t> played = audio.LastQueue()->WrittenBytes();
    ASSERT_GE(played.size(), expected.size() * 4);
    EXPECT_EQ(std::memcmp(played.data(), expected.data(), expected.size() * 4), 0)
        << "the device received the edited audio";
    EXPECT_TRUE(std::all_of(played.begin() + static_cast<long>(expected.size() * 4), played.end(),
                            [](uint8_t b) { return b == 0; }))
        << "and silence after it";
}

}  // namespace
