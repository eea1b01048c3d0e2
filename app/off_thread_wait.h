// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace orlenta {

// Runs `work` on a thread of its own and returns when it has finished. Meanwhile the
// calling thread, the window's, goes on handling its events (paints, moves, hovers, Stop,
// Exit), so that a call that blocks for seconds never leaves the window "not responding".
// The caller still waits for `work` to finish: what it does and in which order stays the
// same as if it had been called here. Without an application object, `work` runs here.
void WaitOffWindowThread(const std::function<void()>& work);

}  // namespace orlenta
