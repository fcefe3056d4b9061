// Markers between running instances: one per module index ("%d-MDQ4170"), held for the
// instance's lifetime, and one ("MDQ4170MUTEX_SEL") held while the device selection
// dialog shows.
//
// A module belongs to the machine, not to a user or a login session, so the markers live
// in one machine-wide folder that every user shares: "nuv" under /run/lock (or /var/lock),
// else "nuv-markers" under /tmp; the first of these parents that is a root-owned, sticky,
// world-writable folder is taken, so every process on the machine picks the same one.
// NUV_MARKER_DIR names another folder (tests use it to stay apart from a running program).
//
// A marker is an exclusive flock on a regular file in that folder. It "exists" exactly
// while some process holds the lock, so a crashed instance releases its module with its
// last file descriptor. Marker files are never removed, readable by everyone (a lock needs
// only a read-only descriptor), and opened without following links. Whatever cannot be
// opened or locked - a foreign file, a link, a FIFO, an unusable folder - counts as held:
// an instance never takes a module it cannot mark as its own. Nobody ever blocks.
#pragma once

#include <QByteArray>
#include <QString>

namespace nuv {

// The machine-wide marker folder (the path; whether it is usable is checked on each use).
QString MarkerFolder();

// "%d-MDQ4170"
QString DeviceMarkerName(int index);
// "MDQ4170MUTEX_SEL"
QString SelectionMarkerName();

// Creates the marker `name`. Returns a handle (> 0) when this call now holds it, 0 when
// it could not be held; *existed is then set: another holder has it, or it cannot be
// created or locked (which counts the same).
int CreateMarker(const QString& name, bool* existed);
// Releases a handle from CreateMarker (0 and -1 are ignored).
void ReleaseMarker(int handle);
// Whether the marker `name` counts as held now (by anyone, this process included).
bool MarkerExists(const QString& name);

// Takes an exclusive lock on the regular file `name` inside the open folder `dirFd`,
// creating it with `mode` (umask aside) when missing; links are not followed. Returns the
// descriptor (> 0), 0 when another holder has the lock, -1 when `name` is not a plain file
// that can be opened and locked.
int LockFileAt(int dirFd, const QByteArray& name, unsigned mode);

// Writes "nuv: <line>" to stderr once for each distinct line, however often it is met.
void ReportOnce(const QString& line);

} // namespace nuv
