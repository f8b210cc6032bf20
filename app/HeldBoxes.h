#pragma once
// Boxes raised while capture buffers are handled: errors, and the message of a calibration that
// ended. A box there would stand between two samples and hold the buffer under its own event
// loop, so they wait until the handling has returned; and while the box of one failure is open,
// its repeats are reported but not boxed.
#include <QList>
#include <QSet>
#include <QString>

namespace tamsel {

class HeldBoxes {
public:
    // `failure` names what failed, so that repeats with other texts share one box; empty:
    // the text itself.
    void hold(const QString &text, const QString &failure = {});
    void holdMessage(const QString &text) { message_ = text; }
    // Shows what is held, each error in the standard error box unless its failure's box is
    // open, then the message.
    void show();
    void clear() { held_.clear(); }

private:
    struct Held {
        QString text;
        QString failure;
    };
    QList<Held> held_;
    QSet<QString> open_;
    QString message_;
};

} // namespace tamsel
