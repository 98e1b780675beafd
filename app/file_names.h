// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include <QByteArray>
#include <QString>

namespace dusk::app {

// The file system's bytes of a path that a file dialog gave as text. Qt reads
// a name that is not UTF-8 with a replacement character for each bad byte,
// and writing that text back gives a name that does not exist. Each part of
// the path that does not exist and holds a replacement character is looked up
// in its folder among the names that read the same; a part that no name or
// more than one name of its folder matches is left as it is, so that reading
// the path fails and says so.
QByteArray FileSystemPath(const QString& path);

// A name or path kept as the file system's bytes, as text for the user.
QString FromFileSystem(const std::string& bytes);

}  // namespace dusk::app
