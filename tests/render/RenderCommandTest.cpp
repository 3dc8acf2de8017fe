// The command-line render: the exact bytes it writes, and every failure leaving no output and
// the input as it was.

#include "render/RenderCommand.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "audio/Workspace.h"
#include "session/SessionFile.h"

#include "support/TestWav.h"
#include "support/WavBytes.h"

using namespace testing_support;

namespace {

std::vector<int16_t> Ramp(size_t frames) {
    std::vector<int16_t> samples;
    for (size_t k = 0; k < frames; ++k) {
        samples.push_back(static_cast<int16_t>(k * 13 - 7000));
        samples.push_back(static_cast<int16_t>(9000 - k * 11));
    }
    return samples;
}

TEST(RenderCommand, WritesTheInputAsACanonicalFileAtItsRate) {
    // 1500 frames: three whole blocks of 512 and a partial one.
    const std::vector<int16_t> samples = Ramp(1500);
    const Bytes canonical44 = CanonicalWav(samples, 44100);
    const Bytes canonical48 = CanonicalWav(samples, 48000);
    const Bytes list =
        Chunk("LIST", {'I', 'N', 'F', 'O', 'I', 'S', 'F', 'T', 3, 0, 0, 0, 'x', 'y', 'z', 0});
    std::vector<int16_t> monoExpected;
    std::vector<int32_t> mono24;
    for (int32_t k = 0; k < 700; ++k) {
        mono24.push_back(k * 9973 - 3000000);
        // By hand: the top 16 of the 24 bits, on both channels.
        const auto top = static_cast<int16_t>((k * 9973 - 3000000) >> 8);
        monoExpected.insert(monoExpected.end(), {top, top});
    }
    const struct {
        const char* name;
        Bytes input;
        Bytes expected;
    } cases[] = {
        {"canonical: byte for byte", canonical44, canonical44},
        {"48 kHz: byte for byte, rate kept", canonical48, canonical48},
        {"LIST before and after data: exactly the data frames",
         Riff(
             Concat({FmtChunk(1, 2, 44100, 16), list, Chunk("data", Int16Samples(samples)), list})),
         canonical44},
        {"24-bit mono at 96 kHz: 16-bit stereo at 96 kHz",
         Riff(Concat({FmtChunk(1, 1, 96000, 24, 40), Chunk("data", Int24Samples(mono24))})),
         CanonicalWav(monoExpected, 96000)},
        {"empty data chunk", CanonicalWav({}), CanonicalWav({})},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string in = dir.File("in.wav");
        const std::string out = dir.File("out.wav");
        WriteBytes(in, c.input);
        std::filesystem::remove(out);
        std::string error;
        EXPECT_EQ(RunRenderCommand(out, in, {}, {}, error), 0) << error;
        EXPECT_TRUE(error.empty());
        EXPECT_EQ(ReadBytes(out), c.expected);
        EXPECT_EQ(ReadBytes(in), c.input) << "the input is never written";
    }
}

TEST(RenderCommand, FailuresNameTheFileLeaveNoOutputAndTheInputAlone) {
    TempDir dir;
    const std::string in = dir.File("in.wav");
    WriteBytes(in, CanonicalWav(Ramp(600)));
    WriteBytes(dir.File("text.wav"), {'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e', '!', '\n'});
    std::filesystem::create_directory(dir.File("folder"));
    std::filesystem::create_directory(dir.File("folder.orvane"));
    // Reading a named pipe would wait for a writer that never comes: refused at once.
    ASSERT_EQ(::mkfifo(dir.File("pipe.wav").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(dir.File("pipe.orvane").c_str(), 0600), 0);
    const uint64_t inputSum = Checksum(in);

    const struct {
        const char* name;
        std::string output;
        std::string input;
        std::string named;   // the file the error names
        const char* reason;  // a part of the reason
        bool outputExistedBefore;
    } cases[] = {
        {"missing input", dir.File("out.wav"), dir.File("nothing.wav"), dir.File("nothing.wav"),
         "No such file or directory", false},
        {"input not a WAV file", dir.File("out.wav"), dir.File("text.wav"), dir.File("text.wav"),
         "not a WAV file", false},
        {"output in a missing directory", dir.File("none/out.wav"), in, dir.File("none/out.wav"),
         "No such file or directory", false},
        {"output is a directory", dir.File("folder"), in, dir.File("folder"), "directory", true},
        {"input is a named pipe", dir.File("out.wav"), dir.File("pipe.wav"), dir.File("pipe.wav"),
         "named pipe", false},
        {"session is a named pipe", dir.File("out.wav"), dir.File("pipe.orvane"),
         dir.File("pipe.orvane"), "named pipe", false},
        {"session is a directory", dir.File("out.wav"), dir.File("folder.orvane"),
         dir.File("folder.orvane"), "directory", false},
        {"input is a device", dir.File("out.wav"), "/dev/zero", "/dev/zero", "device", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        EXPECT_NE(RunRenderCommand(c.output, c.input, {}, {}, error), 0);
        EXPECT_EQ(error.rfind(c.named + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << "one line";
        EXPECT_EQ(std::filesystem::exists(c.output), c.outputExistedBefore);
        EXPECT_EQ(Checksum(in), inputSum);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.wav")));
}

// The output is never a file of the render itself, whatever it is called: the WAV input, the
// session being rendered, a source of that session; by its own path, another spelling of it, a
// hard link or a symbolic link. Each is refused before anything is written.
TEST(RenderCommand, NeverWritesOverItsOwnFilesByAnyName) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("x"));
    const std::string wav = dir.File("x/in.wav");
    const std::string session = dir.File("x/mix.orvane");
    const std::string source = dir.File("x/source.wav");
    WriteBytes(wav, CanonicalWav(Ramp(600)));
    WriteBytes(source, CanonicalWav(Ramp(900)));
    {
        Workspace ws;
        ASSERT_TRUE(ws.AddFile(source.c_str()));
        ws.DeleteRange(0, 100);
        std::string error;
        ASSERT_TRUE(session_file::Save(session, *ws.Snapshot(), error)) << error;
    }
    const std::vector<uint8_t> before[] = {ReadBytes(wav), ReadBytes(session), ReadBytes(source)};
    // Each own file under every name: as the render is given it, respelt, linked both ways.
    const struct {
        std::string file;
        std::string input;  // the render's input when the output is that file
        const char* reason;
    } owns[] = {{wav, wav, "it is the source file"},
                {session, session, "it is the session being rendered"},
                {source, session, "it is the source file"}};
    int link = 0;
    for (const auto& own : owns) {
        const std::string name = std::filesystem::path(own.file).filename().string();
        const std::string hard = dir.File("hard" + std::to_string(++link));
        const std::string soft = dir.File("soft" + std::to_string(link));
        std::filesystem::create_hard_link(own.file, hard);
        std::filesystem::create_symlink(own.file, soft);
        for (const std::string& output : {own.file, dir.File("x/../x/./" + name), hard, soft}) {
            SCOPED_TRACE(output);
            std::string error;
            EXPECT_EQ(RunRenderCommand(output, own.input, {}, {}, error), 1);
            EXPECT_EQ(error.rfind(output + ": " + own.reason, 0), 0u) << error;
            EXPECT_TRUE(std::filesystem::is_symlink(soft)) << "the link itself stays";
        }
    }
    std::string error;  // the session given by another spelling is still itself
    EXPECT_EQ(RunRenderCommand(session, dir.File("x/../x/./mix.orvane"), {}, {}, error), 1)
        << error;
    EXPECT_EQ(ReadBytes(wav), before[0]);
    EXPECT_EQ(ReadBytes(session), before[1]);
    EXPECT_EQ(ReadBytes(source), before[2]);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.Path())) {
        EXPECT_NE(entry.path().extension(), ".part") << "nothing was started: " << entry.path();
    }
}

}  // namespace
