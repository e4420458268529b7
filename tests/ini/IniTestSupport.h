// Helpers shared by the INI document tests: a scratch folder and whole-file byte access.
#pragma once

#include "ini/IniDocument.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '{';
    for (qsizetype i = 0; i < list.size(); ++i)
        *os << (i ? ", \"" : "\"") << list[i].toStdString() << '"';
    *os << '}';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << '"' << bytes.toStdString() << "\" (hex " << bytes.toHex().toStdString() << ')';
}

// The whole document in file form, one string a line.
inline QStringList Contents(TIniDocument& doc)
{
    QStringList list;
    doc.GetStrings(list);
    return list;
}

class IniFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(FDir.isValid()); }

    QString Path(const QString& name = QStringLiteral("settings.ini")) const
    {
        return FDir.filePath(name);
    }

    static void WriteBytes(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    static QByteArray ReadBytes(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray("<missing>");
        return file.readAll();
    }

    QTemporaryDir FDir;
};
