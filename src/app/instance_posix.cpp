// POSIX: the running copy listens on a local socket through wx's socket events.
#include <wx/log.h>
#include <wx/socket.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

#include "app/file_names.h"
#include "app/instance.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// For how long the running copy waits on a later start that sends nothing.
constexpr auto kClientPatience = 10s;

// The running copy's end of the socket: driven by socket events, so that a later start that
// sends nothing, or too much, never holds up the program.
class HandOverServer : public wxEvtHandler {
  public:
    explicit HandOverServer(std::function<bool(const wxArrayString&)> open)
        : open_(std::move(open)), timer_(this) {
        Bind(wxEVT_SOCKET, &HandOverServer::OnServerEvent, this, kServerId);
        Bind(wxEVT_SOCKET, &HandOverServer::OnClientEvent, this, kClientId);
        Bind(wxEVT_TIMER, &HandOverServer::OnTimer, this);
    }

    ~HandOverServer() override {
        timer_.Stop();
        for (Client& client : clients_) client.socket->Destroy();
        // The socket file goes after the server, with `made_`.
        if (server_) server_->Destroy();
    }

    // Empty when it listens; else why it cannot.
    std::string Create(const std::string& path) {
        if (std::string problem = tarvella::PrepareHandOverPlace(path); !problem.empty()) {
            return problem;
        }
        wxUNIXaddress address;
        address.Filename(tarvella::app::FileNameFromBytes(path));
        int error = 0;
        {
            // Only this user may connect.
            tarvella::OwnerOnlyFiles privately;
            errno = 0;
            server_ = new wxSocketServer(address, wxSOCKET_NOWAIT);
            error = errno;
        }
        made_ = std::make_unique<tarvella::MadeHandOverPlace>(path);
        if (!server_->IsOk() || !made_->Exists()) {
            server_->Destroy();
            server_ = nullptr;
            made_.reset();
            return error != 0 ? tarvella::ErrorText(error) : "the socket could not be made";
        }
        server_->SetEventHandler(*this, kServerId);
        server_->SetNotify(wxSOCKET_CONNECTION_FLAG);
        server_->Notify(true);
        return {};
    }

  private:
    enum { kServerId = 1, kClientId };

    struct Client {
        wxSocketBase* socket;
        std::string input;
        Clock::time_point since;
    };

    void OnServerEvent(wxSocketEvent&) {
        wxSocketBase* socket = server_->Accept(false);
        if (!socket) return;
        socket->SetFlags(wxSOCKET_NOWAIT);
        socket->SetEventHandler(*this, kClientId);
        socket->SetNotify(wxSOCKET_INPUT_FLAG | wxSOCKET_LOST_FLAG);
        socket->Notify(true);
        clients_.push_back({socket, {}, Clock::now()});
        if (!timer_.IsRunning()) timer_.Start(1000);
    }

    void OnClientEvent(wxSocketEvent& event) {
        auto it = std::find_if(clients_.begin(), clients_.end(),
                               [&](const Client& c) { return c.socket == event.GetSocket(); });
        if (it == clients_.end()) return;
        if (event.GetSocketEvent() == wxSOCKET_LOST) {
            Drop(it);
            return;
        }
        char bytes[4096];
        std::size_t got = 0;
        do {
            it->socket->Read(bytes, sizeof bytes);
            got = it->socket->LastReadCount();
            it->input.append(bytes, got);
        } while (got == sizeof bytes && it->input.size() <= tarvella::kMaxHandOverRequest);
        const tarvella::HandOverRead read = tarvella::ReadHandOverRequest(it->input);
        if (read.state == tarvella::HandOverRead::State::Partial) return;
        // A later start that gave up waiting (this copy was stopped, say) has told the user that
        // these files were not opened.
        if (read.state == tarvella::HandOverRead::State::TooLong ||
            tarvella::SenderGone(static_cast<long long>(it->socket->GetSocket()))) {
            Drop(it);
            return;
        }
        wxArrayString files;
        for (const std::string& file : read.files) {
            files.push_back(tarvella::app::FileNameFromBytes(file));
        }
        // Not answered when the files cannot be opened here: the later start then opens them.
        if (open_(files)) {
            it->socket->Write(tarvella::kHandOverAnswer.data(), tarvella::kHandOverAnswer.size());
        }
        Drop(it);
    }

    void OnTimer(wxTimerEvent&) {
        const auto now = Clock::now();
        for (auto it = clients_.begin(); it != clients_.end();) {
            if (now - it->since > kClientPatience) {
                it = Drop(it);
            } else {
                ++it;
            }
        }
        if (clients_.empty()) timer_.Stop();
    }

    std::vector<Client>::iterator Drop(std::vector<Client>::iterator it) {
        it->socket->Destroy();
        return clients_.erase(it);
    }

    std::function<bool(const wxArrayString&)> open_;
    std::unique_ptr<tarvella::MadeHandOverPlace> made_;
    wxSocketServer* server_ = nullptr;
    std::vector<Client> clients_;
    wxTimer timer_;
};

}  // namespace

// The later start asks over the socket itself.
bool InstanceLink::HandOverByIpc(const std::vector<std::string>&) {
    return false;
}

std::string InstanceLink::Listen(std::function<bool(const wxArrayString&)> open) {
    wxLogNull quiet;
    wxString runtime;
    wxGetEnv("XDG_RUNTIME_DIR", &runtime);
    const std::string place = tarvella::HandOverPlace(tarvella::app::FileNameBytes(wxGetHomeDir()),
                                                      tarvella::app::FileNameBytes(runtime), true);
    auto server = std::make_unique<HandOverServer>(std::move(open));
    const std::string problem = server->Create(place);
    if (problem.empty()) {
        server_ = std::move(server);
        return {};
    }
    return "Tarvella cannot listen at \"" +
           std::string(tarvella::app::FileNameFromBytes(place).utf8_str()) + "\": " + problem +
           "; a later start cannot hand its charts to this one.";
}
