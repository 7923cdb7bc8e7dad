#pragma once
// A copy of the demo workspace (demo.db and demo.udl) in a fresh temporary folder that is the
// current directory while the object lives: conhist.dat and connection files go there too.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class TDemoWorkspace {
public:
    TDemoWorkspace() : FPrevious(QDir::currentPath()) {
        EXPECT_TRUE(FFolder.isValid());
        for (const char* name : {"demo.db", "demo.udl"})
            EXPECT_TRUE(QFile::copy(QDir(VELMORA_DEMO_WORKSPACE).filePath(name), FilePath(name)))
                << "the demo workspace lacks " << name;
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
