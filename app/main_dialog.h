// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QStringList>
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "desktop_shell.h"
#include "dialog_template.h"
#include "drive_rescue.h"
#include "engine/host.h"
#include "engine/recovery_run.h"
#include "lowered_speeds.h"
#include "platform/audio_tracks.h"
#include "platform/drive_discovery.h"
#include "platform/drive_map.h"
#include "responsive_volume.h"
#include "ui/bmp_menu_owner.h"

class QTreeWidget;

namespace orlenta {

class CBmpMenu;
class CHoverButton;
class CShadedProgressCtrl;
class LogList;
class SkinnedWindow;

// What the main window needs from the machine it runs on.
struct MainDialogSetup {
  std::string settingsPath;        // the settings file
  DriveDiscoveryPaths drivePaths;  // where the drives are looked for
  DesktopShell* shell = nullptr;   // message boxes, opening files, starting programs
};

// The one window of the program: the drive tree, the log list, the progress bar and the
// command buttons. It is also the host of the recovery run that Start begins, so the run
// shows its progress, its log lines and its messages here.
class CMainDialog : public QDialog, public BmpMenuOwner, private RunHost {
  Q_OBJECT

 public:
  explicit CMainDialog(MainDialogSetup setup, QWidget* parent = nullptr);
  ~CMainDialog() override;

  // Initialises the window and runs it until it is closed. Returns QDialog::Rejected when
  // the program was told to end while initialising.
  int DoModal();

  // Everything between construction and showing the window, in its fixed order. False
  // when the settings could not be loaded (the process has then been told to end).
  bool OnInitDialog();

  // The control with id `id`.
  QWidget* Control(ControlId id) const;
  const SkinnedWindow& Skin() const { return *skin_; }

  int CurrentLanguage() const { return languageIndex_; }
  const RecoveryRun& Run() const { return run_; }
  bool IsRunning() const { return running_; }

 public slots:
  void RunRecovery();
  void OnStop();
  void ShowMediaProperties();
  void OnHelp();
  void OnSettings();
  void OnExit();
  // Pops up the language menu beside the mouse (beside the globe when opened from the
  // keyboard), the current language marked; a click on the globe while it is up closes it.
  void OnLanguageButton();
  // What choosing language `n` (1..6) from the language menu does.
  void OnLanguageCommand(int n);
  // A command chosen from the language menu, once the menu has closed.
  void OnMenuCommand(int id) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void CreateControls();
  void PlaceControl(QWidget* control, ControlId id);
  void PrepareProgressBar();
  bool LoadSettings();
  void PrepareButtons();
  void PrepareButton(CHoverButton* button, unsigned strip, const char* tip);
  void BuildDriveTree();
  // What the log shows once the tree is filled again: the selected drive's figures, or,
  // straight after a run, still the run's lines.
  enum class LogAfterRefill { kSelectedDrive, kKeepRunLines };
  // Reads the drive map again and refills the tree, the selected drive kept selected.
  void RefillDriveTree(LogAfterRefill log = LogAfterRefill::kSelectedDrive);
  // confyg, started from Settings, has ended: the drive map may have changed.
  void OnSettingsEnded();
  void ShowHelpNotOpened(const QString& page);
  QStringList NoDriveHint() const;  // the lines the log shows when there is no drive
  bool PointerOverGlobe() const;
  QPoint LanguageMenuAnchor() const;
  bool ReadingADrive() const { return running_ || figuresPending_ > 0; }
  void ApplyLanguage(int n);
  void OnOK() {}
  // Before a run: keeps the image of the disc in the selected drive in the output folder,
  // going on with an earlier run that was stopped when the user says so. True when kept.
  bool KeepDriveImage();
  // After the scan, before the run's closing words: the kept image ended and, when the
  // scan was completed, the disc's music read.
  void EndScan(bool completed, bool keepingImage, std::optional<char> letter);
  // After a run that kept the image: its files taken in, and what is still unread logged.
  void EndDriveImage(bool completed);
  // After a completed run: each audio track of the disc of drive `letter` written as a WAV
  // file in the output folder and logged, unless the options file turns audio off.
  void WriteDiscAudio(char letter, std::optional<int> speedNow);
  void LogAudioTrack(const AudioTrackResult& result);
  // The log's line for the drive's speed lowered after read errors.
  std::string SpeedLine(const SpeedLowered& lowered) const;
  // Tells in the log each speed the reader lowered to since it was last told.
  void LogLoweredSpeeds();

  // RunHost: the run reaches the window only through these.
  std::optional<char> SelectedDrive() override;
  int LanguageIndex() const override { return languageIndex_; }
  std::string NameStem() const override { return nameStem_; }
  bool OpenFolderWhenDone() const override { return openFolderWhenDone_ == 1; }
  std::optional<std::string> OutputFolderForNextFile() override;
  std::optional<std::string> OutputFolderFor(FileKind kind) override;
  void SetRunning(bool running) override;
  void SetProgress(int percent) override;
  void ClearLog() override;
  void AddLogLine(std::string_view line) override;
  void SetTitle(std::string_view title) override;
  void OpenOutputFolder() override;
  void EndProgram(int exitCode) override;
  void ShowMessage(std::string_view text, std::string_view caption) override;
  void PumpOneMessage() override;
  void ScanEnded(bool completed) override;

  MainDialogSetup setup_;
  DesktopShell& shell_;

  SkinnedWindow* skin_ = nullptr;
  QTreeWidget* driveTree_ = nullptr;
  LogList* logList_ = nullptr;
  CShadedProgressCtrl* progressBar_ = nullptr;
  CHoverButton* startButton_ = nullptr;
  CHoverButton* stopButton_ = nullptr;
  CHoverButton* helpButton_ = nullptr;
  CHoverButton* settingsButton_ = nullptr;
  CHoverButton* languageButton_ = nullptr;
  CHoverButton* exitButton_ = nullptr;

  // From the settings file, read once while initialising.
  std::string outputFolder_;
  std::string installFolder_;
  std::string nameStem_;
  int32_t openFolderWhenDone_ = 0;
  int languageIndex_ = 1;

  DriveMap drives_;
  // Drives of the drive map whose image cannot be read, letter to path: kept in the tree.
  std::map<char, std::string> unavailable_;
  ResponsiveVolumeSource volumes_{drives_};  // what the run and the figures read
  DriveRescue rescue_{volumes_};             // what the run reads: through a kept image
  RecoveryRun run_;
  LoweredSpeeds loweredSpeeds_;  // by the reader, after read errors
  bool running_ = false;
  std::function<void(bool)> scanEnded_;  // what this run does once its scan is over
  bool sortByKind_ = false;              // this run's files go to a folder per kind
  bool endAfterRun_ = false;             // Escape came during a run: end the dialog once it is over
  // The drive map is read again only while no drive is being read from it.
  bool refillAfterReading_ = false;
  int figuresPending_ = 0;            // media figures being read, each waiting for its drive
  CBmpMenu* openMenu_ = nullptr;      // the language menu while it is up
  QElapsedTimer menuClosed_;          // since the language menu last closed
  bool menuClosedOverGlobe_ = false;  // and whether the pointer was on the globe then
  std::chrono::steady_clock::time_point lastPump_{};
};

}  // namespace orlenta
