#pragma once
// Reading a whole file for a reader without copying it: the file is mapped read-only, so the
// memory a load needs beyond the page cache is the image alone. Where a file cannot be mapped
// (an empty file, a file system without mapping), its bytes are read into memory instead.
//
// Only regular files are opened: a directory, a FIFO or a device chosen by mistake is refused
// at once with a clear message, and never blocks or makes the reader allocate by a size the
// file does not have.
//
// Micrographs often live on shared folders, where another program may cut or overwrite a
// file while it loads. Touching a mapped page beyond the file's new end would stop the
// program (SIGBUS); a guard answers such a touch with zero bytes instead and notes it, and
// throwIfChanged() then turns the load into a clear error whatever the reader made of the
// zeros.
#include "imaging/formats/byte_reader.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace tesra {

// The message for a name that exists but is not a regular file ("Is a directory" for
// folders, "Not a regular file" otherwise), after the file name and ": ".
std::string notRegularFileMessage(const std::string& fileName, bool directory);

// The message for a file that was cut or overwritten while it was read.
std::string fileChangedMessage(const std::string& fileName);

// Opens a file for reading without blocking on a FIFO, and refuses anything but a regular
// file. Returns the descriptor (close-on-exec) and, when `size` is given, the file's size.
// Throws EImageFile "<fileName>: <system message>" on failure.
int openRegularFile(const std::string& fileName, std::uint64_t* size = nullptr);

// The bytes of a whole regular file, mapped or read.
class FileBytes {
public:
    // Throws EImageFile "<fileName>: <system message>" when the file cannot be opened or read,
    // or is not a regular file.
    explicit FileBytes(const std::string& fileName);
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    ByteSpan bytes() const { return m_bytes; }
    // True when the file is mapped rather than copied.
    bool mapped() const { return m_mapping != nullptr; }

    // Lets go of the mapped pages the process holds; the bytes stay readable (they come back
    // from the file on the next touch). A reader going through a large file calls this now
    // and then, so that the pages behind it do not add up to a second copy of the image.
    void releaseResident() const;

    // Throws EImageFile "<fileName>: the file changed while it was read" when the file was cut
    // while mapped (a touched page lay beyond its new end), shrank before it was read whole,
    // or has been written to since it was opened.
    void throwIfChanged() const;

private:
    bool changed() const;

    std::string m_fileName;
    int m_fd = -1;
    std::uint64_t m_size = 0;
    timespec m_modified{};
    bool m_short = false;    // the read ended before the size the file had when opened
    int m_guard = -1;        // slot of the mapping in the fault guard, -1 when unguarded
    void* m_mapping = nullptr;
    std::size_t m_mappingSize = 0;
    std::vector<std::uint8_t> m_copy;
    ByteSpan m_bytes;
};

}  // namespace tesra
