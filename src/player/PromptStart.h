// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace chimewick::promptstart {

// Once per process, before the player's output makes its sound sink: from then on every
// PulseAudio sink is tuned to start a bell promptly, and the decoders' plugins load in the
// background.
void prepare();

// Once per process, at the first bell: one line on standard error that says which sink was
// tuned, or which one is in use and left at its default latency.
void reportOnce();

} // namespace chimewick::promptstart
