#pragma once
// The settings file a headless window reads: the options that stand for stored settings,
// written into a folder of its own that lasts as long as this object.
#include <QByteArray>
#include <QTemporaryDir>

#include "app/TForm1.h"

namespace tamsel {

class WindowSettings {
public:
    // Ends the program as a wrong command line does when the file cannot be written.
    explicit WindowSettings(const QByteArray &text);
    const TForm1Design &design() const { return design_; }

private:
    QTemporaryDir dir_;
    TForm1Design design_;
};

} // namespace tamsel
