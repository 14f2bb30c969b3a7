// One running copy per user: a later start hands the files named on its command line to the
// copy that runs, over a local socket beside the lock file (in the runtime directory when the
// home is too long for a socket address), and ends.
//
// The hand-over is each absolute path followed by a NUL byte, then a NUL byte that ends the list
// (a file name may hold a newline, never a NUL); the running copy answers "ok" and a newline.
#pragma once

#include <wx/arrstr.h>
#include <wx/snglinst.h>

#include <functional>
#include <memory>
#include <string>

class HandOverServer;

class InstanceLink {
  public:
    enum class Outcome {
        Run,         // this copy holds the lock and runs
        HandedOver,  // the running copy took the files
        NoAnswer,    // a copy is there but did not answer in time; the files were not opened
        NoLock,      // the lock cannot be taken here (LockProblem says why): running would risk
                     // a second copy beside the first
    };

    InstanceLink();
    ~InstanceLink();

    // Hands `files` (possibly none) to the copy that holds the lock. A lock whose holder does
    // not answer as this program is stale: it is taken over, and the outcome is Run.
    Outcome HandOverOrTakeLock(const wxArrayString& files);
    // Why the lock cannot be taken, after NoLock: "it is a folder".
    const std::string& LockProblem() const { return lockProblem_; }
    wxString LockPath() const { return lockPath_; }

    // In the running copy: `open` receives the files that later copies hand over, and returns
    // false when it can no longer open them. Empty when it listens; else why it cannot, with
    // where, in a sentence.
    std::string Listen(std::function<bool(const wxArrayString&)> open);
    // No more hand-overs, and the socket is gone.
    void StopListening();

  private:
    void TakeLock();

    std::unique_ptr<wxSingleInstanceChecker> checker_;
    wxString lockPath_;
    wxString socketPath_;
    std::unique_ptr<HandOverServer> server_;
    // This copy's own locked descriptor of the lock file, kept until it ends; -1 without one.
    int lockFd_ = -1;
    // Another copy keeps making the lock file and never names itself in it.
    bool holderSilent_ = false;
    std::string lockProblem_;
};
