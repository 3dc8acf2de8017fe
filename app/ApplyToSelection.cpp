#include "app/ApplyToSelection.h"

#include <wx/progdlg.h>
#include <wx/time.h>

#include "platform/gui/MessageBox.h"
#include "plugins/PluginHost.h"
#include "render/SelectionRender.h"
#include "resources/Strings.h"
#include "session/EditSession.h"

namespace {

constexpr int kSteps = 1000;             // the bar's range
constexpr long kRepaintIntervalMs = 50;  // how often the bar follows the render

void Tell(wxWindow* parent, const wxString& text, platform::MessageIcon icon) {
    platform::ShowMessageBox(
        parent, {text, str::Text(str::kAppTitle), platform::MessageButtons::kOk, icon});
}

bool AnyEffectActive(PluginHost& host) {
    for (size_t i = 0; i < host.Chain().Size(); ++i) {
        if (!host.Chain().At(i).Bypassed()) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string RenderSelectionForApply(wxWindow* parent, EditSession& session, PluginHost& host,
                                    uint32_t first, uint32_t count) {
    if (!AnyEffectActive(host)) {
        Tell(parent, "No effect is active: there is nothing to apply to the selection.",
             platform::MessageIcon::kInformation);
        return {};
    }
    std::string why;
    const std::string path = session.Owned().Create(session.Path(), "applied", why);
    if (path.empty()) {
        Tell(parent, wxString::Format("Cannot apply the effects: %s.", wxString::FromUTF8(why)),
             platform::MessageIcon::kError);
        return {};
    }
    RenderResult result;
    {
        wxProgressDialog dialog(
            "Applying Effects", "Applying the effects to the selection...", kSteps, parent,
            wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_ELAPSED_TIME | wxPD_AUTO_HIDE);
        long lastUpdate = 0;
        bool going = true;
        result = RenderSelection(host, session.Edits(), first, count, path, [&](uint32_t frame) {
            // Update paints and takes Cancel; now and then is enough.
            const long now = wxGetLocalTimeMillis().ToLong();
            if (now - lastUpdate >= kRepaintIntervalMs) {
                lastUpdate = now;
                const auto share = count == 0 ? 0 : int(uint64_t{frame} * kSteps / count);
                going = dialog.Update(std::min(share, kSteps - 1));
            }
            return going;
        });
    }
    if (result.outcome != RenderOutcome::kDone) {
        session.Owned().Discard(path);
        if (result.outcome != RenderOutcome::kCancelled) {
            Tell(parent,
                 wxString::Format("Cannot apply the effects: %s. The selection is unchanged.",
                                  wxString::FromUTF8(result.reason)),
                 platform::MessageIcon::kError);
        }
        return {};
    }
    return path;
}
