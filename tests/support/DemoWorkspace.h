#pragma once
// A copy of the demo workspace in a fresh temporary folder that is the current directory while
// the object lives: demo.db, and a demo.udl that names this copy, so that what a test changes
// stays in it. conhist.dat and connection files go there too.
#include "DataLinkFile.h"
#include "DemoConnection.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class TDemoWorkspace {
public:
    TDemoWorkspace() : FPrevious(QDir::currentPath()) {
        EXPECT_TRUE(FFolder.isValid());
        EXPECT_TRUE(
            QFile::copy(QDir(VELMORA_DEMO_WORKSPACE).filePath("demo.db"), FilePath("demo.db")))
            << "the demo workspace lacks demo.db";
        velmora::ado::writeDataLinkFile(FilePath("demo.udl").toStdString(),
                                        DemoConnectionString(FilePath("demo.db").toStdString()));
        QDir::setCurrent(FFolder.path());
    }
    ~TDemoWorkspace() { QDir::setCurrent(FPrevious); }
    TDemoWorkspace(const TDemoWorkspace&) = delete;
    TDemoWorkspace& operator=(const TDemoWorkspace&) = delete;

    QString Path() const { return FFolder.path(); }
    QString FilePath(const QString& Name) const { return FFolder.filePath(Name); }

private:
    QString FPrevious;
    QTemporaryDir FFolder;
};
