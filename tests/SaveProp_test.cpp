#include "settings/ESaveProps.h"
#include "settings/TIniSaveProps.h"

#include <QAction>
#include <QFile>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWidget>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace tamsel;

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// An object-valued property's object, with one property of each stored kind.
class TestFont : public QObject {
    Q_OBJECT
public:
    int32_t size = 0;
    QString name;
    double weight = 0;
};

// A window that can drop its native window the way its own destructor would.
class TestForm : public QWidget {
    Q_OBJECT
public:
    void DestroyNativeWindow() { destroy(); }
};

void RegisterTestFont()
{
    PropertyRegistry &r = PropertyRegistry::Instance();
    r.AddOrdinal<TestFont>(
        "Size", [](const TestFont *f) { return f->size; }, [](TestFont *f, int32_t v) { f->size = v; });
    r.AddString<TestFont>(
        "Name", [](const TestFont *f) { return f->name; },
        [](TestFont *f, const QString &v) { f->name = v; });
    r.AddFloat<TestFont>(
        "Weight", [](const TestFont *f) { return f->weight; }, [](TestFont *f, double v) { f->weight = v; });
    r.AddObject<QSlider>("Font", [](const QSlider *s) { return s->findChild<TestFont *>(); });
}

class SavePropTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.setObjectName("Form1");
        path = dir.filePath("Quorlen.ini");
        props = new TIniSaveProps(&form);
        props->SetFileName(path);
    }
    QAction *Item(const char *name, bool checked)
    {
        auto *a = new QAction(&form);
        a->setObjectName(name);
        a->setCheckable(true);
        a->setChecked(checked);
        return a;
    }

    QTemporaryDir dir;
    QString path;
    TestForm form;
    TIniSaveProps *props = nullptr;
};

TEST_F(SavePropTest, KeysAreNumberedPerSectionAndProperty)
{
    TProps &p = props->Props();
    TProp *a = p.Add(Item("N7", true), "Checked", "Init");
    TProp *off = p.Add(Item("NX", false), "Checked", "Init", "", false);
    TProp *b = p.Add(Item("N8", false), "checked", "Init");
    TProp *c = p.Add(Item("jpeg1", false), "Checked", "Init");
    TProp *named = p.Add(Item("N2", true), "Checked", "Init", "CenterStart");
    TProp *own = p.Add(Item("N30", true), "Checked");
    EXPECT_EQ(a->EffectiveKey(), "Checked");
    EXPECT_EQ(b->EffectiveKey(), "checked1");
    EXPECT_EQ(c->EffectiveKey(), "Checked2");
    EXPECT_EQ(named->EffectiveKey(), "CenterStart");
    EXPECT_FALSE(off->IsValid());
    EXPECT_EQ(own->EffectiveSection(), "N30");
    EXPECT_EQ(own->EffectiveKey(), "Checked");
    EXPECT_EQ(p.ColumnText(2, 0), "N8.checked");
    EXPECT_EQ(p.ColumnText(2, 2), "checked1");

    auto *anonymous = new QAction(&form);
    EXPECT_EQ(p.Add(anonymous, "Checked")->EffectiveSection(), "QAction");
}

TEST_F(SavePropTest, UnknownAndUnstoredPropertiesAreIgnored)
{
    QAction *n7 = Item("N7", false);
    TProp *unknown = props->Props().Add(n7, "Colour", "Init");
    TProp *method = props->Props().Add(n7, "OnClick", "Init");
    EXPECT_FALSE(unknown->IsValid());
    EXPECT_TRUE(method->IsValid());
    EXPECT_EQ(method->Kind(), TPropKind::None);
    // Pointing an entry at a component without its property clears the name.
    TProp *moved = props->Props().Add(n7, "Checked", "Init");
    moved->SetCompo(new QSlider(&form));
    EXPECT_EQ(moved->PropName(), "");

    props->Save();
    EXPECT_EQ(ReadAll(path), QByteArray());
    WriteAll(path, "[Init]\r\nColour=1\r\nOnClick=1\r\n");
    props->Load();
    EXPECT_FALSE(n7->isChecked());
}

