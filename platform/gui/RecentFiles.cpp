#include "platform/gui/RecentFiles.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <utility>

namespace platform {

namespace {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using Manager = std::unique_ptr<GtkRecentManager, GObjectUnref>;

// A manager of its own on the list's file (GTK's default one would keep the data directory it
// saw first). Dropping it writes what was added.
Manager OpenList() {
    const std::filesystem::path file = RecentFiles::ListFile();
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    return Manager(GTK_RECENT_MANAGER(
        g_object_new(GTK_TYPE_RECENT_MANAGER, "filename", file.c_str(), nullptr)));
}

}  // namespace

RecentFiles::RecentFiles(std::string name, std::string exec)
    : appName(std::move(name)), appExec(std::move(exec)) {}

std::string RecentFiles::ListFile() {
    std::filesystem::path dataHome;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
        dataHome = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        dataHome = std::filesystem::path(home) / ".local" / "share";
    } else {
        dataHome = g_get_user_data_dir();
    }
    return (dataHome / "recently-used.xbel").string();
}

bool RecentFiles::Add(const std::string& path, const std::string& mimeType) const {
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (uri == nullptr) {
        return false;  // not an absolute path
    }
    GtkRecentData data{};
    data.mime_type = const_cast<gchar*>(mimeType.c_str());
    data.app_name = const_cast<gchar*>(appName.c_str());
    data.app_exec = const_cast<gchar*>(appExec.c_str());
    const Manager manager = OpenList();
    const bool added = gtk_recent_manager_add_full(manager.get(), uri, &data);
    g_free(uri);
    return added;
}

std::vector<std::string> RecentFiles::List(size_t limit) const {
    // Read as GTK keeps it, through GLib's reader of the same file: its times carry the
    // microseconds that put files opened within one second in order.
    GBookmarkFile* list = g_bookmark_file_new();
    std::vector<std::pair<int64_t, std::string>> found;
    if (g_bookmark_file_load_from_file(list, ListFile().c_str(), nullptr)) {
        gchar** uris = g_bookmark_file_get_uris(list, nullptr);
        for (gchar** uri = uris; *uri != nullptr; ++uri) {
            GDateTime* used = nullptr;
            if (!g_bookmark_file_has_application(list, *uri, appName.c_str(), nullptr) ||
                !g_bookmark_file_get_application_info(list, *uri, appName.c_str(), nullptr, nullptr,
                                                      &used, nullptr)) {
                continue;
            }
            const int64_t when =
                g_date_time_to_unix(used) * 1'000'000 + g_date_time_get_microsecond(used);
            g_date_time_unref(used);
            if (gchar* file = g_filename_from_uri(*uri, nullptr, nullptr)) {
                std::error_code ignored;
                if (std::filesystem::is_regular_file(file, ignored)) {
                    found.emplace_back(when, file);
                }
                g_free(file);
            }
        }
        g_strfreev(uris);
    }
    g_bookmark_file_free(list);
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::string> paths;
    for (size_t i = 0; i < found.size() && i < limit; ++i) {
        paths.push_back(found[i].second);
    }
    return paths;
}

}  // namespace platform
