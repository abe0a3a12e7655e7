#pragma once
// A start window on the offscreen platform with its own user defaults, settings and histories;
// alerts, open panels and save panels are answered by the test and recorded.

#include "platform/Alerts.h"
#include "platform/Document.h"
#include "platform/Panels.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "services/AppInit.h"
#include "services/AppSetting.h"
#include "shell/MergeDocument.h"
#include "support/TestEnvironment.h"
#include "ui_MergeDocument.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace pelkotest {

class StartWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mDir = freshDir(QStringLiteral("start"));
        platform::UserDefaults::standard().setFilePath(mDir + QStringLiteral("/defaults.plist"));
        AppSetting_SetDefault(&gAppSetting);
        AppSetting_Load();
        platform::setAlertHook([this](const platform::AlertRequest &r) {
            mAlerts << r;
            return platform::AlertFirstButtonReturn;
        });
        platform::setOpenPanelHook([this](const platform::OpenPanelRequest &r) {
            mOpenRequests << r;
            return mOpenAnswers.isEmpty() ? QStringList() : mOpenAnswers.takeFirst();
        });
        platform::setSavePanelHook([this](const platform::SavePanelRequest &r) {
            mSaveRequests << r;
            return mSaveAnswer;
        });
        platform::setRevealHook([this](const QString &path) {
            mRevealed << path;
            return true;
        });
    }

    void TearDown() override
    {
        for (QPointer<MergeDocument> &doc : mDocs) {
            if (doc)
                delete doc.data();
        }
        closeOtherWindows();
        platform::setAlertHook(nullptr);
        platform::setOpenPanelHook(nullptr);
        platform::setSavePanelHook(nullptr);
        platform::setRevealHook(nullptr);
        gAppHasSandbox = false;
    }

    // Closes the compare windows a test opened (each frees its controller).
    static void closeOtherWindows()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->isVisible())
                w->close();
        }
        QTest::qWait(20);
    }

    MergeDocument *openWindow(const QString &fileURL = QString())
    {
        auto *doc = new MergeDocument();
        if (!fileURL.isEmpty()) {
            doc->setFileURL(fileURL);
            doc->readFromFile(fileURL, QString());
        }
        // As the document controller opens it.
        platform::DocumentController::sharedDocumentController().addDocument(doc);
        doc->makeWindowControllers();
        doc->showWindows();
        mDocs << doc;
        return doc;
    }

    QString file(const QString &name, const QByteArray &bytes = "text\n")
    {
        const QString path = mDir + QLatin1Char('/') + name;
        writeFile(path, bytes);
        return path;
    }

    QString folder(const QString &name)
    {
        const QString path = mDir + QLatin1Char('/') + name;
        QDir().mkpath(path);
        return path;
    }

    QString mDir;
    QList<platform::AlertRequest> mAlerts;
    QList<platform::OpenPanelRequest> mOpenRequests;
    QList<QStringList> mOpenAnswers;
    QList<platform::SavePanelRequest> mSaveRequests;
    QString mSaveAnswer;
    QStringList mRevealed;
    QList<QPointer<MergeDocument>> mDocs;
};

} // namespace pelkotest