TEST_F(SavePropTest, FirstSaveWritesEntriesThenAfterSaveInOneWrite)
{
    TProps &p = props->Props();
    p.Add(new QWidget(&form), "Height", "Init", "Split", false);
    p.Add(Item("N2", true), "Checked", "Init", "CenterStart");
    p.Add(Item("N7", true), "Checked", "Init");
    p.Add(Item("N8", false), "Checked", "Init");
    auto *button = new QToolButton(&form);
    button->setObjectName("SpeedButton8");
    button->setCheckable(true);
    p.Add(button, "Down", "Init");
    bool fileExistedInHandler = true;
    props->OnAfterSave = [&](QObject *sender) {
        EXPECT_EQ(sender, props);
        fileExistedInHandler = QFile::exists(path);
        props->WriteStrValue("Init", "NoiseLevel", "1000");
    };
    props->Save();
    EXPECT_FALSE(fileExistedInHandler);
    EXPECT_EQ(ReadAll(path), QByteArray("[Init]\r\nCenterStart=1\r\nChecked=1\r\nChecked1=0\r\nDown=0\r\n"
                                        "NoiseLevel=1000\r\n\r\n"));
}

TEST_F(SavePropTest, LoadMatchesWithoutCaseAndReadsHex)
{
    QAction *n7 = Item("N7", false);
    QAction *n8 = Item("N8", true);
    auto *slider = new QSlider(&form);
    slider->setObjectName("TrackBar1");
    slider->setRange(0, 32768);
    slider->setValue(5);
    auto *untouched = new QSlider(&form);
    untouched->setObjectName("Other");
    untouched->setValue(9);
    props->Props().Add(n7, "Checked", "Init");
    props->Props().Add(n8, "Checked", "Init");
    props->Props().Add(slider, "Position", "Init");
    props->Props().Add(untouched, "Position", "Init", "Absent");
    WriteAll(path, "[init]\r\nchecked=1\r\nCHECKED1=junk\r\nposition=0x10\r\n");
    int order = 0, before = 0, after = 0;
    props->OnBeforeLoad = [&](QObject *) { before = ++order; };
    props->OnAfterLoad = [&](QObject *) {
        after = ++order;
        EXPECT_EQ(props->ReadStrValue("INIT", "Position"), "0x10");
    };
    props->Loaded();
    EXPECT_TRUE(n7->isChecked());
    EXPECT_FALSE(n8->isChecked()); // not a number: 0
    EXPECT_EQ(slider->value(), 16);
    EXPECT_EQ(untouched->value(), 9);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 2);
}

TEST_F(SavePropTest, UnknownKeysSurviveLoadAndSave)
{
    QAction *n7 = Item("N7", false);
    props->Props().Add(n7, "Checked", "Init");
    WriteAll(path, "[Mine]\r\nkeep=me \r\n[Init]\r\nNoiseLevel=32700\r\nChecked=1\r\n\r\n");
    props->Load();
    n7->setChecked(false);
    props->Save();
    EXPECT_EQ(ReadAll(path),
              QByteArray("[Mine]\r\nkeep=me \r\n\r\n[Init]\r\nNoiseLevel=32700\r\nChecked=0\r\n\r\n"));
}

TEST_F(SavePropTest, DuplicateGuardAndErrorRecovery)
{
    props->Props().Add(Item("N7", true), "Checked", "Init");
    props->Props().Add(Item("N8", false), "Checked", "Init", "", false);
    try {
        props->WriteOrdValue("init", "CHECKED", 1);
        FAIL() << "no error";
    } catch (const ESaveProps &e) {
        EXPECT_EQ(e.Message(),
                  QString::fromUtf8("セクション名 init とキー名 CHECKED の組み合わせが重複しています"));
    }
    props->WriteOrdValue("Init", "Checked1", 1); // the disabled entry guards nothing

    // A failing handler still leaves the entries written, and the next save works.
    props->OnAfterSave = [&](QObject *) { props->WriteStrValue("Init", "Checked", "x"); };
    EXPECT_THROW(props->Save(), ESaveProps);
    EXPECT_EQ(ReadAll(path), QByteArray("[Init]\r\nChecked1=1\r\nChecked=1\r\n\r\n"));
    props->OnAfterSave = nullptr;
    QFile::remove(path);
    props->Save();
    EXPECT_EQ(ReadAll(path), QByteArray("[Init]\r\nChecked=1\r\n\r\n"));
}

