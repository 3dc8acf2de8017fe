#include "render/RenderCommand.h"

#include "audio/Workspace.h"
#include "plugins/PluginHost.h"
#include "render/WorkspaceRenderer.h"

int RunRenderCommand(const std::string& output, const std::string& input, std::string& error) {
    Workspace workspace;
    std::string why;
    if (!workspace.AddFile(input.c_str(), &why)) {
        error = input + ": " + why;
        return 1;
    }
    // Writing the output over the input would destroy the very frames being read.
    const platform::FileIdentity target = platform::IdentityOf(output.c_str());
    if (target.IsKnown() && target == workspace.File(0)->Identity()) {
        error = output + ": it is the input file; Orvane never writes over its sources";
        return 1;
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
