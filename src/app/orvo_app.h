// The application object: start-up in order (one copy, the data directory, the Sun table, the
// main window, the documents), the process-wide session, and shutdown.
#pragma once

#include <wx/app.h>
#include <wx/timer.h>

#include <memory>
#include <string>

#include "document/session.h"

class CMainFrame;
class InstanceLink;
class ModalDialogs;
class wxDocManager;
class wxDocument;

class COrvoApp : public wxApp {
  public:
    COrvoApp();
    ~COrvoApp() override;

    bool OnInit() override;
    int OnRun() override;
    int OnExit() override;
    void OnInitCmdLine(wxCmdLineParser& parser) override;
    bool OnCmdLineParsed(wxCmdLineParser& parser) override;
    bool OnCmdLineHelp(wxCmdLineParser& parser) override;

  private:
    bool Fatal(const char* message);
    bool OpenFiles(const wxArrayString& files);
    bool TakeHandOver(const wxArrayString& files);
    void TellNotHandedOver(const wxArrayString& files);
    void HandleEndSignals();
    static void OnEndSignal(int signal);
    void EndBySignal(int signal);
    void KeepModifiedDocuments();
    void CloseAfterSignal();
    void TellKeptDocuments();
    // Where the last-data file is, as bytes.
    std::string DataDirectory() const;
    bool Printing() const { return printOnPrinter_ || printToPdf_; }
    void PrintAndEnd(wxDocument& doc);
    void StartTiming();
    // View > Show seconds, Precise instants and Timeline, for every window, kept in the user's
    // configuration.
    void BindViewToggles();
    void OnAbout(wxCommandEvent& event);
    void OnUpdateLaterCommand(wxUpdateUIEvent& event);

    tarvella::Session session_;
    std::unique_ptr<InstanceLink> instance_;
    std::unique_ptr<ModalDialogs> dialogs_;
    wxDocManager* docManager_ = nullptr;
    // Moves the present moment on in every window, once a minute.
    wxTimer clock_;
    CMainFrame* frame_ = nullptr;
    wxArrayString files_;
    bool splash_ = true;
    bool messagesToStderr_ = false;
    bool timing_ = false;
    bool endAtOnce_ = false;
    bool endingBySignal_ = false;
    int endSignal_ = 0;
    int closeTries_ = 0;
    // Printing without a dialog, then the end of the run.
    bool printOnPrinter_ = false;
    bool printToPdf_ = false;
    wxString pdfPath_;
    int exitCode_ = 0;
};
