#pragma once
// The set-up of a test of a window on two files: answered alerts, a fresh folder for the files
// it writes, and the window made on two of them and shown. Each test settles the window its own
// way (a text window waits for its compare, an image window for its pictures).

#include "support/AlertAnswers.h"
#include "support/TestEnvironment.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>
#include <memory>

namespace pelkotest {

template <class Window> class TwoFileWindowTest : public ::testing::Test, protected AlertAnswers
{
protected:
    explicit TwoFileWindowTest(const QString &folderHint) : dir(freshDir(folderHint)) {}

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir + u'/' + name;
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }
    // A window on two files, shown, still reading them.
    static std::unique_ptr<Window> showWindowOn(const QString &left, const QString &right)
    {
        auto w = std::make_unique<Window>();
        w->setMFile1(left);
        w->setMFile2(right);
        w->showWindow();
        return w;
    }

    QString dir;
};

} // namespace pelkotest
