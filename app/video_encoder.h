#pragma once
#include <QProcess>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QImage;
class OutputFile;

/// The video containers a recording can be written as, chosen by the file's
/// extension: .mp4 (H.264), .webm (VP8) and .gif.
enum class VideoFormat { Mp4, WebM, Gif };

/// The format of `path` by its extension (any case), none for another one.
std::optional<VideoFormat> VideoFormatOf(const QString& path);

/// The line shown when the encoder program cannot be found.
std::string MissingEncoderMessage();

/// Writes frames to a video through an `ffmpeg` child process: raw 32-bit
/// frames go down its standard input, so no image file is ever written. The
/// video is made in an OutputFile, which ffmpeg writes through its
/// descriptor, and put in place when it is complete; a cancelled or failed
/// recording leaves no file at `path`.
class VideoEncoder {
public:
    VideoEncoder();
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    /// Starts the encoder for frames of `width` x `height` at `fps` frames a
    /// second, into `path` unless it is one of the files `kept`; returns an
    /// error text, empty when it runs.
    std::string Start(const QString& path, int width, int height, double fps,
                      const std::vector<std::string>& kept = {});
    /// Hands over one frame of the size given to Start (a 32-bit image);
    /// false when the encoder has gone.
    bool AddFrame(const QImage& frame);
    /// Ends the stream, waits for the encoder and puts the video in place;
    /// returns an error text, empty on success.
    std::string Finish();
    /// Stops the encoder and removes what it wrote.
    void Abort();
    /// After AddFrame failed: lets the encoder end (killing it after a few
    /// seconds), removes what it wrote and returns why it stopped, in its
    /// own last words.
    std::string StoppedEarly();

private:
    /// "Cannot write PATH: REASON" when what the encoder printed says that
    /// writing the video failed, empty otherwise.
    std::string WriteFailure(const QByteArray& printed) const;

    QProcess process_;
    std::unique_ptr<OutputFile> output_;
    QString url_;  ///< the name the encoder writes the video through
    bool running_ = false;
};
