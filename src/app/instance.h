// One running copy per user: a later start hands the files named on its command line to the
// copy that runs, over a local socket beside the lock file, and ends.
#pragma once

#include <wx/arrstr.h>
#include <wx/snglinst.h>

#include <functional>
#include <memory>

class wxServerBase;

class InstanceLink {
  public:
    InstanceLink();
    ~InstanceLink();

    bool AnotherIsRunning() const { return checker_->IsAnotherRunning(); }

    // In the later copy: gives the files to the running copy; false when it could not be reached.
    bool HandOver(const wxArrayString& files) const;

    // In the running copy: `open` receives the files that later copies hand over.
    void Listen(std::function<void(const wxArrayString&)> open);

  private:
    std::unique_ptr<wxSingleInstanceChecker> checker_;
    wxString socketPath_;
    std::unique_ptr<wxServerBase> server_;
};
