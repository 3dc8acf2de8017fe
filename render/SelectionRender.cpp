#include "render/SelectionRender.h"

#include "audio/Workspace.h"

namespace {

// Narrows the workspace to a range for as long as it lives, then puts the whole back.
class NarrowedWorkspace {
public:
    NarrowedWorkspace(Workspace& ws, uint32_t first, uint32_t count)
        : workspace(ws), whole(ws.Snapshot()) {
        WorkspaceState range;
        range.files = whole->files;  // the same files: their peak tables stay
        range.segments = whole->segments.Slice(first, uint64_t{first} + count);
        workspace.Restore(std::make_shared<const WorkspaceState>(std::move(range)));
    }
    ~NarrowedWorkspace() { workspace.Restore(whole); }
    NarrowedWorkspace(const NarrowedWorkspace&) = delete;
    NarrowedWorkspace& operator=(const NarrowedWorkspace&) = delete;

private:
    Workspace& workspace;
    const Workspace::State whole;
};

}  // namespace

RenderResult RenderSelection(PluginHost& host, Workspace& workspace, uint32_t first, uint32_t count,
                             const std::string& path, const WorkspaceRenderer::Progress& progress) {
    if (uint64_t{first} + count > workspace.TotalLength()) {
        return {RenderOutcome::kTooLong, "the selection reaches past the end of the workspace"};
    }
    const NarrowedWorkspace narrowed(workspace, first, count);
    RenderOptions options;
    options.format = RenderFormat::kWav16;  // what the workspace's files hold
    return WorkspaceRenderer(host, workspace).Render(path, progress, options);
}
