#pragma once
// Errors raised while capture buffers are handled. A box there would stand between two
// samples and hold the buffer under its own event loop, so they wait until the handling has
// returned; and while the box of one failure is open, its repeats are reported but not boxed.
#include <QList>
#include <QSet>
#include <QString>

namespace tamsel {

class HeldErrors {
public:
    // `failure` names what failed, so that repeats with other texts share one box; empty:
    // the text itself.
    void hold(const QString &text, const QString &failure = {});
    // Shows what is held, each in the standard error box unless its failure's box is open.
    void show();
    void clear() { held_.clear(); }

private:
    struct Held {
        QString text;
        QString failure;
    };
    QList<Held> held_;
    QSet<QString> open_;
};

} // namespace tamsel
