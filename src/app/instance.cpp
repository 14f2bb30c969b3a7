#include "app/instance.h"

#include <wx/filename.h>
#include <wx/ipc.h>
#include <wx/log.h>
#include <wx/tokenzr.h>
#include <wx/utils.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace {

const char* const kLockName = ".TarvellaSoftwareFromMorrowgate";
const char* const kTopic = "open";

class HandOverConnection : public wxConnection {
  public:
    explicit HandOverConnection(std::function<void(const wxArrayString&)>& open) : open_(open) {}

    bool OnExecute(const wxString&, const void* data, size_t size, wxIPCFormat format) override {
        const wxArrayString files =
            wxStringTokenize(GetTextFromData(data, size, format), "\n", wxTOKEN_STRTOK);
        // Opened once the socket's event is over: opening may show dialogs.
        wxTheApp->CallAfter([open = open_, files] { open(files); });
        return true;
    }

  private:
    std::function<void(const wxArrayString&)>& open_;
};

class HandOverServer : public wxServer {
  public:
    explicit HandOverServer(std::function<void(const wxArrayString&)> open)
        : open_(std::move(open)) {}

    wxConnectionBase* OnAcceptConnection(const wxString& topic) override {
        return topic == kTopic ? new HandOverConnection(open_) : nullptr;
    }

  private:
    std::function<void(const wxArrayString&)> open_;
};

// The process id written in the lock file; 0 when there is none (yet).
long LockOwner(const wxString& lockPath) {
    std::ifstream in(lockPath.fn_str());
    long pid = 0;
    return in >> pid ? pid : 0;
}

}  // namespace

InstanceLink::InstanceLink() : socketPath_(wxGetHomeDir() + "/" + kLockName + ".socket") {
    const wxString lockPath = wxGetHomeDir() + "/" + kLockName;
    // A copy started at the same moment may have made the lock file without having written its
    // process id yet; the checker then takes neither copy for the running one and both would run.
    // Ask again until the file names a copy, ours or the other's.
    constexpr int kAttempts = 20;
    for (int attempt = 1;; ++attempt) {
        const bool last = attempt == kAttempts;
        {
            std::unique_ptr<wxLogNull> quiet(last ? nullptr : new wxLogNull);
            checker_ = std::make_unique<wxSingleInstanceChecker>(kLockName);
        }
        if (last || checker_->IsAnotherRunning() || !wxFileExists(lockPath)) break;
        if (LockOwner(lockPath) == static_cast<long>(getpid())) break;
        checker_.reset();
        // Still without an id after all this time, the file was left by a copy that died while
        // starting.
        if (attempt == kAttempts - 1 && LockOwner(lockPath) == 0) wxRemoveFile(lockPath);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

InstanceLink::~InstanceLink() = default;

bool InstanceLink::HandOver(const wxArrayString& files) const {
    if (files.empty()) return true;
    wxString text;
    for (const wxString& file : files) {
        wxFileName name(file);
        name.MakeAbsolute();
        text << name.GetFullPath() << '\n';
    }
    wxLogNull quiet;
    wxClient client;
    // The running copy may still be starting and not listen yet.
    for (int attempt = 0; attempt < 20; ++attempt) {
        std::unique_ptr<wxConnectionBase> link(
            client.MakeConnection("localhost", socketPath_, kTopic));
        if (link) {
            const bool sent = link->Execute(text);
            link->Disconnect();
            return sent;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    return false;
}

void InstanceLink::Listen(std::function<void(const wxArrayString&)> open) {
    wxLogNull quiet;
    server_ = std::make_unique<HandOverServer>(std::move(open));
    if (!server_->Create(socketPath_)) server_.reset();
}
