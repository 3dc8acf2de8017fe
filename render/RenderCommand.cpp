#include "render/RenderCommand.h"

#include <algorithm>
#include <cctype>

#include "audio/Workspace.h"
#include "plugins/PluginHost.h"
#include "render/WorkspaceRenderer.h"
#include "session/SessionFile.h"

namespace {

bool IsSessionPath(const std::string& path) {
    constexpr std::string_view kExtension = ".orvane";
    if (path.size() < kExtension.size()) {
        return false;
    }
    return std::equal(
        kExtension.begin(), kExtension.end(), path.end() - kExtension.size(),
        [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

// The workspace INPUT describes: a WAV file alone, or a saved session's files and edits.
bool OpenInput(const std::string& input, Workspace& workspace, std::string& error) {
    if (IsSessionPath(input)) {
        WorkspaceState state;
        if (!session_file::Load(input, workspace, state, error)) {
            return false;  // the error names the session or the source at fault
        }
        workspace.Replace(std::move(state));
        return true;
    }
    std::string why;
    if (!workspace.AddFile(input.c_str(), &why)) {
        error = input + ": " + why;
        return false;
    }
    return true;
}

}  // namespace

int RunRenderCommand(const std::string& output, const std::string& input, std::string& error) {
    Workspace workspace;
    if (!OpenInput(input, workspace, error)) {
        return 1;
    }
    // Writing the output over a source would destroy the very frames being read.
    const platform::FileIdentity target = platform::IdentityOf(output.c_str());
    for (uint32_t i = 0; target.IsKnown() && i < workspace.FileCount(); ++i) {
        if (target == workspace.File(i)->Identity()) {
            error = output + ": it is " +
                    (IsSessionPath(input) ? "a source file" : "the input file") +
                    "; Orvane never writes over its sources";
            return 1;
        }
    }
    PluginHost host(&workspace);
    host.Configure(workspace.SampleRate(), PluginHost::kBlockBytes, "");
    const RenderResult result =
        WorkspaceRenderer(host, workspace).Render(output, [](uint32_t) { return true; });
    if (result.outcome != RenderOutcome::kDone) {
        error = output + ": " + result.reason;
        return 1;
    }
    return 0;
}
