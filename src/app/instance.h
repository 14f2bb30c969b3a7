// One running copy per user: the toolkit's side of the protocol of instance/running_copy.h, its
// single-instance check and its IPC.
#pragma once

#include <wx/arrstr.h>
#include <wx/object.h>
#include <wx/snglinst.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "instance/running_copy.h"

class InstanceLink {
  public:
    using Outcome = tarvella::LinkOutcome;

    InstanceLink();
    ~InstanceLink();

    // Hands `files` (possibly none) to the copy that holds the lock. A lock whose holder does
    // not answer as this program is stale: it is taken over, and the outcome is Run.
    Outcome HandOverOrTakeLock(const wxArrayString& files);
    // Why the lock cannot be taken, after NoLock: "it is a folder".
    const std::string& LockProblem() const { return lock_->Problem(); }
    wxString LockPath() const { return lockPath_; }

    // In the running copy: `open` receives the files that later copies hand over, and returns
    // false when it can no longer open them. Empty when it listens; else why it cannot, with
    // where, in a sentence.
    std::string Listen(std::function<bool(const wxArrayString&)> open);
    // No more hand-overs, and the listener is gone.
    void StopListening();

  private:
    tarvella::ToolkitChecks Checks();
    // Where the toolkit's IPC carries the hand-over itself (DDE on Windows); true when the files
    // were taken.
    static bool HandOverByIpc(const std::vector<std::string>& files);

    std::unique_ptr<wxSingleInstanceChecker> checker_;
    wxString lockPath_;
    std::unique_ptr<tarvella::SystemLockWorld> world_;
    std::unique_ptr<tarvella::RunningCopyLock> lock_;
    // The platform's listener.
    std::unique_ptr<wxObject> server_;
};
