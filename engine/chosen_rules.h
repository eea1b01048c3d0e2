// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "carve_rules.h"
#include "recovery_choice.h"

namespace orlenta {

// The rules a user picks: the described detection or the wider one of more kinds, and
// files running up to the next header or cut where their own structure ends.
class ChosenRules final : public CarveRules {
 public:
  ChosenRules(bool exact, bool moreKinds) : exact_(exact), moreKinds_(moreKinds) {}
  explicit ChosenRules(RecoveryChoice choice)
      : ChosenRules(choice == RecoveryChoice::kExactAndMoreKinds,
                    choice == RecoveryChoice::kExactAndMoreKinds) {}

  FileKind Detect(const uint8_t* sector, std::size_t size) const override;
  std::unique_ptr<EndFinder> FinderFor(FileKind kind) const override;
  bool FollowsStructures() const override { return exact_; }

 private:
  bool exact_;
  bool moreKinds_;
};

}  // namespace orlenta
