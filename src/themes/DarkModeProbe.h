#pragma once
// The hidden probe panel that tells the appearance by painting: its view reads the desktop's
// text colour and calls a light text on a dark window "Dark".

#include <QString>
#include <QWidget>

#include "platform/WindowController.h"

class MyCheckDarkModeView : public QWidget
{
    Q_OBJECT
public:
    explicit MyCheckDarkModeView(QWidget *parent = nullptr);

    // "Light" or "Dark" after a paint; null before.
    QString interfaceStyleStr;
    // Set while painting into an image: such a paint changes neither the cache nor the record.
    bool mDrawingOffscreen = false;

protected:
    void paintEvent(QPaintEvent *event) override;
};

class MyCheckDarkModeDlg : public platform::WindowController
{
    Q_OBJECT
public:
    // The one probe of the process, made on first use and kept until the process ends.
    static MyCheckDarkModeDlg *getCurrent();

    explicit MyCheckDarkModeDlg(const QString &windowNibName);

    // Paints the probe view off screen and copies its answer.
    void update_interfaceStyleStr();

    QWidget *mPanel = nullptr;
    MyCheckDarkModeView *checkView = nullptr;
    QString interfaceStyleStr;

    // The dialog actions every controller carries; the probe never runs modally. The close
    // action is Cancel; close() still closes the window.
    using platform::WindowController::close;
    void close(QObject *sender);
    void cancelButtonClicked();
    void ctrlQApp();
    void okButtonClicked();
    void stopModalWithCode(int code);

protected:
    QWidget *makeWindow() override;
};

// Writes the process-wide cache (-1 unknown, 0 light, 1 dark).
void SetDarkModeCacheValue(int value);
