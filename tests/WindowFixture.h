#pragma once
// A main window over the scripted sound service, with its own settings file and its error
// boxes collected instead of shown.
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/TApplication.h"
#include "app/TForm1.h"
#include "capture/ScriptedSoundService.h"
#include "MeasurementStateAccess.h"

namespace tamsel {

struct Window {
    QTemporaryDir dir;
    ScriptedSoundService *service = new ScriptedSoundService;
    std::vector<QString> errors;
    std::unique_ptr<TForm1> form;

    // `ini`: the settings file's text before the window is built (none when empty).
    explicit Window(const QByteArray &ini = {}, const QString &caption = QStringLiteral("Tamsel"))
    {
        SetExceptionSink([this](const QString &text) { errors.push_back(text); });
        if (!ini.isEmpty()) {
            QFile file(iniPath());
            file.open(QIODevice::WriteOnly);
            file.write(ini);
        }
        build(caption);
    }
    ~Window()
    {
        form.reset();
        SetExceptionSink(nullptr);
    }
    QString iniPath() const { return dir.filePath(QStringLiteral("Quorlen.ini")); }
    void build(const QString &caption = QStringLiteral("Tamsel"))
    {
        TForm1Design design;
        design.caption = caption;
        design.settingsFile = iniPath();
        if (!service)
            service = new ScriptedSoundService;
        form = std::make_unique<TForm1>(std::unique_ptr<SoundService>(service), design);
        form->show();
        QCoreApplication::processEvents(); // the open notification: buffers queued, capture started
    }
    // Destroys the window (saving its settings) and builds a new one over the same file.
    void restart(const QString &caption = QStringLiteral("Tamsel"))
    {
        form.reset();
        service = nullptr;
        build(caption);
    }
    QByteArray ini() const
    {
        QFile file(iniPath());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
    // One buffer back from the device, handled through the event loop.
    void deliver(const std::vector<int16_t> &samples)
    {
        ASSERT_TRUE(service->deliver(samples));
        QCoreApplication::processEvents();
    }
    // The window's state, writable for the states a test sets up that no user step reaches;
    // the window itself only reads it.
    MeasurementState &state() { return MeasurementStateAccess::of(form->session()); }
};

} // namespace tamsel
