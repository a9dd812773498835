#include "app/video_encoder.h"

#include <fcntl.h>

#include <QImage>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <iterator>

#include "simulation/output_file.h"

std::optional<VideoFormat> VideoFormatOf(const QString& path) {
    if (path.endsWith(".mp4", Qt::CaseInsensitive)) return VideoFormat::Mp4;
    if (path.endsWith(".webm", Qt::CaseInsensitive)) return VideoFormat::WebM;
    if (path.endsWith(".gif", Qt::CaseInsensitive)) return VideoFormat::Gif;
    return std::nullopt;
}

std::string MissingEncoderMessage() {
    return "Videos are made by ffmpeg, which is not installed: install the Debian package ffmpeg "
           "(apt install ffmpeg)";
}

namespace {

/// The encoder's output options for `format`, after its input options.
QStringList OutputArguments(VideoFormat format) {
    // H.264 and VP8 in 4:2:0 need even sides: an odd side gets one column or row of white.
    const QString even = "pad=ceil(iw/2)*2:ceil(ih/2)*2:color=white";
    switch (format) {
        case VideoFormat::Mp4:
            return {"-vf", even,       "-c:v",    "libx264",   "-preset",    "veryfast", "-crf",
                    "18",  "-pix_fmt", "yuv420p", "-movflags", "+faststart", "-f",       "mp4"};
        case VideoFormat::WebM:
            return {"-vf",  even, "-c:v", "libvpx", "-deadline", "realtime", "-cpu-used", "8",
                    "-crf", "8",  "-b:v", "4M",     "-pix_fmt",  "yuv420p",  "-f",        "webm"};
        case VideoFormat::Gif:
            // A palette made for each frame as it comes, so no frame is held back.
            return {"-vf",
                    "split[a][b];[a]palettegen=stats_mode=single:reserve_transparent=0[p];"
                    "[b][p]paletteuse=new=1:dither=none",
                    "-f", "gif"};
    }
    return {};
}

/// The last line of what the encoder printed, without the lines that only
/// count repeats of the one before.
std::string LastLine(const QByteArray& printed) {
    const QStringList lines = QString::fromLocal8Bit(printed).split('\n', Qt::SkipEmptyParts);
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        const QString text = line->trimmed();
        if (!text.isEmpty() && !text.startsWith("Last message repeated")) return text.toStdString();
    }
    return {};
}

}  // namespace

VideoEncoder::VideoEncoder() = default;

VideoEncoder::~VideoEncoder() {
    if (running_) Abort();
}

std::string VideoEncoder::Start(const QString& path, int width, int height, double fps,
                                const std::vector<std::string>& kept) {
    const std::optional<VideoFormat> format = VideoFormatOf(path);
    if (!format) return "A video is written as .mp4, .webm or .gif, not as " + path.toStdString();
    const QString program = QStandardPaths::findExecutable("ffmpeg");
    if (program.isEmpty()) return MissingEncoderMessage();
    output_ = std::make_unique<OutputFile>(path.toStdString(), kept);
    if (std::string problem = output_->Open(); !problem.empty()) return problem;
    // ffmpeg writes into the file made here, by its descriptor: it opens no
    // name of its own. Through /dev/fd it is a file it can seek and read back.
    const int fd = output_->descriptor();
    url_ = QString("/dev/fd/%1").arg(fd);
    QStringList arguments{"-hide_banner", "-loglevel",
                          "error",        "-y",
                          "-f",           "rawvideo",
                          "-pix_fmt",     "bgra",
                          "-s",           QString("%1x%2").arg(width).arg(height),
                          "-framerate",   QString::number(fps, 'g', 10),
                          "-i",           "pipe:0"};
    arguments += OutputArguments(*format);
    arguments << url_;
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setChildProcessModifier([fd] { ::fcntl(fd, F_SETFD, 0); });  // the child keeps it open
    process_.start(program, arguments);
    if (!process_.waitForStarted()) {
        output_->Discard();
        return "Cannot start " + program.toStdString();
    }
    running_ = true;
    return {};
}

bool VideoEncoder::AddFrame(const QImage& frame) {
    if (!running_ || process_.state() != QProcess::Running) return false;
    for (int y = 0; y < frame.height(); ++y)
        process_.write(reinterpret_cast<const char*>(frame.constScanLine(y)), qint64(frame.width()) * 4);
    // Keep at most about a frame in flight, so memory stays flat and a
    // failure shows at once.
    while (process_.bytesToWrite() > 0)
        if (!process_.waitForBytesWritten(30000)) return process_.bytesToWrite() == 0;
    return true;
}

std::string VideoEncoder::Finish() {
    if (!running_) return "The video encoder is not running";
    running_ = false;
    process_.closeWriteChannel();
    process_.waitForFinished(-1);
    const QByteArray printed = process_.readAllStandardError();
    // ffmpeg can end with status 0 after a failed write: what it printed
    // (at the level of errors only) says whether the video is whole.
    if (std::string problem = WriteFailure(printed); !problem.empty()) {
        output_->Discard();
        return problem;
    }
    const QString problem = QString::fromLocal8Bit(printed).trimmed();
    if (process_.exitStatus() != QProcess::NormalExit || process_.exitCode() != 0 || !problem.isEmpty()) {
        output_->Discard();
        return "ffmpeg could not write the video" + (problem.isEmpty() ? "" : ": " + problem.toStdString());
    }
    return output_->Commit();
}

void VideoEncoder::Abort() {
    running_ = false;
    process_.kill();
    process_.waitForFinished(-1);
    if (output_) output_->Discard();
}

std::string VideoEncoder::StoppedEarly() {
    running_ = false;
    // It has usually ended by itself, its reason printed last.
    if (!process_.waitForFinished(5000)) process_.kill();
    process_.waitForFinished(-1);
    if (output_) output_->Discard();
    const QByteArray printed = process_.readAllStandardError();
    if (std::string problem = WriteFailure(printed); !problem.empty()) return problem;
    const std::string reason = LastLine(printed);
    return "ffmpeg stopped before the video was complete" + (reason.empty() ? "" : ": " + reason);
}

std::string VideoEncoder::WriteFailure(const QByteArray& printed) const {
    // ffmpeg's lines about writing its output: each ends with ": " and the
    // system's reason.
    const QString marks[] = {url_ + ": ", "Could not write header", "av_interleaved_write_frame():"};
    const QStringList lines = QString::fromLocal8Bit(printed).split('\n', Qt::SkipEmptyParts);
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        const qsizetype colon = line->lastIndexOf(": ");
        if (colon < 0 || std::none_of(std::begin(marks), std::end(marks),
                                      [&](const QString& mark) { return line->contains(mark); }))
            continue;
        const QString reason = line->mid(colon + 2).trimmed();
        if (!reason.isEmpty()) return CannotWriteMessage(output_->path(), reason.toStdString());
    }
    return {};
}
