// SPDX-License-Identifier: GPL-3.0-or-later
#include "main_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QPointer>
#include <QScreen>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "engine/chosen_rules.h"
#include "engine/file_carver.h"
#include "engine/filter_words.h"
#include "engine/options_file.h"
#include "engine/recovery_choice.h"
#include "engine/sector_buffer.h"
#include "engine/settings_file.h"
#include "filesystems/named_recovery.h"
#include "launchers.h"
#include "localisation.h"
#include "media/drive_tree.h"
#include "media/media_properties.h"
#include "off_thread_wait.h"
#include "platform/drives/drive_reads.h"
#include "platform/drives/speed_lowering.h"
#include "platform/posix_volume.h"
#include "platform/settings_lock.h"
#include "platform/system_folders.h"
#include "res/bitmap_resource.h"
#include "ui/bmp_menu.h"
#include "ui/hover_button.h"
#include "ui/log_list.h"
#include "ui/menu_definition.h"
#include "ui/shaded_progress_ctrl.h"
#include "ui/skinned_window.h"
#include "unavailable_drives.h"

namespace orlenta {
namespace {

constexpr const char* kTitle = "Orlenta";
constexpr const char* kTemplateCaption = "Brinmoor";

// The run pumps events after every sector; the window needs them far less often than
// that. Between two pumps at most this long passes, which keeps Stop and the repaints
// prompt while the scan itself runs at the speed of the disc.
constexpr auto kPumpInterval = std::chrono::milliseconds(8);

QString FromText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr int kSkinBitmap = 129;
constexpr int kAppIcon = 128;
constexpr QRgb kBarColor = qRgb(255, 0, 0);
constexpr int kFirstFlagPicture = 140;  // English; the other five languages follow
constexpr int kCurrentLanguagePicture = 146;
// Where the language menu opens, from the mouse: to its left and below it.
constexpr QPoint kLanguageMenuOffset{-90, 20};

}  // namespace

CMainDialog::CMainDialog(MainDialogSetup setup, QWidget* parent)
    : QDialog(parent), setup_(std::move(setup)), shell_(*setup_.shell), run_(rescue_, *this) {
  CreateControls();
  setWindowTitle(kTemplateCaption);
}

CMainDialog::~CMainDialog() = default;

void CMainDialog::CreateControls() {
  skin_ = new SkinnedWindow(this, [this] { OnExit(); });
  QWidget* client = skin_->Client();
  client->setFont(QFont("MS Sans Serif", 8));
  driveTree_ = new QTreeWidget(client);
  driveTree_->setHeaderHidden(true);
  driveTree_->setRootIsDecorated(true);
  driveTree_->setSelectionMode(QAbstractItemView::SingleSelection);
  logList_ = new LogList(client);
  progressBar_ = new CShadedProgressCtrl(client);
  progressBar_->SetBorder(true);
  // Help overlaps Language by a few pixels: made first, it lies below.
  startButton_ = new CHoverButton(client);
  stopButton_ = new CHoverButton(client);
  helpButton_ = new CHoverButton(client);
  settingsButton_ = new CHoverButton(client);
  languageButton_ = new CHoverButton(client);
  exitButton_ = new CHoverButton(client);
  for (const ControlPlace& place : kControlPlaces) PlaceControl(Control(place.id), place.id);

  connect(startButton_, &QAbstractButton::clicked, this, &CMainDialog::RunRecovery);
  connect(stopButton_, &QAbstractButton::clicked, this, &CMainDialog::OnStop);
  connect(driveTree_, &QTreeWidget::itemSelectionChanged, this, &CMainDialog::ShowMediaProperties);
  connect(languageButton_, &QAbstractButton::clicked, this, &CMainDialog::OnLanguageButton);
  connect(helpButton_, &QAbstractButton::clicked, this, &CMainDialog::OnHelp);
  connect(settingsButton_, &QAbstractButton::clicked, this, &CMainDialog::OnSettings);
  connect(exitButton_, &QAbstractButton::clicked, this, &CMainDialog::OnExit);
}

void CMainDialog::PlaceControl(QWidget* control, ControlId id) {
  control->setGeometry(ControlRect(id));
  control->setObjectName(QString::number(static_cast<int>(id)));
}

QWidget* CMainDialog::Control(ControlId id) const {
  switch (id) {
    case kDriveTreeId:
      return driveTree_;
    case kLogListId:
      return logList_;
    case kProgressBarId:
      return progressBar_;
    case kStartButtonId:
      return startButton_;
    case kStopButtonId:
      return stopButton_;
    case kHelpButtonId:
      return helpButton_;
    case kSettingsButtonId:
      return settingsButton_;
    case kLanguageButtonId:
      return languageButton_;
    case kExitButtonId:
      return exitButton_;
  }
  return nullptr;
}

int CMainDialog::DoModal() {
  if (!OnInitDialog()) return QDialog::Rejected;
  return exec();
}

bool CMainDialog::OnInitDialog() {
  skin_->SetSkinBitmap(kSkinBitmap);
  PrepareProgressBar();
  setWindowIcon(LoadIconResource(kAppIcon));
  if (!LoadSettings()) return false;
  PrepareButtons();
  BuildDriveTree();
  setWindowTitle(kTitle);
  return true;
}

void CMainDialog::PrepareProgressBar() {
  progressBar_->SetRange(0, 100);
  progressBar_->SetStep(1);
  progressBar_->SetPos(0);
  progressBar_->SetBarColor(kBarColor);
  progressBar_->hide();
}

bool CMainDialog::LoadSettings() {
  const LoadedSettings loaded = orlenta::LoadSettings(setup_.settingsPath);
  if (loaded.status == SettingsStatus::kMissing) {
    shell_.ShowMessage(this, "Error! Please reinstall!", kTitle);
    shell_.EndProcess(1);
    return false;
  }
  if (loaded.status == SettingsStatus::kUnreadable) {
    shell_.EndProcess(1);
    return false;
  }
  const RecoverySettings& record = loaded.record;
  outputFolder_ = record.OutputFolder();
  installFolder_ = record.InstallFolder();
  openFolderWhenDone_ = record.OpenFolderWhenDone();
  nameStem_ = record.NameStem();
  languageIndex_ = record.LanguageIndex();
  CreateDefaultOutputFolder();
  return true;
}

void CMainDialog::PrepareButtons() {
  // The tooltips of a fresh start are the English ones, whatever the language.
  PrepareButton(exitButton_, 130, "Exit");
  PrepareButton(helpButton_, 131, "Help");
  PrepareButton(settingsButton_, 133, "Setings");
  PrepareButton(languageButton_, 132, "set Language");
  PrepareButton(startButton_, 135, "Next");
  PrepareButton(stopButton_, 138, "Stop");
  stopButton_->hide();
}

void CMainDialog::PrepareButton(CHoverButton* button, unsigned strip, const char* tip) {
  button->LoadStrip(strip);
  button->SetTip(tip, true);
}

void CMainDialog::BuildDriveTree() {
  drives_ = DiscoverDrives(setup_.drivePaths);
  // The speed chosen in confyg, read afresh whenever the tree is, as after confyg ends.
  drives_.SetDriveSpeed(DriveSpeedWanted(OptionsPathBeside(setup_.settingsPath)),
                        [this](const SpeedLowered& lowered) { loweredSpeeds_.Tell(lowered); });
  unavailable_ = UnavailableMappedDrives(setup_.drivePaths.driveMapFile, drives_);
  std::map<char, bool> listed;  // letter order, whether the drive can be read
  for (const auto& [letter, path] : drives_.Paths()) listed[letter] = true;
  for (const auto& [letter, path] : unavailable_) listed[letter] = false;
  std::vector<char> letters;
  for (const auto& [letter, readable] : listed) letters.push_back(letter);
  orlenta::BuildDriveTree(*driveTree_, letters);
  for (const auto& [letter, path] : unavailable_) {
    if (QTreeWidgetItem* item = FindDriveItem(*driveTree_, letter))
      MarkDriveUnavailable(*item, QString::fromStdString(path));
  }
  // An empty tree would leave a first-time user with nothing to go on.
  if (letters.empty()) {
    for (const QString& line : NoDriveHint()) logList_->AddLine(line);
  }
}

QStringList CMainDialog::NoDriveHint() const {
  return FromText(PickText(NoDriveText, languageIndex_)).split(QLatin1Char('\n'));
}

void CMainDialog::RefillDriveTree(LogAfterRefill log) {
  const std::optional<char> selected = SelectedDriveLetter(*driveTree_);
  const bool expanded =
      driveTree_->topLevelItemCount() > 0 && driveTree_->topLevelItem(0)->isExpanded();
  {
    const QSignalBlocker quiet(driveTree_);
    driveTree_->clear();
  }
  // The no-drive hint is said afresh, or not at all once it has been followed.
  const QStringList hint = NoDriveHint();
  const int first = logList_->count() - static_cast<int>(hint.size());
  bool hintShown = first >= 0;
  for (int i = 0; hintShown && i < hint.size(); ++i)
    hintShown = logList_->item(first + i)->text() == hint[i];
  if (hintShown) {
    for (int i = 0; i < hint.size(); ++i) delete logList_->takeItem(first);
  }
  BuildDriveTree();
  if (driveTree_->topLevelItemCount() > 0) driveTree_->topLevelItem(0)->setExpanded(expanded);
  QTreeWidgetItem* item = selected ? FindDriveItem(*driveTree_, *selected) : nullptr;
  if (log == LogAfterRefill::kKeepRunLines) {
    const QSignalBlocker quiet(driveTree_);  // the run's lines stay to be read
    if (item) driveTree_->setCurrentItem(item);
  } else if (item) {
    driveTree_->setCurrentItem(item);  // shows the drive's figures as they are now
  } else if (selected) {
    logList_->clear();  // the figures shown were of a drive that is gone
  }
}

void CMainDialog::OnSettingsEnded() {
  if (ReadingADrive()) {
    refillAfterReading_ = true;
    return;
  }
  RefillDriveTree();
}

void CMainDialog::RunRecovery() {
  // The window answers while a drive is opened or read, Start included: one run at a time.
  if (running_) return;
  running_ = true;
  // The recovery chosen in confyg, read afresh at every start as the settings are.
  const ChosenRules rules(LoadRecoveryChoice(OptionsPathBeside(setup_.settingsPath)));
  run_.SetRules(rules);
  // And the files to write (kinds, sizes) chosen there too.
  run_.SetFilter(LoadFileFilter(OptionsPathBeside(setup_.settingsPath)));
  sortByKind_ = FilesSortedByKind(OptionsPathBeside(setup_.settingsPath));
  const bool keepingImage = KeepDriveImage();
  const std::optional<char> letter = SelectedDriveLetter(*driveTree_);
  loweredSpeeds_.Forget();
  run_.SetCarveObserver(rescue_.Recorder());
  // Files back under their own names where the disc's folders can be read, when chosen.
  NamedRecovery named;
  if (NamesChosen(OptionsPathBeside(setup_.settingsPath))) run_.SetListedFiles(&named);
  // The run calls back once its scan is over, before "Process completed!"; a run refused
  // before any scan (no drive, no medium) does not, so it is done here instead.
  bool scanEnded = false;
  scanEnded_ = [&](bool completed) {
    scanEnded = true;
    EndScan(completed, keepingImage, letter);
  };
  run_.RunRecovery();
  scanEnded_ = nullptr;
  if (!scanEnded) EndScan(false, keepingImage, letter);
  run_.SetListedFiles(nullptr);
  run_.SetCarveObserver(nullptr);
  run_.SetRules(DefaultCarveRules());
  run_.SetFilter(FileFilter());
  running_ = false;
  if (refillAfterReading_) {
    refillAfterReading_ = false;
    RefillDriveTree(LogAfterRefill::kKeepRunLines);
  }
  if (endAfterRun_) QDialog::reject();
}

bool CMainDialog::KeepDriveImage() {
  const std::optional<char> letter = SelectedDriveLetter(*driveTree_);
  if (!letter) return false;
  const auto drive = drives_.Paths().find(*letter);
  if (drive == drives_.Paths().end()) return false;
  const std::optional<std::string> folder = OutputFolderForNextFile();
  if (!folder) return false;
  const auto describe = [](const std::string& path) {
    std::optional<SectorLayout> layout;
    WaitOffWindowThread([&] { layout = DescribePosixVolume(path); });
    return layout;
  };
  if (!rescue_.Look(*letter, drive->second, *folder, nameStem_, describe)) return false;
  bool goOn = false;
  if (const std::optional<uint64_t> unread = rescue_.StoppedRunUnread()) {
    const std::string question =
        FormatText(PickText(GoOnQuestion, languageIndex_), std::to_string(*unread));
    goOn =
        shell_.Ask(this, FromText(question), kTitle, FromText(PickText(YesAnswer, languageIndex_)),
                   FromText(PickText(NoAnswer, languageIndex_)));
  }
  if (rescue_.Begin(goOn)) return true;
  std::string why(PickText(ImageNotKeptText, languageIndex_));
  for (const DriveRescue::Note& note : rescue_.TakeNotes()) why += "\n" + note.text;
  ShowMessage(why, kTitle);
  return false;
}

void CMainDialog::ScanEnded(bool completed) {
  if (scanEnded_) scanEnded_(completed);
}

void CMainDialog::EndScan(bool completed, bool keepingImage, std::optional<char> letter) {
  // A speed lowered after the run's last look at the window is told now.
  LogLoweredSpeeds();
  // The disc's audio is read on from the speed the data's reads left the drive at.
  std::optional<int> speedNow = DriveSpeedWanted(OptionsPathBeside(setup_.settingsPath));
  if (const std::optional<SpeedLowered> lowered = loweredSpeeds_.Last();
      lowered && !lowered->refused) {
    speedNow = lowered->speed;
  }
  if (keepingImage) EndDriveImage(completed);
  if (completed && letter) WriteDiscAudio(*letter, speedNow);
}

void CMainDialog::EndDriveImage(bool completed) {
  const uint64_t unread = rescue_.End(!completed);
  for (const DriveRescue::Note& note : rescue_.TakeNotes()) {
    switch (note.what) {
      case DriveRescue::Note::What::kAdded:
        AddLogLine(FormatText(PickText(FileRecoveredText, languageIndex_), note.text));
        break;
      case DriveRescue::Note::What::kMended:
        AddLogLine(FormatText(PickText(FileMendedText, languageIndex_), note.text));
        break;
      case DriveRescue::Note::What::kProblem:
        AddLogLine(note.text);
        break;
    }
  }
  AddLogLine(FormatText(PickText(SectorsUnreadText, languageIndex_), std::to_string(unread)));
}

void CMainDialog::WriteDiscAudio(char letter, std::optional<int> speedNow) {
  const auto drive = drives_.Paths().find(letter);
  if (drive == drives_.Paths().end()) return;
  const std::string options = OptionsPathBeside(setup_.settingsPath);
  if (!AudioTracksWanted(options)) return;
  std::optional<SectorLayout> disc;
  WaitOffWindowThread([&] { disc = DescribePosixVolume(drive->second); });
  if (!disc) return;
  std::vector<const DiscTrack*> audio;
  for (const DiscTrack& track : disc->tracks) {
    if (track.kind == TrackKind::kAudio) audio.push_back(&track);
  }
  const std::optional<std::string> folder =
      audio.empty() ? std::nullopt : OutputFolderForNextFile();
  if (!folder) return;
  // Through the error correction unless turned off; failing reads lower the drive's speed
  // further, from where the data's reads left it.
  DriveAudioReading how;
  how.paranoia = AudioErrorCorrectionWanted(options);
  if (disc->inDrive) {
    how.readFailed = LowerSpeedOnAudioErrors(
        disc->dataPath, speedNow,
        [this](const SpeedLowered& lowered) { loweredSpeeds_.Tell(lowered); });
  }
  // The plain reads used because libcdio cannot open the drive: told once, before the
  // first track's lines.
  bool withoutCorrection = false;
  bool toldWithoutCorrection = false;
  how.withoutCorrection = [&withoutCorrection] { withoutCorrection = true; };
  // A disc's music takes minutes to read: Stop and the progress bar stay for it.
  StopFlag = false;
  SetRunning(true);
  for (std::size_t done = 0; done < audio.size() && !StopFlag; ++done) {
    SetProgress(static_cast<int>(done * 100 / audio.size()));
    const DiscTrack& track = *audio[done];
    AudioTrackResult result;
    WaitOffWindowThread([&] {
      result = WriteAudioTrack(*folder, track.number, track.title, track.sectorCount,
                               AudioReaderFor(*disc, track, how));
    });
    if (withoutCorrection && !toldWithoutCorrection) {
      AddLogLine(PickText(NoErrorCorrectionText, languageIndex_));
      toldWithoutCorrection = true;
    }
    if (result.path.empty()) result.path = *folder + AudioTrackFileName(track.number, track.title);
    // The track's failing reads may have lowered the speed: told before the track's lines.
    LogLoweredSpeeds();
    LogAudioTrack(result);
  }
  SetRunning(false);
}

void CMainDialog::LogAudioTrack(const AudioTrackResult& result) {
  if (result.errnum != 0) {
    FileError(result.path, result.errnum);
    return;
  }
  AddLogLine(FormatText(PickText(FileRecoveredText, languageIndex_), result.path));
  if (result.framesUnread > 0) {
    AddLogLine(FormatText(PickText(FramesUnreadText, languageIndex_),
                          std::to_string(result.framesUnread)));
  }
  if (result.framesUnrepaired > 0) {
    AddLogLine(FormatText(PickText(FramesUnrepairedText, languageIndex_),
                          std::to_string(result.framesUnrepaired)));
  }
}

void CMainDialog::LogLoweredSpeeds() {
  for (const SpeedLowered& lowered : loweredSpeeds_.TakeFresh()) AddLogLine(SpeedLine(lowered));
}

std::string CMainDialog::SpeedLine(const SpeedLowered& lowered) const {
  if (lowered.refused) return std::string(PickText(SpeedRefusedText, languageIndex_));
  return FormatText(PickText(SpeedLoweredText, languageIndex_), std::to_string(lowered.speed));
}

void CMainDialog::OnStop() {
  run_.OnStop();
}

void CMainDialog::ShowMediaProperties() {
  const std::optional<char> letter = SelectedDriveLetter(*driveTree_);
  if (!letter) return;
  if (const auto gone = unavailable_.find(*letter); gone != unavailable_.end()) {
    std::error_code error;
    const bool missing = !std::filesystem::exists(gone->second, error);
    logList_->clear();
    AddLogLine(PickText(missing ? ImageMissingText : ImageUnreadableText, languageIndex_));
    AddLogLine(gone->second);
    return;
  }
  ++figuresPending_;
  const MediaFigures figures = QueryMediaFigures(volumes_, *letter);
  --figuresPending_;
  // The window went on while the drive was read: show the figures only if they are still
  // those of the selected drive.
  if (SelectedDriveLetter(*driveTree_) == letter) {
    logList_->clear();
    for (const std::string& line : MediaPropertyLines(figures, languageIndex_)) AddLogLine(line);
  }
  if (refillAfterReading_ && !ReadingADrive()) {
    refillAfterReading_ = false;
    RefillDriveTree();
  }
}

void CMainDialog::OnHelp() {
  const QString page = QString::fromStdString(HelpPagePath(installFolder_, languageIndex_));
  // With nothing to open it, or an opener that fails, the click would look like it had
  // worked: name the page, so that the user can open it by hand.
  const auto notOpened = [self = QPointer<CMainDialog>(this), page] {
    if (self) self->ShowHelpNotOpened(page);
  };
  if (!shell_.OpenPath(page, notOpened)) notOpened();
}

void CMainDialog::ShowHelpNotOpened(const QString& page) {
  shell_.ShowMessage(this, FromText(PickText(HelpNotOpenedText, languageIndex_)) + "\n" + page,
                     kTitle);
}

void CMainDialog::OnSettings() {
  shell_.StartProgram(QString::fromStdString(ConfygPath(installFolder_)),
                      [self = QPointer<CMainDialog>(this)] {
                        if (self) self->OnSettingsEnded();
                      });
}

void CMainDialog::OnExit() {
  StopFlag = true;
  rescue_.KeepBeforeExit();
  QDialog::reject();
  shell_.EndProcess(1);
}

void CMainDialog::OnLanguageButton() {
  // The click on the globe that closed its menu would open it again at once: it closes it.
  const bool closedByThisClick =
      menuClosedOverGlobe_ && menuClosed_.elapsed() < QApplication::doubleClickInterval();
  menuClosedOverGlobe_ = false;
  if (closedByThisClick) return;
  // Under a window manager the click reaches the window while the menu is still up (the
  // window takes the activation from it as the button goes down): that click closes it.
  if (openMenu_ != nullptr) {
    openMenu_->CloseChain();
    return;
  }
  CBmpMenu menu(0, false, QImage(), false);
  menu.LoadMenu(LanguageMenuDefinition());
  for (int position = 0; position < kLanguageCount; ++position) {
    const bool current = position == languageIndex_ - 1;
    const QImage picture =
        LoadBitmapResource(current ? kCurrentLanguagePicture : kFirstFlagPicture + position);
    menu.SetMenuItemBitmaps(position, BmpMenuByPosition, picture, picture);
  }
  const QPoint at = LanguageMenuAnchor();
  openMenu_ = &menu;
  menu.TrackPopupMenu(0, at.x(), at.y(), this, this, nullptr);
  openMenu_ = nullptr;
  menuClosed_.start();
  menuClosedOverGlobe_ = PointerOverGlobe();
}

bool CMainDialog::PointerOverGlobe() const {
  return languageButton_->rect().contains(languageButton_->mapFromGlobal(QCursor::pos()));
}

QPoint CMainDialog::LanguageMenuAnchor() const {
  // Opened with the mouse, the menu opens beside the pointer; opened from the keyboard,
  // beside the globe, wherever the pointer happens to be. Either way on the screen the
  // window is on, so that the menu is never cut off or out of sight.
  const QPoint globe = languageButton_->mapToGlobal(languageButton_->rect().center());
  const QPoint at = (PointerOverGlobe() ? QCursor::pos() : globe) + kLanguageMenuOffset;
  const QScreen* screen = this->screen();
  if (!screen) return at;
  const QRect area = screen->availableGeometry();
  return {std::clamp(at.x(), area.left(), area.right()),
          std::clamp(at.y(), area.top(), area.bottom())};
}

void CMainDialog::OnMenuCommand(int id) {
  if (const int language = LanguageOfCommand(id); language != 0) OnLanguageCommand(language);
}

void CMainDialog::OnLanguageCommand(int n) {
  languageIndex_ = n;
  ApplyLanguage(n);
  ShowMessage(PickText(RestartNotice, n), kTitle);
  // confyg may be editing the same file: take turns, so that neither loses the other's change.
  const SettingsLock lock(std::filesystem::path(setup_.settingsPath).parent_path().string());
  SaveLanguage(setup_.settingsPath, n, *this);
}

void CMainDialog::ApplyLanguage(int n) {
  startButton_->SetTip(PickText(StartTip, n).data(), true);
  stopButton_->SetTip(PickText(StopTip, n).data(), true);
  languageButton_->SetTip(PickText(LanguageTip, n).data(), true);
  settingsButton_->SetTip(PickText(SettingsTip, n).data(), true);
  helpButton_->SetTip(PickText(HelpTip, n).data(), true);
  exitButton_->SetTip(PickText(ExitTip, n).data(), true);
}

void CMainDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    OnOK();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CMainDialog::closeEvent(QCloseEvent* event) {
  event->ignore();
  OnExit();
}

void CMainDialog::reject() {
  // Escape ends the dialog, but a running scan first finishes its handler, with the window
  // still on screen.
  if (running_) {
    endAfterRun_ = true;
    return;
  }
  QDialog::reject();
}

std::optional<char> CMainDialog::SelectedDrive() {
  return SelectedDriveLetter(*driveTree_);
}

std::optional<std::string> CMainDialog::OutputFolderFor(FileKind kind) {
  const std::optional<std::string> folder = OutputFolderForNextFile();
  // A run that keeps the disc's image takes its files in from one folder: never sorted.
  if (!folder || !sortByKind_ || rescue_.Active()) return folder;
  const std::string kindFolder = *folder + KindFolderName(kind) + "/";
  std::error_code ignored;  // a folder that cannot be made fails the file's creation
  std::filesystem::create_directory(kindFolder, ignored);
  return kindFolder;
}

std::optional<std::string> CMainDialog::OutputFolderForNextFile() {
  // A run that keeps the disc's image keeps its files beside it, in the folder it began in.
  if (rescue_.Active()) return WithTrailingSeparator(rescue_.CarveFolder());
  const std::optional<std::string> folder = ReadOutputFolder(setup_.settingsPath);
  if (!folder) return std::nullopt;
  // Files are named by appending to the folder, so it must end in a separator even when
  // the settings file was written by hand without one.
  outputFolder_ =
      folder->empty() ? DefaultOutputFolderWithSeparator() : WithTrailingSeparator(*folder);
  return outputFolder_;
}

void CMainDialog::SetRunning(bool running) {
  // The button going away hands the focus to the one taking its place, with its ring only
  // when the keyboard had brought it there.
  CHoverButton* leaving = running ? startButton_ : stopButton_;
  CHoverButton* coming = running ? stopButton_ : startButton_;
  const bool hadFocus = leaving->hasFocus();
  const bool ring = leaving->ShowsFocusRing();
  progressBar_->setVisible(running);
  coming->setVisible(true);
  if (hadFocus) coming->setFocus(ring ? Qt::TabFocusReason : Qt::OtherFocusReason);
  leaving->setVisible(false);
}

void CMainDialog::SetProgress(int percent) {
  progressBar_->SetPos(percent);
}

void CMainDialog::ClearLog() {
  logList_->clear();
}

void CMainDialog::AddLogLine(std::string_view line) {
  // Files carved into a folder of their own are told once they are taken in.
  if (rescue_.Staging() && line.find(rescue_.CarveFolder()) != std::string_view::npos) return;
  logList_->AddLine(FromText(line));
}

void CMainDialog::SetTitle(std::string_view title) {
  setWindowTitle(FromText(title));
}

void CMainDialog::OpenOutputFolder() {
  const std::string folder = outputFolder_.empty() ? DefaultOutputFolder() : outputFolder_;
  shell_.OpenPath(QString::fromStdString(folder));
}

void CMainDialog::EndProgram(int exitCode) {
  shell_.EndProcess(exitCode);
}

void CMainDialog::ShowMessage(std::string_view text, std::string_view caption) {
  shell_.ShowMessage(this, FromText(text), FromText(caption));
}

void CMainDialog::PumpOneMessage() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastPump_ < kPumpInterval) return;
  lastPump_ = now;
  LogLoweredSpeeds();
  QCoreApplication::processEvents();
}

}  // namespace orlenta
