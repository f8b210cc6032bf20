#pragma once
// The settings the window keeps between runs: thirteen check marks and one button state
// through the persistence component; its numbers and the section of settings added since
// through its two handlers.
#include <QString>

namespace tamsel {

class TForm1;

class WindowSettings {
public:
    explicit WindowSettings(TForm1 &form) : form_(form) {}

    // Makes the window's persistence component on `file` and loads what it holds.
    void build(const QString &file);

private:
    void loaded();
    void saving();

    TForm1 &form_;
};

} // namespace tamsel
