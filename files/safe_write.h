#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

// How a write ended: the step that failed and the system's error number.
struct WriteOutcome {
    enum class Step {
        None,    // everything is on disk
        Create,  // the target could not be reached, its file not created or
                 // its old bytes not kept aside; nothing was changed
        Write,   // writing, syncing, reading back, closing or the final rename failed
        Produce, // the writer gave up (returned false): Errno is 0, the writer
                 // knows why
    };
    Step Failed = Step::None;
    int Errno = 0;

    bool Ok() const { return Failed == Step::None; }
};

// The one way this program writes a file. write produces the file's bytes
// into out and returns false when it fails on its own; it must not seek, and
// whatever it still holds in buffers of its own when it returns is lost. A
// write to out that fails returns -1, and so does every later one; the
// outcome then names that error. An exception from write leaves the target
// as a failure would and goes on to the caller.
//
// Which file gets the bytes: path is a name as file_name.h carries it, so
// bytes that are not UTF-8 reach open() as given. Symbolic links are
// followed, except where the kernel's protected-symlinks rule would refuse
// them (a link in a world-writable sticky folder owned by neither the user
// nor the folder's owner: EACCES). A missing folder is ENOTDIR; a directory
// is EISDIR; an existing file that is not writable for the user is refused
// (EACCES).
//
// How they get there, never losing the old bytes:
// - A new file, or a regular file with one link whose owner, group and
//   permission bits a new file can take, in a folder that takes new files:
//   the bytes go to a temporary file in that folder which is written,
//   synced, closed and only then renamed over the target, each step
//   checked. A failure leaves the old file exactly as it was and no
//   temporary file behind.
// - A regular file that a rename would harm: one with further hard links
//   (they would keep the old bytes), one whose owner or group a new file of
//   this user cannot have (a shared, group-writable file of another user),
//   or one in a folder that takes no new files. It is rewritten in place:
//   its old bytes are first copied aside (in memory up to 64 MiB, else into
//   an unnamed file in the temporary folder; it must be readable for that),
//   the new bytes written over them, the file cut to their length, synced
//   and read back for comparison. On any failure the old bytes are written
//   back, so only a device that fails that too leaves the file changed.
//   The file keeps its inode, its links, owner, group and permission bits.
// - An existing device, pipe or socket (links to them in /proc, such as
//   /dev/stdout, included) is written in place, opened without blocking, so
//   a pipe that nobody reads fails (ENXIO) instead of hanging, and a
//   stalled reader times out. What it was given cannot be taken back.
WriteOutcome SafeWriteStream(const QString& path, const std::function<bool(QIODevice& out)>& write);

// SafeWriteStream with bytes already in memory.
WriteOutcome SafeWriteFile(const QString& path, const QByteArray& bytes);

// The message for a failed write from the system's error number: "Invalid
// filename", "File access denied", "Disk full", "Too many open files",
// "File not found", "Pipe closed by its reader", otherwise "I/O error
// <errno>".
QString SaveErrorMessage(int errnoValue);

// Whether writing to path would write over the regular file open as fd (the
// same device and inode, links followed, so other spellings and hard links
// count); false when fd is no regular file or path does not exist.
bool IsSameFile(int fd, const QString& path);
