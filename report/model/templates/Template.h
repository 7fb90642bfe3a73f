#pragma once

// Report templates: a whole report kept as a component stream, in a file, in
// any stream or in a record of a data pipeline, and read back into a live
// report.
//
// The stored form is [Offset bytes of anything] + data, the data being
// either the binary component stream ("TPF0", one component, a list end) or
// its text form ("object ... end"). TppTemplate finds, reads and writes that
// envelope; what a load does to the objects it reads is left to the
// descendants (TppReportTemplate).

#include "report/model/base/Types.h"

#include "platform/classes/Persistent.h"
#include "platform/classes/PropInfo.h"

#include <QString>

#include <any>
#include <exception>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace classes {
class TComponent;
class TReader;
class TStream;
} // namespace classes

namespace report {

class TppCommunicator;
class TppDataPipeline;

// Where a template lives in a database: the pipeline, the record's name and
// the fields of name and data.
class TppTemplateDBSettings : public classes::TPersistent
{
    ZVO_CLASS(TppTemplateDBSettings)
public:
    TppTemplateDBSettings() = default;

    TppDataPipeline *DataPipeline() const { return m_dataPipeline; }
    // The hook hears the new pipeline before it is taken.
    void SetDataPipeline(TppDataPipeline *aPipeline);
    const QString &Name() const { return m_name; }
    void SetName(const QString &aName);
    const QString &NameField() const { return m_nameField; }
    void SetNameField(const QString &aValue) { m_nameField = aValue; }
    const QString &TemplateField() const { return m_templateField; }
    void SetTemplateField(const QString &aValue) { m_templateField = aValue; }

    // Through the setters, so that the owner hears of both changes.
    void Assign(const classes::TPersistent *aSource) override;

    std::function<void()> OnNameChanged;
    std::function<void(TppDataPipeline *)> OnDataPipelineChanging;

private:
    TppDataPipeline *m_dataPipeline = nullptr;
    QString m_name;
    QString m_nameField;
    QString m_templateField;
};

// Where a template is kept and in which form.
class TppCustomTemplate : public classes::TPersistent
{
    ZVO_CLASS(TppCustomTemplate)
public:
    explicit TppCustomTemplate(classes::TComponent *aOwner = nullptr);
    ~TppCustomTemplate() override;

    TppTemplateDBSettings *DatabaseSettings() const { return m_databaseSettings.get(); }
    virtual void SetDatabaseSettings(const TppTemplateDBSettings *aValue);
    const QString &FileName() const { return m_fileName; }
    virtual void SetFileName(const QString &aValue);
    TppFormatType Format() const { return m_format; }
    void SetFormat(TppFormatType aValue) { m_format = aValue; }
    int32_t Offset() const { return m_offset; }
    void SetOffset(int32_t aValue) { m_offset = aValue; }
    TppSaveToType SaveTo() const { return m_saveTo; }
    void SetSaveTo(TppSaveToType aValue) { m_saveTo = aValue; }
    bool ShowBusyCursor() const { return m_showBusyCursor; }
    void SetShowBusyCursor(bool aValue) { m_showBusyCursor = aValue; }
    classes::TComponent *Owner() const { return m_owner; }
    void SetOwner(classes::TComponent *aOwner) { m_owner = aOwner; }

    // The file name or the record's name, whichever SaveTo picks.
    virtual QString GetDescription() const;
    virtual void SetDescription(const QString &aValue);
    // A pipeline and both fields are named.
    virtual bool IsDatabaseReady();

    void Assign(const classes::TPersistent *aSource) override;
    classes::TPersistent *GetOwner() const override;

private:
    std::unique_ptr<TppTemplateDBSettings> m_databaseSettings;
    QString m_fileName;
    TppFormatType m_format = TppFormatType::ftBinary;
    int32_t m_offset = 0;
    TppSaveToType m_saveTo = TppSaveToType::stFile;
    bool m_showBusyCursor = true;
    classes::TComponent *m_owner = nullptr;
};

// The stream format, loading and saving. Descendants decide what a load
// does with the components it reads.
class TppTemplate : public TppCustomTemplate
{
    ZVO_CLASS(TppTemplate)
public:
    explicit TppTemplate(classes::TComponent *aOwner = nullptr);
    ~TppTemplate() override;

    using TppTemplateStreamEvent = classes::TEvent<void(classes::TObject *Sender, classes::TStream *aStream)>;
    using TppTemplateObjectEvent = classes::TEvent<void(classes::TObject *Sender, classes::TObject *aObject)>;
    using TppTemplateLocateEvent = classes::TEvent<void(classes::TObject *Sender, const QString &aName, bool &aFound)>;

    // The user's handlers; the owner's (a designer's) run after them.
    TppTemplateStreamEvent OnLoadStream;
    TppTemplateObjectEvent OnLoadEnd;
    TppTemplateLocateEvent OnLocateRecord;
    TppTemplateObjectEvent OnNew;
    TppTemplateStreamEvent OnSaveStream;
    TppTemplateObjectEvent OnSaveStart;
    TppTemplateObjectEvent OwnerOnLoadEnd;
    TppTemplateLocateEvent OwnerOnLocateRecord;
    TppTemplateObjectEvent OwnerOnNew;
    TppTemplateStreamEvent OwnerOnSaveStream;

