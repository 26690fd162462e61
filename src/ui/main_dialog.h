#pragma once

// The main window: the one open program (its file path and its settings in words) and
// every command: New, Open, Edit, Generate (which reads "Stop!" while a run goes on),
// Test (the open program's own start page), Upload, Help, About and Exit. It runs a
// generation on a worker thread, shows the worker's status line and progress while it
// runs and the run's summary line with a link to the site after it, and saves the
// program after each run and after OK in the property sheet (asking first when the file
// was changed on disk meanwhile). "Stop!" asks the run to stop and returns; the window
// leaves the running state when the run's end arrives. Closing during a run asks it to
// stop and closes when it has ended, or after 20 seconds without it (the run is then
// left behind); the window remembers the open program and its own place. Escape does
// not close it.
//
// GUI thread only; it never waits for the worker. The program and the run's stop flag
// live as long as the window or a worker that still uses them, whichever is longer; the
// worker reaches the window only through a receiver that the window detaches when it
// closes.

#include <QFont>
#include <memory>
#include <string>

#include "document/program_file_lock.h"
#include "platform/date_time.h"
#include "platform/result.h"
#include "ui/vq_dialog.h"
#include "ui/window_work.h"
#include "ui/worker_events.h"

namespace Ui {
class MainDialog;
}

class Program;
struct GenerationSummary;

enum class UiState { NoProgram, Loaded, Running };

// What a start sequence without a program on the command line does after the Welcome
// dialog: kWelcomeNew and kWelcomeOpen become New and Open, anything else opens the last
// program.
enum class PendingCommand { None, New, Open };

class CMavrenMainDialog final : public CVQDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenMainDialog)

  public:
    explicit CMavrenMainDialog(QWidget* parent = nullptr);
    ~CMavrenMainDialog() override;

    // The program named on the command line; set before the window opens.
    void SetCommandLinePath(const std::string& path) { m_commandLinePath = path; }

    // Opens a program file into the window: Loaded and true, or NoProgram and false when
    // path is empty or the file cannot be loaded.
    bool LoadProgramFile(const std::string& path);

    void SetUiState(UiState state);

    const Program& OpenProgram() const { return *m_program; }

  protected:
    bool OnInitDialog() override;
    // Enter is taken by the default button (Edit); OK itself does nothing.
    void accept() override;
    // Escape does nothing: the window lives as long as the program, and a stray key must
    // not end it. Exit and the close box still close it.
    void keyPressEvent(QKeyEvent* event) override;
    // The closing sequence, whichever way the window closes.
    void done(int result) override;
    void customEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // A worker message other than a failure box (m_workerBoxes shows those).
    void HandleWorkerMessage(const WorkerMessage& message);
    void ConnectCommands();
    void RunPendingCommand(PendingCommand command);
    void Refresh();
    // The summary line of the run just ended and a link to its start page, after a run that
    // finished; nothing after one that was stopped or ended after a message.
    void ShowRunResult();
    // Gives the run's line the height its text needs at its width, so that the window grows
    // rather than the layout laying the line over the settings list, which keeps its height.
    void FitRunResult();
    // Saves the whole program, first asking when its file changed on disk since it was
    // loaded or saved here (a set at the command line, another copy of Mavren).
    void SaveProgramFile();
    // Saves the whole program without that question: a new program's file.
    void WriteProgramFile();
    // Writes what a run recorded (Last-Generated) alone into the file as it is on disk.
    void SaveRunOutcome();
    // Saves the whole program and remembers the file's stamp; the caller holds the lock.
    Result SaveAndStamp();
    void ReportUnlessSaved(const Result& saved);

    void OnGenerate();
    void StartRun();
    // The window's part of a run's end: the buttons, the run's outcome saved and shown.
    void OnRunEnded();
    // The rest of the closing sequence, once no run holds the close back.
    void FinishClose();
    void OnTest();
    void OnEdit();
    void OnUpload();
    void OnAbout();
    void OnNew();
    void OnOpen();
    void OnExit();

    // How long a close waits for a stopped run before it leaves the run behind.
    static constexpr int kStopWaitMilliseconds = 20000;

    const std::unique_ptr<Ui::MainDialog> m_ui;
    std::string m_commandLinePath;
    std::shared_ptr<Program> m_program;
    std::shared_ptr<QtWorkerReceiver> m_receiver;
    WorkerBoxQueue m_workerBoxes;
    std::shared_ptr<GenerationSummary> m_runSummary;  // filled by the worker of the last run
    WindowWork m_work;
    int m_closeResult = 0;
    QFont m_titleFont;
    std::string m_summaryText;
    std::string m_nameText;
    ProgramFileStamp m_fileStamp;    // the program file as last loaded or saved here
    OleDate m_generatedAtStart = 0;  // Last-Generated when the last run started
};
