#pragma once

#include <QString>

// A file that belongs to one run: created under a unique name from a pattern ("temp-XXXXXX.avi"), with
// O_EXCL so that no other run can hold the same one, and removed only by its owner. The encoders write
// over it.
class TOwnedFile {
public:
    TOwnedFile() = default;
    ~TOwnedFile() { Remove(); }
    TOwnedFile(const TOwnedFile&) = delete;
    TOwnedFile& operator=(const TOwnedFile&) = delete;

    // Creates the file in folder; false, with error set to the path and the reason, when it cannot.
    bool Create(const QString& folder, const QString& pattern, QString& error);
    // The same as a named pipe (mkfifo refuses a name that exists, so the name is ours alone).
    bool CreatePipe(const QString& folder, const QString& pattern, QString& error);
    void Remove();
    // Gives up ownership without removing the file (it was renamed into place).
    void Release() { FPath.clear(); }
    // Empties the file (the next item writes it afresh); it stays ours.
    void Truncate();
    // Removes the file but keeps the name ours, for an encoder told to create it and never to write over
    // a file (FFmpeg's -n): the unique name was reserved a moment ago.
    void FreeName();

    const QString& Path() const { return FPath; }
    bool Owned() const { return !FPath.isEmpty(); }

private:
    QString FPath;
};
