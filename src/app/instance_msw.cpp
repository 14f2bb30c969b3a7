// Windows: the lock is a named mutex, which the system releases when its holder ends, so no lock
// is ever stale; the hand-over goes over DDE, wx's IPC there.
#include <wx/filename.h>
#include <wx/ipc.h>
#include <wx/log.h>
#include <wx/tokenzr.h>

#include <chrono>
#include <thread>

#include "app/instance.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const char* const kMutexName = "TarvellaSoftwareFromMorrowgate";
const char* const kTopic = "open";
// A copy still starting may not listen yet; wx's DDE waits 5 seconds for the answer itself.
constexpr auto kConnectFor = 3s;

class HandOverConnection : public wxConnection {
  public:
    explicit HandOverConnection(std::function<bool(const wxArrayString&)>& open) : open_(open) {}

    // Not confirmed when the files cannot be opened here: the later start then opens them.
    bool OnExec(const wxString&, const wxString& data) override {
        return open_(wxStringTokenize(data, "\n", wxTOKEN_STRTOK));
    }

  private:
    std::function<bool(const wxArrayString&)>& open_;
};

}  // namespace

class HandOverServer : public wxServer {
  public:
    explicit HandOverServer(std::function<bool(const wxArrayString&)> open)
        : open_(std::move(open)) {}

    wxConnectionBase* OnAcceptConnection(const wxString& topic) override {
        return topic == kTopic ? new HandOverConnection(open_) : nullptr;
    }

  private:
    std::function<bool(const wxArrayString&)> open_;
};

InstanceLink::InstanceLink() {
    TakeLock();
}

InstanceLink::~InstanceLink() = default;

void InstanceLink::TakeLock() {
    checker_ = std::make_unique<wxSingleInstanceChecker>(kMutexName);
}

InstanceLink::Outcome InstanceLink::HandOverOrTakeLock(const wxArrayString& files) {
    wxString request;
    for (const wxString& file : files) {
        wxFileName name(file);
        name.MakeAbsolute();
        request << name.GetFullPath() << '\n';
    }
    const auto until = Clock::now() + kConnectFor;
    while (checker_->IsAnotherRunning()) {
        {
            wxLogNull quiet;
            wxClient client;
            if (wxConnectionBase* link = client.MakeConnection("", kMutexName, kTopic)) {
                const bool taken = link->Execute(request);
                link->Disconnect();
                delete link;
                if (taken) return Outcome::HandedOver;
            }
        }
        if (Clock::now() >= until) return Outcome::NoAnswer;
        std::this_thread::sleep_for(100ms);
        // The holder may have ended meanwhile, and its mutex with it.
        checker_.reset();
        TakeLock();
    }
    return Outcome::Run;
}

std::string InstanceLink::Listen(std::function<bool(const wxArrayString&)> open) {
    wxLogNull quiet;
    server_ = std::make_unique<HandOverServer>(std::move(open));
    if (server_->Create(kMutexName)) return {};
    server_.reset();
    return "Tarvella cannot take hand-overs: a later start cannot hand its charts to this one.";
}

void InstanceLink::StopListening() {
    server_.reset();
}
