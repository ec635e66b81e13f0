#pragma once
// Reading a whole file for a reader without copying it: the file is mapped read-only, so the
// memory a load needs beyond the page cache is the image alone. Where a file cannot be mapped
// (an empty file, a file system without mapping), its bytes are read into memory instead.
//
// Only regular files are opened: a directory, a FIFO or a device chosen by mistake is refused
// at once with a clear message, and never blocks or makes the reader allocate by a size the
// file does not have.
#include "imaging/formats/byte_reader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tesra {

// The message for a name that exists but is not a regular file ("Is a directory" for
// folders, "Not a regular file" otherwise), after the file name and ": ".
std::string notRegularFileMessage(const std::string& fileName, bool directory);

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

private:
    void* m_mapping = nullptr;
    std::size_t m_mappingSize = 0;
    std::vector<std::uint8_t> m_copy;
    ByteSpan m_bytes;
};

}  // namespace tesra
