#pragma once
// What the fuzz targets that read files share: the file their bytes are written to, and
// how a broken promise ends the run (libFuzzer keeps the input that did it).

#include <QDir>
#include <QString>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

// Name in a folder of this run's own, on tmpfs when there is one: a write's fsync then
// costs nothing.
inline QString FuzzScratchPath(const QString& Name)
{
    const QString base =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    const QString dir = base + QStringLiteral("/brindletop-fuzz-%1").arg(::getpid());
    QDir().mkpath(dir);
    return dir + u'/' + Name;
}

[[noreturn]] inline void FuzzFail(const char* Target, const char* What)
{
    std::fprintf(stderr, "%s fuzz: %s\n", Target, What);
    std::abort();
}
