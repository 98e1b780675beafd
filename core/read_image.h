#pragma once

#include <string>

namespace dusk {

// Allocates RawImage and BitmapImage zero-filled (replacing any held ones).
// Throws std::bad_alloc when memory cannot be had.
void AllocateWorkingBuffers();
// Releases RawImage and BitmapImage.
void ReleaseWorkingBuffers();

// Releases the working buffers when the operation that holds it ends, also
// when it ends by an exception.
class WorkingBuffers {
public:
    WorkingBuffers() = default;
    WorkingBuffers(const WorkingBuffers&) = delete;
    WorkingBuffers& operator=(const WorkingBuffers&) = delete;
    ~WorkingBuffers() { ReleaseWorkingBuffers(); }
};

// Reads the file at CurrentImagePath into freshly allocated, zero-filled
// buffers: at most kRawImageSize bytes into the start of RawImage. FileLength
// becomes the number of bytes read, or -1 (with ReadError holding the
// system's reason) when the file cannot be opened or read. Anything that is
// not a regular file (a folder, a FIFO, a device) counts as unreadable and is
// never read, so it can neither block nor run forever.
void ReadImageFile();

// Splits a path into its folder (with trailing separator) and name.
std::string DirectoryPart(const std::string& path);
std::string NamePart(const std::string& path);

}  // namespace dusk
