#include "SettingsLocation.h"

#include "FileReplace.h"
#include "FormPlacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace oxeln {

bool canKeepSettingsAt(const QString &path)
{
    const QByteArray name = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    struct stat info {};
    if (::stat(name.constData(), &info) == 0) {
        // A write-protected file is left alone, even by root.
        return S_ISREG(info.st_mode) && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))
            && ::access(name.constData(), W_OK) == 0;
    }
    if (errno != ENOENT)
        return false;
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    return ::access(folder.constData(), W_OK | X_OK) == 0;
}

QString userSettingsPath(const QString &fileName)
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config + QStringLiteral("/oxeln/") + fileName;
}

QString settingsFileForExecutable(const QString &executablePath)
{
    const QString beside = iniPathForExecutable(executablePath);
    if (canKeepSettingsAt(beside))
        return beside;
    const QString user = userSettingsPath(QFileInfo(beside).fileName());
    if (!QFileInfo::exists(user) && QFileInfo(beside).isFile())
        return beside;
    return user;
}

void prepareUserSettingsFile(const QString &from, const QString &to)
{
    QDir().mkpath(QFileInfo(to).absolutePath());
    if (from == to || QFileInfo::exists(to))
        return;
    QFile source(from);
    if (source.open(QIODevice::ReadOnly))
        replaceFile(to, source.readAll());
}

} // namespace oxeln
