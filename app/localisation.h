// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/localized_text.h"

namespace orlenta {

// The tooltips of the six buttons once a language has been chosen, and the notice that
// the choice is complete only after a restart.
extern const LocalizedText StartTip;
extern const LocalizedText StopTip;
extern const LocalizedText HelpTip;
extern const LocalizedText ExitTip;
extern const LocalizedText LanguageTip;
extern const LocalizedText SettingsTip;
extern const LocalizedText RestartNotice;

// Help could not hand its page to anything on the machine; the page's path follows.
extern const LocalizedText HelpNotOpenedText;
// The drive tree lists no drive: how to add a disc image, with the name the configuration
// window gives its drive list. Two log lines, so that each fits the list in every language.
extern const LocalizedText NoDriveText;

// Said of a drive of the drive map whose image cannot be read: gone, or there but not
// readable. The image's path follows on a line of its own.
extern const LocalizedText ImageMissingText;
extern const LocalizedText ImageUnreadableText;

// An earlier run on the selected drive was stopped before it had read the whole disc: go
// on with it? "%s" stands for the sectors still unread. Asked when Start is pressed.
extern const LocalizedText GoOnQuestion;
// The buttons that answer it.
extern const LocalizedText YesAnswer;
extern const LocalizedText NoAnswer;
// The log's line at the end of a run that kept the disc's image; "%s" is the count.
extern const LocalizedText SectorsUnreadText;
// A file of an earlier run completed with sectors read since; its path follows.
extern const LocalizedText FileMendedText;
// The disc's image cannot be kept in the output folder; why follows on a line of its own.
extern const LocalizedText ImageNotKeptText;

// Read errors made the reader lower the drive's speed: "%s" is the new speed ("4" for 4x);
// or the drive would not take a lower one.
extern const LocalizedText SpeedLoweredText;
extern const LocalizedText SpeedRefusedText;
// An audio track written as a WAV file had frames that could not be read, written as
// silence; "%s" is their count. Follows the file's own line.
extern const LocalizedText FramesUnreadText;
extern const LocalizedText FramesUnrepairedText;
// The music is read with the drive's plain reads, as libcdio cannot open the drive for the
// error correction.
extern const LocalizedText NoErrorCorrectionText;

// The language menu's commands: the first stands for English, the last for Romanian.
inline constexpr int kFirstLanguageCommand = 32771;
inline constexpr int kLastLanguageCommand = 32776;

// The language a menu command chooses (1..6), or 0 for any other command.
int LanguageOfCommand(int commandId);

}  // namespace orlenta
