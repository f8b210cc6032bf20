#pragma once
// Runs a handler whenever the mouse moves over a widget, so that it can set the hint the
// widget shows next.
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <functional>

namespace tamsel {

class HoverHint : public QObject {
public:
    HoverHint(QWidget *widget, std::function<void()> onMove) : QObject(widget), onMove_(std::move(onMove))
    {
        widget->setMouseTracking(true);
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter)
            onMove_();
        return false;
    }

private:
    std::function<void()> onMove_;
};

inline void hoverHint(QWidget *widget, std::function<void()> onMove)
{
    new HoverHint(widget, std::move(onMove));
}

} // namespace tamsel
