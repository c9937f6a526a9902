#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Real-file conditions for the error paths. Mounting needs root; each helper
// reports whether it could set its condition up, so a test can skip with the
// reason instead of passing vacuously.

QByteArray ReadBytes(const QString& path);
void WriteBytes(const QString& path, const QByteArray& bytes);

// A tmpfs of the given size mounted on a fresh folder, unmounted on destruction.
class TmpfsMount {
public:
    explicit TmpfsMount(const char* options);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool Mounted() const { return mounted_; }
    const QString& Error() const { return error_; }
    QString Path() const { return folder_.path(); }
    // Remounts read-only; false with Error() set when that fails.
    bool MakeReadOnly();

private:
    QTemporaryDir folder_;
    bool mounted_ = false;
    QString error_;
};

// Sets or clears the immutable attribute of a file (root only).
bool SetImmutable(const QString& path, bool on, QString& error);

// Fills the file system of folder with a file of that name until no byte more
// fits; false when the file system accepted more than a gigabyte.
bool FillFileSystem(const QString& fillerPath);
