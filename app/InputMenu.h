#pragma once
// Option / Input: the capture sources the server offers, the one chosen handed to the capture
// session; the source in use in the window's title, the capture's note in the status bar.
class QAction;

namespace tamsel {

class TForm1;

class InputMenu {
public:
    explicit InputMenu(TForm1 &form) : form_(form) {}

    // One radio item per source after "Default", by description; monitors only on request
    // (or when one is the chosen source).
    void refresh();
    void itemClicked(QAction *item);
    void showInUse();
    void showNote();

private:
    TForm1 &form_;
};

} // namespace tamsel
