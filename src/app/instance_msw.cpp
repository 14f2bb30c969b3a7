// Windows: the hand-over goes over DDE, wx's IPC there, under the lock's name.
// wx/ipc.h takes DDE only where wx/defs.h has told it the platform first; included on its own it
// takes TCP, whose server takes the lock's name for a port it cannot resolve and listens where no
// later start ever finds it.
#include <wx/defs.h>
#include <wx/ipc.h>
#include <wx/log.h>
#include <wx/tokenzr.h>

#if !wxUSE_DDE_FOR_IPC
#error "the hand-over must go over DDE: include wx/defs.h before wx/ipc.h"
#endif

#include "app/file_names.h"
#include "app/instance.h"

namespace {

const char* const kTopic = "open";

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

}  // namespace

// Windows file names hold no newline: over DDE they go one a line.
bool InstanceLink::HandOverByIpc(const std::vector<std::string>& files) {
    wxString request;
    for (const std::string& file : files) {
        request << tarvella::app::FileNameFromBytes(file) << '\n';
    }
    wxLogNull quiet;
    wxClient client;
    wxConnectionBase* link = client.MakeConnection("", tarvella::LockName(), kTopic);
    if (!link) return false;
    const bool taken = link->Execute(request);
    link->Disconnect();
    delete link;
    return taken;
}

std::string InstanceLink::Listen(std::function<bool(const wxArrayString&)> open) {
    wxLogNull quiet;
    auto server = std::make_unique<HandOverServer>(std::move(open));
    if (!server->Create(tarvella::LockName())) {
        return "Tarvella cannot take hand-overs: a later start cannot hand its charts to this one.";
    }
    server_ = std::move(server);
    return {};
}