TEST_F(SavePropTest, FileErrorsCarryTheirTexts)
{
    props->Props().Add(Item("N7", true), "Checked", "Init");
    // A folder where the file should be: it exists but cannot be opened.
    props->SetFileName(dir.path());
    try {
        props->Load();
        FAIL() << "no error";
    } catch (const ESaveProps &e) {
        EXPECT_EQ(e.Message(), QString::fromUtf8("ファイル %1 は開けません (Is a directory)").arg(dir.path()))
            << "with the reason";
    }
    // A file in a missing folder cannot be created; the use count is back at zero after.
    const QString lost = dir.filePath("missing/a.ini");
    props->SetFileName(lost);
    try {
        props->Save();
        FAIL() << "no error";
    } catch (const ESaveProps &e) {
        EXPECT_EQ(e.Message(), QString::fromUtf8("ファイル %1 を作成できません").arg(lost));
    }
    props->SetJapanese(false); // the English interface's text
    try {
        props->Save();
        FAIL() << "no error";
    } catch (const ESaveProps &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot create the file %1").arg(lost));
    }
    props->SetFileName(path);
    props->Save();
    EXPECT_EQ(ReadAll(path), QByteArray("[Init]\r\nChecked=1\r\n\r\n"));
}

TEST_F(SavePropTest, ReadOnlyFolderKeepsTheOldFile)
{
    props->Props().Add(Item("N7", true), "Checked", "Init");
    WriteAll(path, "[Init]\r\nChecked=0\r\n\r\n");
    QFile::setPermissions(dir.path(),
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    auto saveFails = [&] {
        try {
            props->Save();
        } catch (const ESaveProps &e) {
            return e.Message() == QString::fromUtf8("ファイル %1 を作成できません").arg(path);
        }
        return false;
    };
    if (geteuid() != 0) {
        EXPECT_TRUE(saveFails());
    } else {
        // The superuser writes anywhere: try as an ordinary user, in a child process.
        EXPECT_EXIT(
            {
                if (setgid(65534) != 0 || setuid(65534) != 0)
                    _exit(2);
                _exit(saveFails() ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(ReadAll(path), QByteArray("[Init]\r\nChecked=0\r\n\r\n"));
}

TEST_F(SavePropTest, WindowPlacement)
{
    const QByteArray placed = "[WindowPlacement]\r\nForm1Left=10\r\nForm1Top=20\r\nForm1Right=410\r\n"
                              "Form1Bottom=320\r\nForm1State=2\r\n";
    form.setGeometry(1, 2, 100, 50);
    WriteAll(path, placed);
    props->Load(); // placement not kept: the section is not read ...
    EXPECT_EQ(form.geometry(), QRect(1, 2, 100, 50));
    QFile::remove(path);
    props->Save(); // ... nor written
    EXPECT_EQ(ReadAll(path), QByteArray());

    WriteAll(path, placed);
    props->SetRestorePlacement({TRestoreKind::Enabled});
    props->Load();
    EXPECT_EQ(form.geometry(), QRect(10, 20, 400, 300));
    EXPECT_EQ(form.windowState(), Qt::WindowNoState);
    props->SetRestorePlacement({TRestoreKind::Enabled, TRestoreKind::AllowMaximize});
    props->Load();
    EXPECT_TRUE(form.windowState().testFlag(Qt::WindowMaximized));

    QFile::remove(path);
    props->Save();
    EXPECT_EQ(ReadAll(path), placed + "\r\n");
}

TEST_F(SavePropTest, PlacementNeedsATopLevelOwner)
{
    auto *child = new QWidget(&form);
    TIniSaveProps inner(child);
    try {
        inner.SetRestorePlacement({TRestoreKind::Enabled});
        FAIL() << "no error";
    } catch (const ESaveProps &e) {
        EXPECT_EQ(e.Message(), QString::fromUtf8("Owner が TForm でないと設定できません"));
    }
    EXPECT_TRUE(inner.RestorePlacement().IsEmpty());
}

TEST_F(SavePropTest, FindValuesHandsOutSectionValues)
{
    WriteAll(path, "[Colours]\r\nred=0xFF\r\nname=blue\r\nempty=\r\n=5\r\nstop=1\r\nlater=2\r\n");
    props->FindKeys() << "colours";
    QStringList seen;
    props->OnFindOrdValue = [&](QObject *, const QString &, const QString &key, int32_t value, bool &go) {
        seen << key + ":" + QString::number(value);
        go = key != "stop";
    };
    props->OnFindStrValue = [&](QObject *, const QString &section, const QString &key, const QString &value,
                                bool &) { seen << section + "/" + key + "=" + value; };
    props->Load();
    EXPECT_EQ(seen, QStringList({"red:255", "colours/name=blue", "stop:1"}));
}

TEST_F(SavePropTest, ObjectValuesRoundTrip)
{
    RegisterTestFont();
    auto *slider = new QSlider(&form);
    slider->setObjectName("Chart");
    auto *font = new TestFont;
    font->setParent(slider);
    font->size = 12;
    font->name = "it's\ttabbed";
    font->weight = 0.5;
    props->Props().Add(slider, "Font", "Fonts");
    WriteAll(path, "[Fonts]\r\nFont0=stale\r\nFont1=stale\r\nFont2=stale\r\nFont3=stale\r\n");
    props->Save();
    const QByteArray text = ReadAll(path);
    EXPECT_TRUE(text.contains("Font0=  Obj.Size = 12\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("Font1=  Obj.Name = 'it''s'#9'tabbed'\r\n")) << text.constData();
    EXPECT_FALSE(text.contains("stale"));

    font->size = 0;
    font->name.clear();
    font->weight = 0;
    props->Load();
    EXPECT_EQ(font->size, 12);
    EXPECT_EQ(font->name, "it's\ttabbed");
    EXPECT_EQ(font->weight, 0.5);

    // Damaged lines are passed over; the rest still load.
    WriteAll(path,
             "[Fonts]\r\nFont0=  Obj.Size = x\r\nFont1=  Obj.Name = 'open\r\nFont2=  Obj.Weight = 2\r\n");
    props->Load();
    EXPECT_EQ(font->size, 12);
    EXPECT_EQ(font->weight, 2.0);
}

TEST_F(SavePropTest, DestroyingTheNativeWindowSaves)
{
    props->Props().Add(Item("N7", true), "Checked", "Init");
    form.winId();
    form.DestroyNativeWindow();
    EXPECT_EQ(ReadAll(path), QByteArray("[Init]\r\nChecked=1\r\n\r\n"));

    QString reported;
    props->OnHookError = [&](const QString &message) { reported = message; };
    props->SetFileName(dir.filePath("missing/a.ini"));
    form.winId();
    form.DestroyNativeWindow();
    EXPECT_TRUE(reported.startsWith(QString::fromUtf8("ファイル ")));
}

TEST_F(SavePropTest, HalfDestroyedOwnerRunsNoHandlers)
{
    auto *owner = new TestForm;
    auto *late = new TIniSaveProps(owner);
    late->SetFileName(path);
    bool handled = false;
    late->OnAfterSave = [&](QObject *) { handled = true; };
    owner->winId();
    delete owner; // the native window goes only after the derived window is gone
    EXPECT_FALSE(handled);
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace

#include "SaveProp_test.moc"
