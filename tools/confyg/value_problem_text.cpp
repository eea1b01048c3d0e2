// SPDX-License-Identifier: GPL-3.0-or-later
#include "value_problem_text.h"

#include <QCoreApplication>

namespace orlenta {
namespace {

// The window's wording, before the refused value is put in.
QString Wording(ValueProblem problem) {
  switch (problem) {
    case ValueProblem::kNone:
      return {};
    case ValueProblem::kStemTooLong:
      return QCoreApplication::translate(
          "orlenta::ValueChecks",
          "The name stem \"%1\" is too long: stored, it takes %2 bytes, at most 3 (a letter "
          "such as é takes 2).");
    case ValueProblem::kStemHoldsSeparator:
      return QCoreApplication::translate("orlenta::ValueChecks", "The name stem cannot hold '/'.");
    case ValueProblem::kStemHoldsControlCharacter:
      return QCoreApplication::translate("orlenta::ValueChecks",
                                         "The name stem cannot hold control characters.");
    case ValueProblem::kFolderNotAbsolute:
      return QCoreApplication::translate("orlenta::ValueChecks",
                                         "The output folder \"%1\" is not an absolute path.");
    case ValueProblem::kFolderTooLong:
      return QCoreApplication::translate(
          "orlenta::ValueChecks",
          "The output folder path is too long: at most 199 bytes with its trailing '/'.");
    case ValueProblem::kFolderMissing:
      return QCoreApplication::translate(
          "orlenta::ValueChecks", "The output folder \"%1\" does not exist or is not a folder.");
    case ValueProblem::kLanguageOutOfRange:
      return QCoreApplication::translate("orlenta::ValueChecks", "The language must be 1 to 6.");
    case ValueProblem::kDriveLetterOutOfRange:
      return QCoreApplication::translate("orlenta::ValueChecks",
                                         "The drive letter \"%1\" is not one of B to M.");
    case ValueProblem::kDrivePathEmpty:
      return QCoreApplication::translate("orlenta::ValueChecks", "No path given for the drive.");
    case ValueProblem::kDrivePathHoldsLineBreak:
      return QCoreApplication::translate("orlenta::ValueChecks",
                                         "A drive path cannot hold a line break.");
    case ValueProblem::kDrivePathMissing:
      return QCoreApplication::translate("orlenta::ValueChecks",
                                         "The drive path \"%1\" does not exist.");
    case ValueProblem::kDrivePathNotImageOrDevice:
      return QCoreApplication::translate(
          "orlenta::ValueChecks",
          "The drive path \"%1\" is neither an image file nor a block device.");
  }
  return {};
}

}  // namespace

QString ShownText(const ValueCheck& check) {
  const QString wording = Wording(check.problem);
  if (!wording.contains(QLatin1String("%1"))) return wording;
  const QString value = QString::fromStdString(check.value);
  // A stem is measured as it is stored: in bytes, which a letter outside ASCII takes more of.
  if (wording.contains(QLatin1String("%2"))) return wording.arg(value).arg(check.value.size());
  return wording.arg(value);
}

}  // namespace orlenta
