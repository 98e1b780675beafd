// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/file_names.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

#include <QFile>
#include <QStringList>

namespace dusk::app {

namespace {

bool Exists(const QByteArray& path) {
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0;
}

struct DirCloser {
    void operator()(DIR* dir) const noexcept { ::closedir(dir); }
};

// The one name in `folder` that reads as `part`, or an empty array.
QByteArray UniqueNameReadingAs(const QByteArray& folder, const QString& part) {
    std::unique_ptr<DIR, DirCloser> dir{::opendir(folder.constData())};
    if (!dir) return {};
    QByteArray found;
    int matches = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (QFile::decodeName(name) == part) {
            found = name;
            ++matches;
        }
    }
    return matches == 1 ? found : QByteArray();
}

}  // namespace

QString FromFileSystem(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

QByteArray FileSystemPath(const QString& path) {
    const QByteArray encoded = QFile::encodeName(path);
    if (!path.contains(QChar::ReplacementCharacter) || Exists(encoded)) return encoded;

    const bool absolute = path.startsWith(QLatin1Char('/'));
    QByteArray result = absolute ? QByteArray("/") : QByteArray();
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        QByteArray name = QFile::encodeName(part);
        const QByteArray folder = result.isEmpty() ? QByteArray(".") : result;
        const QByteArray prefix = result.isEmpty() || result.endsWith('/') ? result : result + '/';
        if (part.contains(QChar::ReplacementCharacter) && !Exists(prefix + name)) {
            const QByteArray real = UniqueNameReadingAs(folder, part);
            if (!real.isEmpty()) name = real;
        }
        result = prefix + name;
    }
    return result;
}

}  // namespace dusk::app
