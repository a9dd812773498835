#pragma once
#include <QByteArray>
#include <QString>
#include <string>

/// The line for a write of `path` that failed: "Cannot write PATH: REASON".
std::string CannotWriteMessage(const QString& path, const std::string& reason);
/// The same with the system's text for `error` (an errno value) as the reason.
std::string CannotWriteMessage(const QString& path, int error);

/// A file written under a new neighbour name of its destination and put in
/// place by a rename when complete, so a failure leaves no file and a reader
/// never sees half of one. The neighbour is made exclusively (never an
/// existing name, never through a link); a link at the destination is
/// replaced, not followed, and anything there that is neither a file nor a
/// link (a FIFO, a device, a folder) is refused before anything is written.
class OutputFile {
public:
    explicit OutputFile(QString path);
    ~OutputFile();  ///< removes the neighbour unless it was put in place
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// Makes the neighbour file; returns an error text, empty on success.
    std::string Open();
    /// The open neighbour's descriptor (close-on-exec), -1 when none is open.
    int descriptor() const { return fd_; }
    /// Writes all of `bytes` at the end of what was written; an error text.
    std::string Write(const QByteArray& bytes);
    /// Closes the neighbour and renames it over the destination; an error
    /// text, after which the neighbour is gone.
    std::string Commit();
    /// Closes and removes the neighbour.
    void Discard();

    const QString& path() const { return path_; }

private:
    QString path_;
    QByteArray partial_;  ///< the neighbour's name in the system's encoding
    int fd_ = -1;
    int mode_ = -1;  ///< the permissions of the file replaced, -1 when there was none
};

/// Writes `bytes` as the whole of the file `path` through an OutputFile;
/// returns an error text, empty on success.
std::string WriteOutputFile(const QString& path, const QByteArray& bytes);
