#include "app/instance.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/utils.h>

#include <vector>

#include "app/file_names.h"

InstanceLink::InstanceLink() {
    wxString runtime;
    wxGetEnv("XDG_RUNTIME_DIR", &runtime);
    const std::string home = tarvella::app::FileNameBytes(wxGetHomeDir());
    lockPath_ = tarvella::app::FileNameFromBytes(tarvella::LockPlace(home));
    world_ = std::make_unique<tarvella::SystemLockWorld>(
        home, tarvella::app::FileNameBytes(runtime), Checks());
    lock_ = std::make_unique<tarvella::RunningCopyLock>(*world_);
}

InstanceLink::~InstanceLink() {
    server_.reset();
    // The check removes the lock file by its name; after a later start took over a lock we had
    // stopped answering on, that file is the other copy's.
    if (checker_ && !checker_->IsAnotherRunning() && !world_->OwnsLockFile()) {
        static_cast<void>(checker_.release());
    }
    checker_.reset();
}

tarvella::ToolkitChecks InstanceLink::Checks() {
    tarvella::ToolkitChecks checks;
    checks.check = [this](bool quiet) {
        std::unique_ptr<wxLogNull> silence(quiet ? new wxLogNull : nullptr);
        checker_ = std::make_unique<wxSingleInstanceChecker>(tarvella::LockName());
        return checker_->IsAnotherRunning();
    };
    checks.drop = [this] { checker_.reset(); };
    checks.handOver = HandOverByIpc;
    return checks;
}

InstanceLink::Outcome InstanceLink::HandOverOrTakeLock(const wxArrayString& files) {
    std::vector<std::string> paths;
    for (const wxString& file : files) {
        wxFileName name(file);
        name.MakeAbsolute();
        paths.push_back(tarvella::app::FileNameBytes(name.GetFullPath()));
    }
    return lock_->HandOverOrTakeLock(tarvella::HandOverRequest(paths));
}

void InstanceLink::StopListening() {
    server_.reset();
}
