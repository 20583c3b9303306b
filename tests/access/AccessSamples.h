#pragma once

// The Access files made by Access itself that the tests read where they
// lie, in ../shared/access-samples beside the project (as CI has it); never
// copied into the project. Without them, or without mdb-export, the tests
// that need them say so and are skipped.
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace AccessSamples
{

inline QString folder()
{
    return QDir::cleanPath(QStringLiteral(QUILLMARK_ACCESS_SAMPLES));
}

inline QString file(const char *name)
{
    return QDir(folder()).filePath(QString::fromLatin1(name));
}

// Why the samples cannot be used here; empty when they can.
inline QString missing(const char *name = "testV1997.mdb")
{
    if (!QFileInfo(file(name)).isReadable())
        return QStringLiteral("skipped: the Access sample files are not at %1 (the project's "
                              "../shared/access-samples)")
            .arg(folder());
    return {};
}

inline QString missingTools()
{
    for (const char *tool : {"mdb-export", "mdb-tables"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return QStringLiteral("skipped: %1 (Debian package mdbtools) is not installed")
                .arg(QString::fromLatin1(tool));
    return {};
}

} // namespace AccessSamples

#define SKIP_WITHOUT_SAMPLES(name)                                                                 \
    if (const QString why = AccessSamples::missing(name); !why.isEmpty())                          \
    GTEST_SKIP() << why.toStdString()
