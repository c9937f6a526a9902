#pragma once

#include <QByteArray>
#include <QString>

// How a write ended: the step that failed and the system's error number.
struct WriteOutcome {
    enum class Step {
        None,   // everything is on disk
        Create, // the target could not be reached or its file not created
        Write,  // writing, syncing, closing or the final rename failed
    };
    Step Failed = Step::None;
    int Errno = 0;

    bool Ok() const { return Failed == Step::None; }
};

// The one way this program writes a file. A regular file (or a new one) gets
// the bytes through a temporary file in its folder that is written, synced,
// closed and only then renamed over it, each step checked, so a failure
// leaves the old file exactly as it was and no temporary file behind. The
// replacement keeps the old file's permission bits. Symbolic links are
// followed, except where the kernel's protected-symlinks rule would refuse
// them (a link in a world-writable sticky folder owned by neither the user
// nor the folder's owner: EACCES). An existing device, pipe or socket is
// written in place, opened without blocking, so a pipe that nobody reads
// fails (ENXIO) instead of hanging, and a stalled reader times out. An
// existing file that is not writable for the user is refused (EACCES); a
// missing folder is ENOTDIR; a directory is EISDIR.
WriteOutcome SafeWriteFile(const QString& path, const QByteArray& bytes);

// The message for a failed write from the system's error number: "Invalid
// filename", "File access denied", "Disk full", "Too many open files",
// "File not found", otherwise "I/O error <errno>".
QString SaveErrorMessage(int errnoValue);

// Whether writing to path would write over the regular file open as fd (the
// same device and inode, links followed, so other spellings and hard links
// count); false when fd is no regular file or path does not exist.
bool IsSameFile(int fd, const QString& path);
