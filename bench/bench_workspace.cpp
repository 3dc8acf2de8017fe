// Workspace reads and edits against the number of segments in the edit list.
//
// Every workspace here is 5,120,000 frames (about 116 s of audio) of one generated file, cut
// into 1, 10,000 or 100,000 equal segments; only the segment count changes between runs.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "GeneratedWavFile.h"
#include "audio/Workspace.h"
#include "session/EditSession.h"

namespace {

constexpr uint32_t kWorkspaceFrames = 5'120'000;
constexpr uint32_t kBlock = 512;
constexpr int kEditsPerBuild = 1000;

// One 20 MB source file for the whole run, removed at exit.
const GeneratedWavFile& Source() {
    static const GeneratedWavFile file("workspace", kWorkspaceFrames,
                                       [](uint32_t k) { return k * 2654435761u; });
    return file;
}

// Makes the workspace the source split into `segments` equal segments. The source is
// opened once per workspace; later calls only replace the edit list (in O(n)), so that
// rebuilding between timed edits costs little.
void BuildWorkspace(Workspace& ws, uint32_t segments) {
    if (ws.FileCount() != 1) {
        ws.Clear();
        if (!ws.AddFile(Source().Path())) {
            std::fprintf(stderr, "cannot open the source\n");
            std::abort();
        }
        // The file's peak tables build on a thread of their own: waited for here, untimed,
        // so that they take no processor time from what is measured.
        const PeakPyramid* peaks = ws.Peaks(*ws.File(0));
        while (peaks != nullptr && !peaks->IsComplete() && !peaks->Failed()) {
            usleep(1000);
        }
    }
    WorkspaceState state;
    state.files = ws.Snapshot()->files;
    std::vector<Piece> pieces(segments);
    const uint32_t length = kWorkspaceFrames / segments;
    for (uint32_t k = 0; k < segments; ++k) {
        pieces[k] = Piece{k * length,
                          k + 1 == segments ? kWorkspaceFrames : (k + 1) * length,
                          state.files->front(),
                          {}};
    }
    state.segments = EditList::FromPieces(pieces);
    ws.Replace(std::move(state));
}

// Reads the whole workspace block by block on every iteration, and reports the rate.
void ReadWholeWorkspace(benchmark::State& state, const Workspace& ws) {
    std::vector<uint32_t> buffer(kBlock);
    for (auto _ : state) {
        for (uint32_t position = 0; position < kWorkspaceFrames; position += kBlock) {
            uint32_t got = 0;
            ws.ReadFrames(buffer.data(), kBlock, got, position);
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    const double frames = double(kWorkspaceFrames) * double(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(frames * 4));
    state.counters["xRealtime"] = benchmark::Counter(frames / 44100.0, benchmark::Counter::kIsRate);
}

void BM_ReadWholeWorkspace(benchmark::State& state) {
    Workspace ws;
    BuildWorkspace(ws, static_cast<uint32_t>(state.range(0)));
    ReadWholeWorkspace(state, ws);
}
BENCHMARK(BM_ReadWholeWorkspace)->Arg(1)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// One 512-frame read at a random position: what a playback refill or one view column costs.
void BM_ReadBlockAtRandom(benchmark::State& state) {
    Workspace ws;
    BuildWorkspace(ws, static_cast<uint32_t>(state.range(0)));
    std::vector<uint32_t> buffer(kBlock);
    std::mt19937 rng(7);
    std::uniform_int_distribution<uint32_t> anywhere(0, kWorkspaceFrames - kBlock);
    for (auto _ : state) {
        uint32_t got = 0;
        ws.ReadFrames(buffer.data(), kBlock, got, anywhere(rng));
        benchmark::DoNotOptimize(buffer.data());
    }
}
BENCHMARK(BM_ReadBlockAtRandom)->Arg(1)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Only finding the segment that holds a random position, without reading any audio.
void BM_FindAtRandom(benchmark::State& state) {
    Workspace ws;
    BuildWorkspace(ws, static_cast<uint32_t>(state.range(0)));
    const Workspace::State snapshot = ws.Snapshot();
    std::mt19937 rng(7);
    std::uniform_int_distribution<uint32_t> anywhere(0, kWorkspaceFrames - 1);
    for (auto _ : state) {
        uint32_t found = 0;
        snapshot->segments.VisitFrom(anywhere(rng), [&](const Piece& piece, uint32_t within) {
            found = piece.start + within;
            return false;
        });
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_FindAtRandom)->Arg(1)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Builds an edit list of about 100,000 segments by 100,000 pastes of 10 frames at random
// positions, as a user pasting short pieces over and over would.
void BM_BuildByPasting(benchmark::State& state) {
    std::mt19937 rng(3);
    Workspace ws;
    for (auto _ : state) {
        state.PauseTiming();
        BuildWorkspace(ws, 1);
        ws.CopyFromFile(5000, 5010, 0);
        state.ResumeTiming();
        for (int i = 0; i < 100000; ++i) {
            ws.PasteAt(std::uniform_int_distribution<uint32_t>(0, ws.TotalLength())(rng));
        }
        benchmark::DoNotOptimize(ws.SegmentCount());
    }
    state.counters["segments"] = double(ws.SegmentCount());
}
BENCHMARK(BM_BuildByPasting)->Unit(benchmark::kMillisecond)->Iterations(3);

// A 24-bit stereo source of kWorkspaceFrames frames (with a LIST chunk before its data, as
// common converters write it), removed at exit: the cost of converting as frames are read.
class Generated24BitFile {
public:
    Generated24BitFile()
        : path_((std::filesystem::temp_directory_path() /
                 ("orvane-bench-24bit-" + std::to_string(getpid()) + ".wav"))
                    .string()) {
        std::ofstream out(path_, std::ios::binary);
        const uint32_t dataBytes = kWorkspaceFrames * 6;
        const auto le = [&out](uint32_t value, int bytes) {
            for (int i = 0; i < bytes; ++i) {
                out.put(static_cast<char>(value >> (8 * i)));
            }
        };
        out.write("RIFF", 4);
        le(4 + 24 + 20 + 8 + dataBytes, 4);
        out.write("WAVEfmt ", 8);
        le(16, 4);
        le(1, 2);
        le(2, 2);
        le(44100, 4);
        le(44100 * 6, 4);
        le(6, 2);
        le(24, 2);
        out.write("LIST", 4);
        le(12, 4);
        out.write("INFOISFT\0\0\0\0", 12);
        out.write("data", 4);
        le(dataBytes, 4);
        std::vector<char> chunk(6 * 65536);
        for (uint32_t start = 0; start < kWorkspaceFrames; start += 65536) {
            for (uint32_t i = 0; i < 65536; ++i) {
                const uint32_t word = (start + i) * 2654435761u;
                for (int b = 0; b < 6; ++b) {
                    chunk[6 * i + b] = static_cast<char>(word >> (4 * b));
                }
            }
            out.write(chunk.data(), static_cast<std::streamsize>(
                                        6 * std::min<uint32_t>(65536, kWorkspaceFrames - start)));
        }
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path_.c_str());
            std::abort();
        }
    }
    ~Generated24BitFile() { std::filesystem::remove(path_); }
    const char* Path() const { return path_.c_str(); }

private:
    std::string path_;
};

void BM_ReadWhole24BitSource(benchmark::State& state) {
    static const Generated24BitFile source;
    Workspace ws;
    if (!ws.AddFile(source.Path())) {
        std::fprintf(stderr, "cannot open the 24-bit source\n");
        std::abort();
    }
    ReadWholeWorkspace(state, ws);
}
BENCHMARK(BM_ReadWhole24BitSource)->Unit(benchmark::kMillisecond);

// Times one edit per iteration at a random position in the middle of the workspace; every
// 1000 edits the split workspace is built afresh, untimed, so the segment count stays put.
template <typename Edit>
void RunEdits(benchmark::State& state, Edit edit) {
    const auto segments = static_cast<uint32_t>(state.range(0));
    std::mt19937 rng(1);
    std::uniform_int_distribution<uint32_t> middle(kWorkspaceFrames / 4, kWorkspaceFrames / 2);
    Workspace ws;
    BuildWorkspace(ws, segments);
    ws.CopyFromFile(1000, 1000 + 4096, 0);
    Workspace::State built = ws.Snapshot();
    int sinceBuild = 0;
    for (auto _ : state) {
        // Edits that leave the workspace as it is (the copies) need no new one.
        if (sinceBuild == kEditsPerBuild) {
            if (ws.Snapshot() != built) {
                state.PauseTiming();
                BuildWorkspace(ws, segments);
                ws.CopyFromFile(1000, 1000 + 4096, 0);
                built = ws.Snapshot();
                state.ResumeTiming();
            }
            sinceBuild = 0;
        }
        edit(ws, middle(rng));
        ++sinceBuild;
    }
}

void BM_DeleteRange(benchmark::State& state) {
    RunEdits(state, [](Workspace& ws, uint32_t p) { ws.DeleteRange(p, p + 300); });
}
void BM_CopyRange(benchmark::State& state) {
    RunEdits(state, [](Workspace& ws, uint32_t p) { ws.CopyRange(p, p + 100000); });
}
void BM_CutRange(benchmark::State& state) {
    RunEdits(state, [](Workspace& ws, uint32_t p) { ws.CutRange(p, p + 300); });
}
void BM_PasteAt(benchmark::State& state) {
    RunEdits(state, [](Workspace& ws, uint32_t p) { ws.PasteAt(p); });
}
void BM_CopyFromFile(benchmark::State& state) {
    RunEdits(state, [](Workspace& ws, uint32_t p) { ws.CopyFromFile(p, p + 300, 0); });
}

// One undo and one redo of a cut, in a session whose history holds 1000 steps.
void BM_UndoRedo(benchmark::State& state) {
    EditSession session;
    BuildWorkspace(session.Edits(), static_cast<uint32_t>(state.range(0)));
    std::mt19937 rng(9);
    std::uniform_int_distribution<uint32_t> middle(kWorkspaceFrames / 4, kWorkspaceFrames / 2);
    for (int i = 0; i < 1000; ++i) {
        const uint32_t p = middle(rng);
        session.BeginEdit("Cut", {p, 300});
        session.Edits().CutRange(p, p + 300);
        session.EndEdit({p, 0});
    }
    EditSelection selection;
    for (auto _ : state) {
        session.Undo(selection);
        session.Redo(selection);
        benchmark::DoNotOptimize(selection);
    }
}
BENCHMARK(BM_UndoRedo)->Arg(1)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

#define EDIT_BENCHMARK(name) \
    BENCHMARK(name)->Arg(1)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond)

EDIT_BENCHMARK(BM_DeleteRange);
EDIT_BENCHMARK(BM_CopyRange);
EDIT_BENCHMARK(BM_CutRange);
EDIT_BENCHMARK(BM_PasteAt);
EDIT_BENCHMARK(BM_CopyFromFile);

}  // namespace

BENCHMARK_MAIN();
