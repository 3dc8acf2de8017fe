// Orvane's entry point: answers --help, --version, --render and --analyze without a display (the
// toolkit is never started for them), then starts the toolkit on X11 (plug-in editors need
// X11 window ids, also on a Wayland desktop).

#include <wx/init.h>

#include <cstdio>
#include <cstdlib>

#include "app/AnalyzeCommand.h"
#include "app/CommandLine.h"
#include "app/EditorApp.h"
#include "app/PluginCatalogCommand.h"
#include "platform/PartFiles.h"
#include "render/RenderCommand.h"

int main(int argc, char** argv) {
    const CommandLine line = CommandLine::Parse(argc, argv);
    if (!line.error.empty()) {
        std::fprintf(stderr, "orvane: %s\n%s", line.error.c_str(), CommandLine::Usage().c_str());
        return 2;
    }
    if (line.showHelp) {
        std::fputs(CommandLine::Usage().c_str(), stdout);
        return 0;
    }
    if (line.showVersion) {
        std::fputs(CommandLine::Version().c_str(), stdout);
        return 0;
    }
    // Temporary files that killed runs left beside their targets (a render, a session save).
    platform::part_files::RemoveStale();
    if (line.render) {
        std::string error;
        const int status = RunRenderCommand(line.renderOutput, line.files.front(), line.effects,
                                            line.renderSettings, error);
        if (status != 0) {
            std::fprintf(stderr, "orvane: %s\n", error.c_str());
        }
        return status;
    }
    if (line.analyze) {
        return RunAnalyzeCommand(line.files.front(), stdout, stderr);
    }
    if (line.listPlugins || line.rescan) {
        return RunPluginCatalogCommand(line.rescan, line.listPlugins, stdout, stderr);
    }
    setenv("GDK_BACKEND", "x11", 1);
    // GDK would set up OpenGL before the first window to choose its visuals: a quarter of a
    // second with a software renderer, although nothing of ours draws with it (plug-in editors
    // that draw with OpenGL do so on X connections of their own). A GDK_GL the user set wins.
    setenv("GDK_GL", "disable", 0);
    wxApp::SetInstance(new EditorApp(line));
    int toolkitArgc = 1;  // the files are ours, not the toolkit's
    return wxEntry(toolkitArgc, argv);
}
