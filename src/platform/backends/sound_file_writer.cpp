#include "platform/backends/sound_file_writer.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/path_folder.h"
#include "platform/temp_file_name.h"
#include "platform/write_target.h"

namespace platform {

namespace {

constexpr sf_count_t kChunkFrames = 4096;

int pcmSubtype(SampleDepth depth, bool unsignedEightBit) {
    switch (depth) {
        case SampleDepth::bits8:
            return unsignedEightBit ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_S8;
        case SampleDepth::bits16:
            return SF_FORMAT_PCM_16;
        case SampleDepth::bits24:
            return SF_FORMAT_PCM_24;
        case SampleDepth::floating:
            return SF_FORMAT_FLOAT;
    }
    return SF_FORMAT_PCM_16;
}

int libraryFormat(const SoundFileFormat& format) {
    switch (format.kind) {
        case SoundFileKind::wav:
            return SF_FORMAT_WAV | pcmSubtype(format.depth, true);
        case SoundFileKind::flac:
            return SF_FORMAT_FLAC | pcmSubtype(format.depth, false);
        case SoundFileKind::ogg:
            return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        case SoundFileKind::opus:
            return SF_FORMAT_OGG | SF_FORMAT_OPUS;
        case SoundFileKind::mp3:
            return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    }
    return 0;
}

std::string systemReason(int error) {
    return std::generic_category().message(error);
}

// The reason a failed library call gives: the system's, when a system call failed.
std::string libraryReason(SNDFILE* file, int savedErrno) {
    if (sf_error(file) == SF_ERR_SYSTEM && savedErrno != 0) {
        return systemReason(savedErrno);
    }
    return sf_strerror(file);
}

class InputFile {
  public:
    explicit InputFile(const std::string& path) : file(sf_open(path.c_str(), SFM_READ, &info)) {}
    ~InputFile() {
        if (file != nullptr) {
            sf_close(file);
        }
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    SF_INFO info{};
    SNDFILE* file;
};

sf_count_t readSamples(SNDFILE* file, short* samples, sf_count_t count) {
    return sf_read_short(file, samples, count);
}
sf_count_t readSamples(SNDFILE* file, int* samples, sf_count_t count) {
    return sf_read_int(file, samples, count);
}
sf_count_t writeSamples(SNDFILE* file, const short* samples, sf_count_t count) {
    return sf_write_short(file, samples, count);
}
sf_count_t writeSamples(SNDFILE* file, const int* samples, sf_count_t count) {
    return sf_write_int(file, samples, count);
}

// Copies every sample of `in` into `out` as `Sample`, which holds the take's samples whole.
template <typename Sample>
bool copySamples(InputFile& in, SNDFILE* out, std::string& reason) {
    std::array<Sample, kChunkFrames * 2> samples{};
    const sf_count_t chunk = kChunkFrames * in.info.channels;
    for (;;) {
        const sf_count_t got = readSamples(in.file, samples.data(), chunk);
        if (got <= 0) {
            if (sf_error(in.file) != SF_ERR_NO_ERROR) {
                reason = "cannot read the render: " + std::string(sf_strerror(in.file));
                return false;
            }
            return true;
        }
        errno = 0;
        if (writeSamples(out, samples.data(), got) != got) {
            reason = libraryReason(out, errno);
            return false;
        }
    }
}

// Copies every frame of `in` into the file open on `fd` and ends it.
bool encode(InputFile& in, int fd, const SoundFileFormat& format, std::string& reason) {
    SF_INFO outInfo{};
    outInfo.samplerate = format.rate;
    outInfo.channels = format.channels;
    outInfo.format = libraryFormat(format);
    if (sf_format_check(&outInfo) == SF_FALSE) {
        reason = "this kind of file cannot hold " + std::to_string(format.rate) + " Hz with " +
                 std::to_string(format.channels) + " channels";
        return false;
    }
    errno = 0;
    SNDFILE* out = sf_open_fd(fd, SFM_WRITE, &outInfo, SF_FALSE);
    if (out == nullptr) {
        reason = libraryReason(nullptr, errno);
        return false;
    }
    // Whole numbers written to a float file come to full scale 1, as players read it; the
    // library would otherwise store them as they are (a 16-bit peak as 32767.0).
    sf_command(out, SFC_SET_SCALE_INT_FLOAT_WRITE, nullptr, SF_TRUE);
    // A 24-bit take goes through int, which a float holds exactly too. An 8- or 16-bit one stays
    // on short: an encoder scales the two differently (Vorbis takes short / 32767), and its
    // exports keep the sound they had.
    const bool deepTake = (in.info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_24;
    bool ok = deepTake ? copySamples<int>(in, out, reason) : copySamples<short>(in, out, reason);
    // The compressed kinds write their last pages on close.
    errno = 0;
    const int closed = sf_close(out);
    if (ok && closed != SF_ERR_NO_ERROR) {
        reason =
            closed == SF_ERR_SYSTEM && errno != 0 ? systemReason(errno) : sf_error_number(closed);
        ok = false;
    }
    return ok;
}

bool finishFile(int fd, bool ok, std::string& reason) {
    if (ok && ::fsync(fd) != 0 && errno != EINVAL) {
        reason = systemReason(errno);
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        reason = systemReason(errno);
        ok = false;
    }
    return ok;
}

}  // namespace

bool writeSoundFile(const std::string& wavePath, const std::string& outPath,
                    const SoundFileFormat& format, std::string& reason) {
    InputFile in(wavePath);
    if (in.file == nullptr) {
        reason = "cannot read the render: " + std::string(sf_strerror(nullptr));
        return false;
    }
    if (in.info.samplerate != format.rate || in.info.channels != format.channels) {
        reason = "the render is not in the format asked for";
        return false;
    }
    WriteTarget where;
    if (!resolveWriteTarget(outPath, where)) {
        reason = systemReason(errno);
        return false;
    }
    // A direct target takes a copy of a finished file, so that a failure leaves nothing there.
    const bool direct = where.method == WriteMethod::Direct;
    mode_t mode = direct ? 0600 : 0666;  // a new file's mode is narrowed by the umask
    struct stat existing {};
    const bool replacing = !direct && ::stat(where.path.c_str(), &existing) == 0;
    if (replacing) {
        mode = existing.st_mode & 07777;
    }
    std::string tempPath;
    const int fd = createTemporaryBeside(direct ? getTempPath() + "lirveto-export" : where.path,
                                         mode, tempPath);
    if (fd < 0) {
        reason = systemReason(errno);
        return false;
    }
    bool ok = encode(in, fd, format, reason);
    if (ok && replacing && ::fchmod(fd, mode) != 0 && errno != EPERM) {
        reason = systemReason(errno);
        ok = false;
    }
    ok = finishFile(fd, ok, reason);
    if (ok && direct && !copyFileDirectly(tempPath, where)) {
        reason = systemReason(errno);
        ok = false;
    }
    if (ok && !direct && ::rename(tempPath.c_str(), where.path.c_str()) != 0) {
        reason = systemReason(errno);
        ok = false;
    }
    if (!ok || direct) {
        ::unlink(tempPath.c_str());
        return ok;
    }
    // Make the rename itself durable; a failure here does not undo a completed replacement.
    const int folder = ::open(folderOf(where.path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

}  // namespace platform
