// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "file_kind.h"

namespace orlenta {

// Where the engine shows a message the user must see: a message box with one OK button in
// the window, a line on stderr on the command line.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void ShowMessage(std::string_view text, std::string_view caption) = 0;
};

// Lets the front end breathe during a long read: the window dispatches at most one pending
// event, the command line notices Ctrl-C.
class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void PumpOneMessage() = 0;
};

// Everything a recovery run needs of the front end that drives it. The window and the
// command-line carver are two hosts of the same run.
class RunHost : public MessageSink, public EventPump {
 public:
  // The drive letter of the selected drive; nullopt when nothing, or no drive, is selected.
  virtual std::optional<char> SelectedDrive() = 0;

  // The interface language 1..6; it may change during a run.
  virtual int LanguageIndex() const = 0;

  // The text placed between the counter and the extension of every recovered file name.
  virtual std::string NameStem() const = 0;

  // True when the output folder is to be opened at the end of a run.
  virtual bool OpenFolderWhenDone() const = 0;

  // The folder the next recovered file goes to, ending in a separator (the file name is
  // appended to it as it stands); asked before every file, so a folder changed meanwhile
  // takes effect at once. nullopt when the settings that name it are gone.
  virtual std::optional<std::string> OutputFolderForNextFile() = 0;
  // The folder the next recovered file of `kind` goes to, as OutputFolderForNextFile: the
  // same folder for every kind, unless the front end sorts files into a folder per kind.
  virtual std::optional<std::string> OutputFolderFor(FileKind kind) {
    (void)kind;
    return OutputFolderForNextFile();
  }

  // Running: Start hidden, Stop and the progress bar shown. Idle: the other way round.
  virtual void SetRunning(bool running) = 0;
  virtual void SetProgress(int percent) = 0;
  virtual void ClearLog() = 0;
  virtual void AddLogLine(std::string_view line) = 0;
  virtual void SetTitle(std::string_view title) = 0;

  // The scan is over, `completed` when it ran to the end; called before the run's closing
  // words, so that what a front end reads beside the scan (a disc's music) is read before
  // the user is told that the run is done.
  virtual void ScanEnded(bool completed) { (void)completed; }

  // The closing words of a run (completed or aborted), in a message box captioned
  // "Orlenta" in the window.
  virtual void ShowRunEnd(std::string_view text) { ShowMessage(text, "Orlenta"); }
  // Opens the folder the run's files went to in the desktop's file manager.
  virtual void OpenOutputFolder() = 0;

  // A recovered file could not be created or written; errnum says why. The window shows
  // the carver's fixed message; the command line says more.
  virtual void FileError(const std::string& path, int errnum) {
    (void)path, (void)errnum;
    ShowMessage("Eroare fisier", "Pellavine");
  }

  // Ends the program with `exitCode`. A host that returns (a test) sees the run stop.
  virtual void EndProgram(int exitCode) = 0;
};

}  // namespace orlenta
