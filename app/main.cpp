#include "app/TApplication.h"
#include "app/TForm1.h"

int main(int argc, char **argv)
{
    tamsel::TApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quorlen"));
    app.setApplicationDisplayName(QStringLiteral("タムセル"));
    tamsel::TForm1 form;
    form.show();
    return app.exec();
}
