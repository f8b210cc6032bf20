#pragma once
// A --device the sound server does not have: the window names it, lists the sources there
// are, and offers the default source for the run, instead of a window capturing nothing.
#include <QMessageBox>
#include <functional>

namespace tamsel {

class MissingSource;

class MissingSourceBox : public QMessageBox {
public:
    // `useDefault` runs when the user takes the default source. The box opens once the
    // event loop runs, over the window that is being shown.
    MissingSourceBox(QWidget *window, const MissingSource &missing, std::function<void()> useDefault);

    QPushButton *useDefaultButton() const { return useDefault_; }

private:
    QPushButton *useDefault_;
};

} // namespace tamsel
