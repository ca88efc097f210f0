#pragma once
// The recording file base: one RIFF form (or none) holding one current chunk into which the
// recording is written, with the temporary-file life cycle of a recording that gets its name only
// when the user saves it.
//
// Threads: an object is used by one thread at a time. The GUI thread runs the file commands; an
// engine may write from its timer thread while it holds the lock that the page also takes for
// its file commands. Objects share nothing with each other.

#include <cstdint>
#include <string>

#include "platform/mmio.h"

namespace files {

// Reasons shared by the recording files.
namespace reason {
inline constexpr const char* kShorterThanItsHeaders =
    "The file is damaged: it is shorter than its headers say";
inline constexpr const char* kHeadersNotWritten = "The file's headers can't be written";
inline constexpr const char* kCannotGrow =
    "Other data follows the recording in the file, so it can't grow";
}  // namespace reason

class RiffFile {
  public:
    // formType: four characters or null for a file without a RIFF form. accessMode: the mmio
    // flags for opening an existing file (MMIO_READ or MMIO_READWRITE).
    RiffFile(const char* formType, const char* dataChunkId, uint32_t accessMode);
    RiffFile(const RiffFile&) = delete;
    RiffFile& operator=(const RiffFile&) = delete;
    virtual ~RiffFile();

    // Closes an open file (false if that fails), then opens name, or a new temporary file.
    virtual bool newFile(const char* name);
    // An existing file is opened with the access mode and read, and the position put at the end
    // of its data, where recording goes on; a missing file or a temporary one is created with its
    // headers. False for a damaged file.
    virtual bool open(const char* name);
    // Writes the sizes, makes the file durable on disk and continues at the end of the data.
    virtual bool bringUpToDate();
    // A modified temporary file is kept on disk and false returned; an unmodified one deleted.
    virtual bool close();
    virtual bool isOpen() const { return hmmio != nullptr; }
    // The read/write position within the current chunk's data.
    virtual uint32_t position() const { return chunkPosition; }
    virtual bool seek(uint32_t newPosition);
    // The current chunk's data size.
    virtual uint32_t length() const { return chunkSize; }
    virtual bool writeHeader() { return true; }
    virtual bool readHeader() { return true; }
    // Returns count, or -1 when nothing was written (the file stays as it was; lastReason() says
    // why).
    virtual int32_t write(const void* bytes, int32_t count);
    // Reads up to count bytes, never past the end of the chunk; -1 on failure.
    virtual int32_t read(void* bytes, int32_t count);
    virtual bool temporaryFolder(std::string& folder);
    virtual bool temporaryName(std::string& name);
    // Empty without an open file, "[noname.WAV]" for a temporary file, else the file's name.
    virtual std::string title() const;
    // intoForm: the RIFF form. Otherwise the chunk chunkName (null: the data chunk), which
    // becomes the current chunk. rewind: search from the start of the form's chunks.
    virtual bool descend(const char* chunkName, bool intoForm, bool rewind);

    bool ascend(bool form);
    bool createChunk(const char* chunkName, bool form);
    // Closes without bringing up to date and deletes the file.
    bool discard();
    // Names the recording, by the rule of platform/write_target.h: a regular file or a new name
    // is replaced in one step and a symbolic link's target replaced, the recording going on
    // there; a FIFO, a device or "-" (standard output) gets a copy of the recording as it
    // stands, which stays open under its old name. On failure the recording stays open under
    // its old name, and lastReason() says why.
    bool saveAs(const char* name);

    bool isModified() const { return modified; }
    bool isTemporary() const { return temporary; }
    const std::string& fileName() const { return path; }
    // Why the last failed open, write, save or close failed, in words for the user: the system's
    // own ("No space left on device") or the file's ("The file is damaged: ..."). A message box
    // shows it after the file's name, so it never holds names from the code.
    const std::string& lastReason() const { return reasonText; }

  protected:
    platform::HMMIO fileHandle() const { return hmmio; }
    uint32_t dataStart() const { return chunkStart; }
    void setModified(bool value) { modified = value; }
    bool hasForm() const { return formType != 0; }
    // Closes the handle without bringing the file up to date; false if the close failed.
    bool releaseHandle();
    // An operation starts: reasons noted before it are not its own.
    void forgetReason();
    // Notes why the current operation failed when nothing it ran has said so yet.
    void report(const char* words);
    // A system call failed: notes the system's words for errno (or `otherwise` when errno is not
    // set), as report() does. Returns false.
    bool systemFailure(const char* otherwise);

  private:
    int64_t fileSize();
    void abandonNewFile();
    bool moveOrCopy(const std::string& from, const std::string& to, bool removeCopiedSource);
    void reopenAfterFailedSave(const std::string& oldPath, bool wasTemporary, uint32_t where);

    uint32_t openMode;
    bool temporary = false;
    bool modified = false;
    platform::HMMIO hmmio = nullptr;
    std::string path;
    platform::MMCKINFO formInfo{};
    platform::MMCKINFO chunkInfo{};
    uint32_t chunkSize = 0;
    uint32_t chunkPosition = 0;
    uint32_t chunkStart = 0;
    platform::FOURCC formType = 0;
    platform::FOURCC dataChunkId = 0;
    // False when other chunks follow the data chunk, which must then not grow over them.
    bool appendable = true;
    std::string reasonText;
};

}  // namespace files
