#include "view/RateConversionDialog.h"

#include <wx/filename.h>
#include <wx/progdlg.h>
#include <wx/utils.h>

#include <atomic>
#include <thread>

#include "audio/WaveFile.h"
#include "platform/gui/MessageBox.h"
#include "resources/Strings.h"
#include "session/EditSession.h"
#include "session/RangeConversion.h"

namespace {

constexpr int kSteps = 1000;  // the bar's range
constexpr int kPollMs = 40;   // how often the bar follows the worker

void ShowError(wxWindow* parent, const wxString& text) {
    platform::ShowMessageBox(parent,
                             {text, str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                              platform::MessageIcon::kError});
}

}  // namespace

std::string ConvertRangeForPaste(wxWindow* parent, EditSession& session,
                                 std::shared_ptr<const WaveFile> file, uint32_t first,
                                 uint32_t count) {
    const wxString name = wxFileName(wxString::FromUTF8(file->Path())).GetFullName();
    const uint32_t rate = session.Edits().SampleRate();
    std::string why;
    const std::string stem = wxFileName(wxString::FromUTF8(file->Path())).GetName().utf8_string();
    const std::string path = session.Owned().Create(session.Path(), stem, why);
    if (path.empty()) {
        ShowError(parent,
                  wxString::Format("Cannot convert %s: %s.", name, wxString::FromUTF8(why)));
        return {};
    }
    const uint32_t fileRate = file->SampleRate();
    RangeConversion job(std::move(file), first, count, rate, path);
    std::atomic<int> done{0};
    std::atomic<bool> cancel{false};
    std::atomic<bool> finished{false};
    bool converted = false;
    // The conversion runs beside the dialog, which keeps drawing and takes Cancel.
    std::thread worker([&] {
        converted = job.Run([&](double share) {
            done.store(static_cast<int>(share * kSteps));
            return !cancel.load();
        });
        finished.store(true);
    });
    {
        wxProgressDialog dialog(
            "Converting Sample Rate",
            wxString::Format("Converting %s from %u Hz to %u Hz...", name, fileRate, rate), kSteps,
            parent, wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_ELAPSED_TIME | wxPD_AUTO_HIDE);
        while (!finished.load()) {
            if (!dialog.Update(std::min(done.load(), kSteps - 1))) {
                cancel.store(true);
            }
            wxMilliSleep(kPollMs);
        }
    }
    worker.join();
    if (!converted) {
        session.Owned().Discard(path);
        if (!job.Failure().empty()) {
            ShowError(parent, wxString::Format("Cannot convert %s: %s. Nothing was pasted.", name,
                                               wxString::FromUTF8(job.Failure())));
        }
        return {};
    }
    return path;
}