    const QString &FileExtension() const { return m_fileExtension; }
    void SetFileExtension(const QString &aValue) { m_fileExtension = aValue; }
    const QString &FileFilter() const { return m_fileFilter; }
    void SetFileFilter(const QString &aValue) { m_fileFilter = aValue; }
    classes::TComponent *Root() const { return m_root; }
    void SetRoot(classes::TComponent *aRoot) { m_root = aRoot; }
    int32_t LanguageIndex() const { return m_languageIndex; }
    void SetLanguageIndex(int32_t aValue) { m_languageIndex = aValue; }

    // ---- The envelope ----
    // Looks for the data at Offset from the stream's position, at 0, and at
    // the position the first four bytes give; Offset takes the place found.
    // False when none holds a signature. The stream's position is left
    // wherever the probes ended.
    bool FindOffset(classes::TStream &aStream);
    // The form of the data; EInvalidTemplateError (49) when there is none.
    // The stream's position is kept.
    TppFormatType DetectFormat(classes::TStream &aStream);
    // Owner as the one component of a stream, converted to text for
    // ftASCII, written Offset bytes after aDest's position (the gap zeroed).
    void WriteTemplate(classes::TStream &aDest);

    // ---- Loading and saving ----
    void Load();
    void LoadFromDatabase();
    void LoadFromFile();
    virtual void LoadFromStream(classes::TStream &aStream);
    void Save();
    // Settings without a pipeline, a name field or a template field raise
    // ETemplateSaveError "Record not found: <Name>", as a load does.
    void SaveToDatabase();
    void SaveToFile();
    void SaveToStream(classes::TStream &aStream);
    virtual void New();
    // The file exists and may not be written.
    virtual bool GetReadOnly() const;
    // The designer that supplies missing handlers: none here.
    virtual classes::TObject *GetDesigner() const { return nullptr; }
    bool IsDatabaseReady() override;
    void SetFileName(const QString &aValue) override;

protected:
    virtual void ReadStreamHook(classes::TStream &) {}
    virtual void DoOnLoadStream(classes::TStream &aStream);
    virtual void DoOnSaveStream(classes::TStream &aStream);
    virtual void ComponentRead(classes::TComponent *) {}
    virtual void ReaderSetName(classes::TReader &aReader, classes::TComponent *aComponent, QString &aName);
    // A name already taken in the root gives way to one aNamer makes up;
    // the old name goes to the rename list so that references follow.
    void RenameClash(classes::TReader &aReader, classes::TComponent *aComponent, QString &aName,
                     const TppCommunicator &aNamer);
    // A handler the root lacks: while the root is designed, the designer
    // (GetDesigner, when it is an IppDesignerHost) may supply it.
    virtual void ReaderFindMethod(classes::TReader &aReader, const QString &aMethodName, const std::any *&aAddress,
                                  bool &aError);
    virtual void ReaderError(classes::TReader &aReader, const std::exception &aError, bool &aHandled);
    virtual bool BeforeLoad();
    virtual void TextConvertHook(classes::TStream &) {}
    virtual void AfterLoad(bool aSuccess);
    virtual bool BeforeSave() { return true; }
    virtual void AfterSave(bool) {}
    virtual void NameChanged() {}
    virtual void DataPipelineChanged(TppDataPipeline *) {}
    virtual void ReaderReferenceName(classes::TReader &, QString &) {}
    // Whether the component is being designed; nothing is here.
    virtual bool RootDesigning() const;
    // The stream must hold one component of this class: a check of each
    // top-level component read, before ComponentRead; false refuses it.
    virtual bool AcceptsTopComponent(classes::TComponent *aComponent) const;

    classes::TComponent *ReadingComponent() const { return m_readingComponent; }
    // Expires as the template goes, with the report that holds it.
    std::weak_ptr<char> AliveToken() const { return m_alive; }
    // Old names of the components renamed during the load, with them.
    std::vector<std::pair<QString, classes::TComponent *>> &RenameList() { return m_renameList; }

private:
    void load(TppSaveToType aWhere);
    void save(TppSaveToType aWhere);
    bool locateRecord();
    void writeToFile(classes::TStream &aStream);
    void writeToDatabase(classes::TStream &aStream);
    void readComponents(classes::TStream &aBinary);

    QString m_fileExtension;
    QString m_fileFilter;
    classes::TComponent *m_root = nullptr;
    int32_t m_languageIndex = 0;
    bool m_ignoreAll = false;
    classes::TComponent *m_readingComponent = nullptr;
    std::vector<std::pair<QString, classes::TComponent *>> m_renameList;
    std::unique_ptr<TppTemplate> m_backup;
    // Expires as the template goes: a handler may free the report that
    // holds it, and the routine that called the handler ends there.
    std::shared_ptr<char> m_alive = std::make_shared<char>();
};

// What a load from a stream that is not at its start and the probes of
// FindOffset see: the signatures.
bool ppTemplateSignatureAt(classes::TStream &aStream, TppFormatType &aFormat);

} // namespace report
