#include "settings/TIniSaveProps.h"

#include "settings/ESaveProps.h"
#include "settings/ObjectText.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace tamsel {

TIniSaveProps::TIniSaveProps(QObject *owner) : TCustomSaveProps(owner) {}

// An open document is dropped unwritten.
TIniSaveProps::~TIniSaveProps() = default;

QString TIniSaveProps::EffectiveFileName() const
{
    if (!fileName_.isEmpty())
        return fileName_;
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    return exe.path() + u'/' + exe.completeBaseName() + QStringLiteral(".ini");
}

// Runs body between BeginRead and EndRead; EndRead runs also when body fails.
template <class Body> auto TIniSaveProps::Reading(Body body)
{
    BeginRead();
    try {
        auto result = body();
        EndRead();
        return result;
    } catch (...) {
        EndRead();
        throw;
    }
}

// Runs body between BeginWrite and EndWrite; the document is still written when body fails.
template <class Body> void TIniSaveProps::Writing(Body body)
{
    BeginWrite();
    try {
        body();
    } catch (...) {
        try {
            EndWrite();
        } catch (...) {
            // The first failure is the one worth reporting.
        }
        throw;
    }
    EndWrite();
}

void TIniSaveProps::BeginRead()
{
    if (!document_) {
        auto document = std::make_unique<IniDocument>();
        const QString path = EffectiveFileName();
        QString reason;
        if (document->LoadFile(path, &reason) == IniDocument::OpenResult::Unreadable)
            throw ESaveProps((japanese_ ? QStringLiteral("ファイル %1 は開けません (%2)")
                                        : QStringLiteral("Cannot open the file %1 (%2)"))
                                 .arg(path, reason));
        document_ = std::move(document);
        documentPath_ = path;
    }
    ++useCount_;
}

void TIniSaveProps::BeginWrite()
{
    BeginRead();
}

void TIniSaveProps::EndRead()
{
    if (useCount_ == 0)
        return;
    if (--useCount_ == 0)
        document_.reset();
}

void TIniSaveProps::EndWrite()
{
    if (useCount_ == 0)
        return;
    if (--useCount_ > 0)
        return;
    const std::unique_ptr<IniDocument> document = std::move(document_);
    if (!document->SaveFile(documentPath_))
        throw ESaveProps((japanese_ ? QStringLiteral("ファイル %1 を作成できません")
                                    : QStringLiteral("Cannot create the file %1"))
                             .arg(documentPath_));
}

bool TIniSaveProps::ValueExists(const QString &Section, const QString &Key)
{
    return Reading([&] { return document_->ValueExists(Section, Key); });
}

int32_t TIniSaveProps::ReadOrdValue(const QString &Section, const QString &Key)
{
    return Reading([&] { return document_->ReadInteger(Section, Key, 0); });
}

QString TIniSaveProps::ReadStrValue(const QString &Section, const QString &Key)
{
    return Reading([&] { return document_->ReadString(Section, Key, QString()); });
}

double TIniSaveProps::ReadFloatValue(const QString &Section, const QString &Key)
{
    return Reading([&] { return document_->ReadFloat(Section, Key, 0.0); });
}

void TIniSaveProps::WriteOrdValue(const QString &Section, const QString &Key, int32_t Value)
{
    CheckDuplicate(Section, Key);
    Writing([&] { document_->WriteInteger(Section, Key, Value); });
}

void TIniSaveProps::WriteStrValue(const QString &Section, const QString &Key, const QString &Value)
{
    CheckDuplicate(Section, Key);
    Writing([&] { document_->WriteString(Section, Key, Value); });
}

void TIniSaveProps::WriteFloatValue(const QString &Section, const QString &Key, double Value)
{
    CheckDuplicate(Section, Key);
    Writing([&] { document_->WriteFloat(Section, Key, Value); });
}

// The description's lines, without its first and last, as the keys Key0, Key1, ...
void TIniSaveProps::WriteObjectValue(const QString &Section, const QString &Key, QObject *Obj)
{
    if (!Obj)
        return;
    const QStringList lines = ObjectText::Describe(*Obj);
    Writing([&] {
        for (qsizetype i = 1; i + 1 < lines.size(); ++i)
            document_->WriteString(Section, Key + QString::number(i - 1), lines[i]);
    });
}

void TIniSaveProps::ReadObjectValue(const QString &Section, const QString &Key, QObject *Obj)
{
    if (!Obj)
        return;
    const QStringList lines = Reading([&] { return document_->SectionLines(Section); });
    QStringList description;
    for (const QString &line : lines) {
        QString key, value;
        if (IniDocument::SplitLine(line, &key, &value) && key.startsWith(Key, Qt::CaseSensitive))
            description.append(value);
    }
    if (description.isEmpty())
        return;
    description.prepend(QStringLiteral("object TStreamingDummy"));
    description.append(QStringLiteral("end"));
    ObjectText::Apply(*Obj, description);
}

void TIniSaveProps::FindValues(const QString &Section)
{
    const QStringList lines = Reading([&] { return document_->SectionLines(Section); });
    for (const QString &line : lines) {
        QString key, value;
        if (!IniDocument::SplitLine(line, &key, &value) || key.isEmpty() || value.isEmpty())
            continue;
        bool goOn = true;
        const std::optional<int32_t> number =
            OnFindOrdValue ? IniDocument::ParseInteger(value) : std::nullopt;
        if (number)
            OnFindOrdValue(this, Section, key, *number, goOn);
        else if (OnFindStrValue)
            OnFindStrValue(this, Section, key, value, goOn);
        if (!goOn)
            break;
    }
}

void TIniSaveProps::Save()
{
    if (Loading())
        return;
    Writing([this] {
        // An object is rewritten whole, so no key of an older, longer description stays.
        for (const TProp *prop : Props())
            if (prop->IsValid() && prop->Kind() == TPropKind::Object &&
                document_->HasSection(prop->EffectiveSection()))
                document_->DeleteKeys(prop->EffectiveSection());
        TCustomSaveProps::Save();
    });
}

} // namespace tamsel
