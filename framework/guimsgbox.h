// The message seam's handler for the running program: a modal QMessageBox.
#pragma once

namespace nuv {

// Installs the handler (GUI thread only; the seam hands worker calls to it).
void InstallGuiMessageHandler();

} // namespace nuv
