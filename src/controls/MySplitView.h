#pragma once
// A split view that leaves its panes' frames alone when it is resized.

#include <QSplitter>

class MySplitView : public QSplitter
{
    Q_OBJECT
public:
    using QSplitter::QSplitter;

protected:
    void resizeEvent(QResizeEvent *event) override;
};
