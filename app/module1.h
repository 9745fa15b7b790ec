#pragma once
// Start-up and the end of the run; the state every window shares is
// classic/shared_state.h, below the windows.
#include "classic/shared_state.h"

#include <functional>

namespace Module1
{

// Sub Main: no patient is current, the main window is shown.
void Main();

// Ends the application at once: no window's closing logic runs.
void End();

// Ends the run when the main window and the About box have both gone.
void QuitWhenNoWindowIsLeft();

// Replaces what End does (tests keep their process alive).
void setEndHandler(std::function<void()> handler);

// Back to the state before Sub Main: every window instance discarded without
// events, the shared state emptied. Used at exit and between tests.
void Reset();

} // namespace Module1
