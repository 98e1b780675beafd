// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace dusk {

// Reads the file at CurrentImagePath into freshly allocated, zero-filled
// buffers: at most kRawImageSize bytes into the start of RawImage. FileLength
// becomes the number of bytes read, or -1 (with ReadError holding the
// system's reason) when the file cannot be opened or read. Anything that is
// not a regular file (a folder, a FIFO, a device) counts as unreadable and is
// never read, so it can neither block nor run forever.
void ReadImageFile();

}  // namespace dusk
