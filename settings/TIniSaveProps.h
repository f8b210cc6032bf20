#pragma once
// The persistence component over an INI file. The document is read when the first
// BeginRead/BeginWrite opens it and written by the outermost EndWrite.
#include "settings/IniDocument.h"
#include "settings/TCustomSaveProps.h"

#include <memory>

namespace tamsel {

class TIniSaveProps : public TCustomSaveProps {
    Q_OBJECT
public:
    explicit TIniSaveProps(QObject *owner);
    ~TIniSaveProps() override;

    const QString &FileName() const { return fileName_; }
    // Takes effect at the next opening of the document.
    void SetFileName(const QString &name) { fileName_ = name; }
    // FileName, or the running executable's path with the extension ".ini".
    QString EffectiveFileName() const;
    // The language of the file's error texts: the design's Japanese ones unless told otherwise.
    void SetJapanese(bool japanese) { japanese_ = japanese; }

    int32_t ReadOrdValue(const QString &Section, const QString &Key) override;
    QString ReadStrValue(const QString &Section, const QString &Key) override;
    double ReadFloatValue(const QString &Section, const QString &Key) override;
    void WriteOrdValue(const QString &Section, const QString &Key, int32_t Value) override;
    void WriteStrValue(const QString &Section, const QString &Key, const QString &Value) override;
    void WriteFloatValue(const QString &Section, const QString &Key, double Value) override;
    void ReadObjectValue(const QString &Section, const QString &Key, QObject *Obj) override;
    void WriteObjectValue(const QString &Section, const QString &Key, QObject *Obj) override;
    void FindValues(const QString &Section) override;
    void BeginRead() override;
    void EndRead() override;
    void BeginWrite() override;
    void EndWrite() override;
    void Save() override;
    bool ValueExists(const QString &Section, const QString &Key) override;

private:
    template <class Body> auto Reading(Body body);
    template <class Body> void Writing(Body body);

    QString fileName_;
    std::unique_ptr<IniDocument> document_;
    QString documentPath_; // where the open document came from and goes back to
    int useCount_ = 0;
    bool japanese_ = true;
};

} // namespace tamsel
