#pragma once

#include "TestDatabase.h"
#include "backup/Backup.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A program folder whose database holds rows in every table (texts with quotes and Chinese,
// day numbers with fractions, NULLs), and a private runtime folder for the instance marker.
class BackupTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Every row of every table, in a fixed order, read through a fresh connection.
    static QStringList Snapshot(const QString& path);
    static QByteArray Bytes(const QString& path);
    // The names in a folder, hidden ones included.
    static QStringList Names(const QString& folder);

    TTestDatabase db;
    QTemporaryDir runtime;
    // What a copy, a check or a restore gives back.
    QString copy;
    TBackupError error;
    QStringList problems;
    QString safety;
    QString message;
};
