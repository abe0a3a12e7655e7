#pragma once
// Fake windows for the application delegate's tests: start windows are documents that record
// what they were given, compare windows are plain controllers with an unshown window.

#include "platform/Document.h"
#include "platform/WindowController.h"
#include "shell/WindowFactory.h"

#include <QAction>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <ostream>

// Readable failure messages for paths.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

class FakeStartDocument : public platform::Document
{
    Q_OBJECT
public:
    FakeStartDocument() : mWindow(std::make_unique<QWidget>()) {}
    bool readFromFile(const QString &path, const QString &) override
    {
        left = path;
        return true;
    }
    QWidget *windowForSheet() const override { return mWindow.get(); }
    Q_INVOKABLE void Navigate_Forward() { ++compares; }

    QString left, right;
    int compares = 0;
    bool closing = false;
    std::unique_ptr<QWidget> mWindow;
};

class FakeCompareWindow : public platform::WindowController
{
    Q_OBJECT
public:
    FakeCompareWindow(QString kind, QString left, QString right)
        : platform::WindowController(kind), kind(std::move(kind)), left(std::move(left)),
          right(std::move(right))
    {}
    QString kind, left, right;

protected:
    QWidget *makeWindow() override { return new QWidget(); }
};

class FakeWindowFactory : public WindowFactory
{
public:
    FakeWindowFactory() { setWindowFactory(this); }
    ~FakeWindowFactory() override
    {
        setWindowFactory(nullptr);
        for (const auto &w : opened)
            delete w.data();
    }

    platform::WindowController *openTextWindow(const QString &left, const QString &right) override
    {
        return make(QStringLiteral("text"), left, right);
    }
    platform::WindowController *openImageWindow(const QString &left, const QString &right) override
    {
        return make(QStringLiteral("image"), left, right);
    }
    platform::WindowController *openBlankTextWindow() override
    {
        return make(QStringLiteral("blank"), {}, {});
    }
    bool isStartWindow(platform::Document *d) const override { return start(d); }
    void setLeftText(platform::Document *d, const QString &path) override
    {
        if (auto *s = start(d))
            s->left = path;
    }
    void setRightText(platform::Document *d, const QString &path) override
    {
        if (auto *s = start(d))
            s->right = path;
    }
    QString fullPath1(platform::Document *d) const override
    {
        return start(d) ? start(d)->left : QString();
    }
    QString fullPath2(platform::Document *d) const override
    {
        return start(d) ? start(d)->right : QString();
    }
    bool isClosing(platform::Document *d) const override { return !start(d) || start(d)->closing; }
    QWidget *startWindow(platform::Document *d) const override
    {
        return start(d) ? start(d)->mWindow.get() : nullptr;
    }
    void tryToCompareRightNow(platform::Document *d) override
    {
        if (auto *s = start(d))
            ++s->compares;
    }

    // "kind left right" of each compare window opened, in order.
    QStringList compareWindows() const
    {
        QStringList out;
        for (const auto &w : opened)
            if (w)
                out << w->kind + u' ' + w->left + u' ' + w->right;
        return out;
    }
    bool failCompareWindows = false;
    QList<QPointer<FakeCompareWindow>> opened;

private:
    static FakeStartDocument *start(platform::Document *d)
    {
        return qobject_cast<FakeStartDocument *>(d);
    }
    platform::WindowController *make(const QString &kind, const QString &l, const QString &r)
    {
        if (failCompareWindows)
            return nullptr;
        auto *w = new FakeCompareWindow(kind, l, r);
        opened.append(w);
        return w;
    }
};

// A window controller that answers some commands, with and without the item.
class AnsweringWindow : public platform::WindowController
{
    Q_OBJECT
public:
    AnsweringWindow() : platform::WindowController(QStringLiteral("AnsweringWindow")) {}
    Q_INVOKABLE void Menu_ReloadWithEncoding(QAction *item) { calls << item->text(); }
    Q_INVOKABLE void New_BlankEdit() { calls << QStringLiteral("own blank"); }
    QStringList calls;

protected:
    QWidget *makeWindow() override { return new QWidget(); }
};
