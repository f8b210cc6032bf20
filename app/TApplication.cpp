#include "app/TApplication.h"

#include <QDialog>
#include <QMessageBox>

namespace tamsel {

namespace {
// A box with an OK button and its own event loop.
void showBox(BoxKind kind, const QString &text)
{
    QMessageBox box(kind == BoxKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QApplication::applicationDisplayName(), text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}
} // namespace

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    SetMessageBoxes(showBox);
}

TApplication::~TApplication()
{
    SetMessageBoxes(nullptr);
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    return DeliverShowingErrors([&] { return QApplication::notify(receiver, event); });
}

void cancelModalDialogs()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<QDialog *>(window);
            dialog && dialog->isVisible() && dialog->windowModality() != Qt::NonModal)
            dialog->reject();
}

} // namespace tamsel
