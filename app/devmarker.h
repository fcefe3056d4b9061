// Markers between running instances: one per module index ("%d-MDQ4170"), held for the
// instance's lifetime, and one ("MDQ4170MUTEX_SEL") held while the device selection
// dialog shows.
//
// A marker is an exclusive flock on a file in the user's runtime folder. It "exists"
// exactly while some process holds the lock, so a crashed instance releases its module
// with its last file descriptor. Locks are taken without waiting; nobody ever blocks.
#pragma once

#include <QString>

namespace nuv {

// $XDG_RUNTIME_DIR, or /tmp/nuv-<uid> (created 0700) when that is not set.
QString MarkerFolder();

// "%d-MDQ4170"
QString DeviceMarkerName(int index);
// "MDQ4170MUTEX_SEL"
QString SelectionMarkerName();

// Creates the marker `name`. Returns a handle (> 0) when this call now holds it, 0 when
// it could not be held; *existed is set when another holder already has it (the handle
// is then 0). A failure to open the lock file counts as "not existing" and returns 0.
int CreateMarker(const QString& name, bool* existed);
// Releases a handle from CreateMarker (0 and -1 are ignored).
void ReleaseMarker(int handle);
// Whether someone (this process included) holds `name` now.
bool MarkerExists(const QString& name);

} // namespace nuv
