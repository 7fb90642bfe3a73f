#include "report/model/templates/Template.h"

#include "report/model/bands/DesignerSink.h"
#include "report/model/base/Exceptions.h"
#include "report/model/base/Messages.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/objects/Communicator.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Component.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/Writer.h"
#include "platform/rtl/AtomicSave.h"
#include "platform/rtl/FileDescriptor.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QThread>
#include <QtEndian>

#include <cstring>

namespace report {

namespace {

constexpr int templateReaderBufferSize = 1024;
constexpr int templateErrorCancel = 2;
constexpr int templateErrorIgnoreAll = 8;
constexpr int templateLocateOptions = 1;

// The hourglass for as long as one lives, when asked for and when there is
// a screen to show it on.
class TemplateBusyCursor
{
public:
    explicit TemplateBusyCursor(bool aShow)
        : m_shown(aShow && qobject_cast<QGuiApplication *>(QCoreApplication::instance()) &&
                  QThread::currentThread() == QCoreApplication::instance()->thread())
    {
        if (m_shown)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~TemplateBusyCursor()
    {
        if (m_shown)
            QGuiApplication::restoreOverrideCursor();
    }
    TemplateBusyCursor(const TemplateBusyCursor &) = delete;
    TemplateBusyCursor &operator=(const TemplateBusyCursor &) = delete;

private:
    bool m_shown;
};

// Loads off the main thread show no dialogs.
bool templateOffMainThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() != app->thread();
}

QString templateMessage(int aNumber, const QString &aDetail)
{
    return ppLoadStr(aNumber) + QLatin1Char(' ') + aDetail;
}

} // namespace

bool ppTemplateSignatureAt(classes::TStream &aStream, TppFormatType &aFormat)
{
    const int64_t start = aStream.Position();
    char probe[6] = {};
    const int64_t got = aStream.Read(probe, sizeof probe);
    if (got == 6 && std::memcmp(probe, "object", 6) == 0) {
        aFormat = TppFormatType::ftASCII;
        return true;
    }
    if (got >= 4 && std::memcmp(probe, "TPF0", 4) == 0) {
        aFormat = TppFormatType::ftBinary;
        return true;
    }
    aStream.SetPosition(start);
    return false;
}

// ---- TppTemplateDBSettings ------------------------------------------------------------

const classes::TMetaClass &TppTemplateDBSettings::StaticClass()
{
    using S = TppTemplateDBSettings;
    static const classes::TMetaClass meta =
        classes::MakeClass<S, classes::TPersistent>("TppTemplateDBSettings", [](auto &c) {
            c.Reference("DataPipeline", &S::DataPipeline, &S::SetDataPipeline);
            c.String("Name", &S::Name, &S::SetName);
            c.String("NameField", &S::NameField, &S::SetNameField);
            c.String("TemplateField", &S::TemplateField, &S::SetTemplateField);
        });
    return meta;
}

void TppTemplateDBSettings::SetDataPipeline(TppDataPipeline *aPipeline)
{
    if (aPipeline == m_dataPipeline)
        return;
    if (OnDataPipelineChanging)
        OnDataPipelineChanging(aPipeline);
    m_dataPipeline = aPipeline;
}

void TppTemplateDBSettings::SetName(const QString &aName)
{
    m_name = aName;
    if (OnNameChanged)
        OnNameChanged();
}

void TppTemplateDBSettings::Assign(const classes::TPersistent *aSource)
{
    const auto *source = dynamic_cast<const TppTemplateDBSettings *>(aSource);
    if (!source) {
        classes::TPersistent::Assign(aSource);
        return;
    }
    SetDataPipeline(source->m_dataPipeline);
    SetName(source->m_name);
    m_nameField = source->m_nameField;
    m_templateField = source->m_templateField;
}

// ---- TppCustomTemplate ----------------------------------------------------------------

const classes::TMetaClass &TppCustomTemplate::StaticClass()
{
    using T = TppCustomTemplate;
    static const classes::TMetaClass meta =
        classes::MakeClass<T, classes::TPersistent>("TppCustomTemplate", [](auto &c) {
            c.Object("DatabaseSettings", &T::DatabaseSettings, &T::SetDatabaseSettings);
            c.String("FileName", &T::FileName, &T::SetFileName);
            c.Integer("Offset", &T::Offset, &T::SetOffset).Default(0);
            c.Enum("SaveTo", EnumInfo<TppSaveToType>(), &T::SaveTo, &T::SetSaveTo).Default(TppSaveToType::stFile);
            c.Boolean("ShowBusyCursor", &T::ShowBusyCursor, &T::SetShowBusyCursor).Default(true);
            c.Enum("Format", EnumInfo<TppFormatType>(), &T::Format, &T::SetFormat).Default(TppFormatType::ftBinary);
        });
    return meta;
}

TppCustomTemplate::TppCustomTemplate(classes::TComponent *aOwner)
    : m_databaseSettings(std::make_unique<TppTemplateDBSettings>())
    , m_owner(aOwner)
{}

TppCustomTemplate::~TppCustomTemplate() = default;

void TppCustomTemplate::SetDatabaseSettings(const TppTemplateDBSettings *aValue)
{
    m_databaseSettings->Assign(aValue);
}

void TppCustomTemplate::SetFileName(const QString &aValue)
{
    m_fileName = aValue;
}

QString TppCustomTemplate::GetDescription() const
{
    return m_saveTo == TppSaveToType::stFile ? m_fileName : m_databaseSettings->Name();
}

void TppCustomTemplate::SetDescription(const QString &aValue)
{
    if (m_saveTo == TppSaveToType::stFile)
        SetFileName(aValue);
    else
        m_databaseSettings->SetName(aValue);
}

bool TppCustomTemplate::IsDatabaseReady()
{
    return m_databaseSettings->DataPipeline() && !m_databaseSettings->NameField().isEmpty() &&
           !m_databaseSettings->TemplateField().isEmpty();
}

void TppCustomTemplate::Assign(const classes::TPersistent *aSource)
{
    const auto *source = dynamic_cast<const TppCustomTemplate *>(aSource);
    if (!source) {
        classes::TPersistent::Assign(aSource);
        return;
    }
    m_databaseSettings->Assign(source->m_databaseSettings.get());
    SetFileName(source->m_fileName);
    m_offset = source->m_offset;
    m_saveTo = source->m_saveTo;
    m_format = source->m_format;
    m_showBusyCursor = source->m_showBusyCursor;
}

classes::TPersistent *TppCustomTemplate::GetOwner() const
{
    return m_owner;
}

// ---- TppTemplate ----------------------------------------------------------------------

const classes::TMetaClass &TppTemplate::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppTemplate, TppCustomTemplate>("TppTemplate");
    return meta;
}

TppTemplate::TppTemplate(classes::TComponent *aOwner)
    : TppCustomTemplate(aOwner)
{
    DatabaseSettings()->OnNameChanged = [this]() { NameChanged(); };
    DatabaseSettings()->OnDataPipelineChanging = [this](TppDataPipeline *aPipeline) { DataPipelineChanged(aPipeline); };
}

TppTemplate::~TppTemplate()
{
    DatabaseSettings()->OnNameChanged = nullptr;
    DatabaseSettings()->OnDataPipelineChanging = nullptr;
}

void TppTemplate::SetFileName(const QString &aValue)
{
    TppCustomTemplate::SetFileName(aValue);
    NameChanged();
}

bool TppTemplate::IsDatabaseReady()
{
    if (!TppCustomTemplate::IsDatabaseReady())
        return false;
    const TppDataType type = DatabaseSettings()->DataPipeline()->GetFieldDataType(DatabaseSettings()->TemplateField());
    if (type != TppDataType::dtBLOB && type != TppDataType::dtMemo)
        throw ETemplateSaveError(ppLoadStr(53));
    return true;
}

bool TppTemplate::GetReadOnly() const
{
    // The mode bits, not whether this user may write: the owner of the
    // file (or root) could write it anyway, but it was marked read-only.
    const QFileInfo info(FileName());
    return info.isFile() &&
           !(info.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
}

bool TppTemplate::RootDesigning() const
{
    return m_root && m_root->HasState(classes::csDesigning);
}

bool TppTemplate::AcceptsTopComponent(classes::TComponent *) const
{
    return true;
}

// ---- The envelope ---------------------------------------------------------------------

bool TppTemplate::FindOffset(classes::TStream &aStream)
{
    TppFormatType format = TppFormatType::ftBinary;
    if (Offset() >= 0 && aStream.Position() + Offset() <= aStream.Size()) {
        aStream.Seek(Offset(), classes::TSeekOrigin::soCurrent);
        if (ppTemplateSignatureAt(aStream, format))
            return true;
    }
    aStream.SetPosition(0);
    if (ppTemplateSignatureAt(aStream, format)) {
        SetOffset(0);
        return true;
    }
    aStream.SetPosition(0);
    int32_t pointer = 0;
    if (aStream.Read(&pointer, sizeof pointer) != sizeof pointer)
        return false;
    pointer = int32_t(qFromLittleEndian(pointer));
    if (pointer < 1 || pointer > aStream.Size())
        return false;
    aStream.SetPosition(pointer);
    if (!ppTemplateSignatureAt(aStream, format))
        return false;
    SetOffset(pointer);
    return true;
}

TppFormatType TppTemplate::DetectFormat(classes::TStream &aStream)
{
    const int64_t position = aStream.Position();
    TppFormatType format = TppFormatType::ftBinary;
    bool found = FindOffset(aStream);
    if (found) {
        aStream.SetPosition(Offset());
        found = ppTemplateSignatureAt(aStream, format);
    }
    aStream.SetPosition(position);
    if (!found)
        throw EInvalidTemplateError(ppLoadStr(49));
    return format;
}

void TppTemplate::WriteTemplate(classes::TStream &aDest)
{
    classes::TMemoryStream binary;
    {
        classes::TWriter writer(binary, templateReaderBufferSize);
        writer.SetRoot(m_root ? m_root : Owner());
        writer.WriteSignature();
        writer.WriteComponent(Owner());
        writer.WriteListEnd();
        writer.FlushBuffer();
    }
    classes::TMemoryStream text;
    classes::TMemoryStream *data = &binary;
    if (Format() == TppFormatType::ftASCII) {
        binary.SetPosition(0);
        classes::ObjectBinaryToText(binary, text);
        data = &text;
    }
    if (Offset() > 0) {
        // The gap means nothing to a reader; zeros keep old bytes of a
        // reused destination from looking like a signature.
        const std::vector<char> zeros(size_t(Offset()), '\0');
        aDest.WriteBuffer(zeros.data(), Offset());
    }
    aDest.WriteBuffer(data->Memory(), data->Size());
}

// ---- Loading --------------------------------------------------------------------------

void TppTemplate::Load()
{
    load(SaveTo());
}

void TppTemplate::LoadFromDatabase()
{
    load(TppSaveToType::stDatabase);
}

void TppTemplate::LoadFromFile()
{
    load(TppSaveToType::stFile);
}

bool TppTemplate::locateRecord()
{
    const QString &name = DatabaseSettings()->Name();
    if (OnLocateRecord.Assigned() || OwnerOnLocateRecord.Assigned()) {
        bool found = false;
        const std::weak_ptr<char> alive = m_alive;
        // The handler may free the template with its report: nothing is
        // found then, and the caller checks its own token before going on.
        if (OnLocateRecord.Assigned())
            OnLocateRecord(this, name, found);
        if (alive.expired())
            return false;
        if (OwnerOnLocateRecord.Assigned())
            OwnerOnLocateRecord(this, name, found);
        return found;
    }
    TppTemplateDBSettings &settings = *DatabaseSettings();
    return settings.DataPipeline()->Locate(settings.NameField(), name, templateLocateOptions);
}

void TppTemplate::load(TppSaveToType aWhere)
{
    TppTemplateDBSettings &settings = *DatabaseSettings();
    rtl::FileText read;
    if (aWhere == TppSaveToType::stFile) {
        // Read once, whole and bounded: a pipe, a device or a file larger
        // than any template is told for what it is.
        read = rtl::readWholeFile(QFile::encodeName(FileName()).toStdString());
        if (read.failure == rtl::ReadFailure::Missing)
            throw ETemplateLoadError(templateMessage(46, FileName()));
        if (!read)
            throw ETemplateLoadError(QString::fromLocal8Bit(read.reason(QFile::encodeName(FileName()).toStdString())));
    } else {
        if (!settings.DataPipeline())
            throw ETemplateLoadError(templateMessage(45, settings.Name()));
        if (!settings.DataPipeline()->GetActive())
            settings.DataPipeline()->Open();
        const std::weak_ptr<char> alive = m_alive;
        const bool located = IsDatabaseReady() && locateRecord();
        if (alive.expired())
            return;
        if (!located)
            throw ETemplateLoadError(templateMessage(45, settings.Name()));
    }
    classes::TMemoryStream stream;
    TemplateBusyCursor cursor(ShowBusyCursor());
    if (aWhere == TppSaveToType::stFile) {
        stream.WriteBuffer(read.text.data(), int64_t(read.text.size()));
        read = {};
    } else {
        settings.DataPipeline()->FieldToStream(settings.TemplateField(), stream);
    }
    stream.SetPosition(0);
    LoadFromStream(stream);
}

void TppTemplate::LoadFromStream(classes::TStream &aStream)
{
    m_ignoreAll = false;
    m_renameList.clear();
    if (!BeforeLoad())
        return;
    const std::weak_ptr<char> alive = m_alive;
    bool success = false;
    try {
        DoOnLoadStream(aStream);
        if (alive.expired())
            return;
        const TppFormatType format = DetectFormat(aStream);
        // Where the data was found and its form describe this template's
        // source, and outlive the restoring of its settings.
        if (m_backup) {
            m_backup->SetOffset(Offset());
            m_backup->SetFormat(format);
        }
        SetFormat(format);
        if (Offset() >= 0)
            aStream.SetPosition(Offset());
        classes::TMemoryStream data;
        data.CopyFrom(aStream, aStream.Size() - aStream.Position());
        ReadStreamHook(data);
        data.SetPosition(0);
        classes::TMemoryStream converted;
        classes::TMemoryStream *binary = &data;
        if (Format() == TppFormatType::ftASCII) {
            TextConvertHook(data);
            data.SetPosition(0);
            classes::ObjectTextToBinary(data, converted);
            // Text has no list end. A binary template without one was cut
            // short, and the reader refuses it as such.
            const char listEnd = 0;
            converted.WriteBuffer(&listEnd, 1);
            binary = &converted;
        }
        binary->SetPosition(0);
        readComponents(*binary);
        success = true;
    } catch (...) {
        m_renameList.clear();
        m_readingComponent = nullptr;
        AfterLoad(false);
        if (OnLoadEnd.Assigned())
            OnLoadEnd(this, Owner());
        if (!alive.expired() && OwnerOnLoadEnd.Assigned())
            OwnerOnLoadEnd(this, Owner());
        throw;
    }
    m_renameList.clear();
    m_readingComponent = nullptr;
    AfterLoad(success);
    if (OnLoadEnd.Assigned())
        OnLoadEnd(this, Owner());
    if (!alive.expired() && OwnerOnLoadEnd.Assigned())
        OwnerOnLoadEnd(this, Owner());
}

void TppTemplate::readComponents(classes::TStream &aBinary)
{
    classes::TReader reader(aBinary, templateReaderBufferSize);
    reader.OnSetName = [this](classes::TReader &r, classes::TComponent *c, QString &n) { ReaderSetName(r, c, n); };
    reader.OnReferenceName = [this](classes::TReader &r, QString &n) { ReaderReferenceName(r, n); };
    reader.OnFindMethod = [this](classes::TReader &r, const QString &n, const std::any *&a, bool &e) {
        ReaderFindMethod(r, n, a, e);
    };
    if (RootDesigning() || !templateOffMainThread())
        reader.OnError = [this](classes::TReader &r, const std::exception &e, bool &h) { ReaderError(r, e, h); };
    int topComponents = 0;
    // An extra component would stay in the root, and anything but the kind
    // of object the template serves has nowhere to go: both refuse the
    // stream, and the reader frees what it made.
    reader.ReadComponents(m_root, nullptr, [this, &topComponents](classes::TComponent *aComponent) {
        if (++topComponents > 1 || !AcceptsTopComponent(aComponent))
            throw EInvalidTemplateError(ppLoadStr(49));
        ComponentRead(aComponent);
    });
    if (topComponents == 0)
        throw EInvalidTemplateError(ppLoadStr(49));
}

void TppTemplate::DoOnLoadStream(classes::TStream &aStream)
{
    if (OnLoadStream.Assigned())
        OnLoadStream(this, &aStream);
}

void TppTemplate::DoOnSaveStream(classes::TStream &aStream)
{
    const std::weak_ptr<char> alive = m_alive;
    if (OnSaveStream.Assigned())
        OnSaveStream(this, &aStream);
    if (!alive.expired() && OwnerOnSaveStream.Assigned())
        OwnerOnSaveStream(this, &aStream);
}

void TppTemplate::ReaderSetName(classes::TReader &, classes::TComponent *aComponent, QString &)
{
    m_readingComponent = aComponent;
}

void TppTemplate::RenameClash(classes::TReader &aReader, classes::TComponent *aComponent, QString &aName,
                              const TppCommunicator &aNamer)
{
    classes::TComponent *root = aReader.Owner();
    if (!root || root != Root() || aName.isEmpty())
        return;
    const classes::TComponent *existing = root->FindComponent(aName);
    if (!existing || existing == aComponent)
        return;
    if (auto *communicator = dynamic_cast<TppCommunicator *>(aComponent))
        communicator->IncludeState(ppRenameWhileLoading);
    m_renameList.emplace_back(aName, aComponent);
    aName = aNamer.GetUniqueName(aComponent);
}

void TppTemplate::ReaderFindMethod(classes::TReader &, const QString &aMethodName, const std::any *&aAddress,
                                   bool &aError)
{
    // Only a designer makes handlers; outside it a missing one stays an
    // error for ReaderError to offer.
    if (!aError || !RootDesigning())
        return;
    auto *designer = dynamic_cast<IppDesignerHost *>(GetDesigner());
    if (designer && designer->SupplyMethod(m_root, aMethodName, aAddress))
        aError = false;
}

void TppTemplate::ReaderError(classes::TReader &, const std::exception &aError, bool &aHandled)
{
    aHandled = true;
    if (m_ignoreAll)
        return;
    const classes::TMetaClass *formClass = ppGetFormClass(TppCustomTemplateErrorDialog::StaticClass());
    classes::TComponent *made = formClass ? formClass->NewComponent(nullptr) : nullptr;
    auto *dialog = dynamic_cast<TppCustomTemplateErrorDialog *>(made);
    if (!dialog) {
        // Nobody to ask: a part of the report would go missing unseen.
        delete made;
        aHandled = false;
        return;
    }
    dialog->SetLanguageIndex(m_languageIndex);
    QString text;
    if (const auto *brevantor = dynamic_cast<const EBrevantorError *>(&aError))
        text = brevantor->Message();
    else
        text = QString::fromUtf8(aError.what());
    dialog->SetMessage(text + QStringLiteral("\r\n") + ppLoadStr(50));
    int result = templateErrorCancel;
    try {
        result = dialog->ShowModal();
    } catch (...) {
        dialog->Release();
        throw;
    }
    dialog->Release();
    if (result == templateErrorCancel)
        aHandled = false;
    else if (result == templateErrorIgnoreAll)
        m_ignoreAll = true;
}

bool TppTemplate::BeforeLoad()
{
    classes::TPersistent *copy = ClassType().NewInstance();
    m_backup.reset(dynamic_cast<TppTemplate *>(copy));
    if (!m_backup) {
        delete copy;
        m_backup = std::make_unique<TppTemplate>();
    }
    m_backup->Assign(this);
    return true;
}

void TppTemplate::AfterLoad(bool)
{
    if (!m_backup)
        return;
    // What the stream said of its own template is not where this one lives.
    const std::unique_ptr<TppTemplate> backup = std::move(m_backup);
    Assign(backup.get());
}

// ---- Saving ---------------------------------------------------------------------------

void TppTemplate::Save()
{
    save(SaveTo());
}

void TppTemplate::SaveToDatabase()
{
    save(TppSaveToType::stDatabase);
}

void TppTemplate::SaveToFile()
{
    save(TppSaveToType::stFile);
}

void TppTemplate::save(TppSaveToType aWhere)
{
    // Settings that name no record cannot store one: the caller must hear
    // that nothing was saved.
    if (aWhere == TppSaveToType::stDatabase && !IsDatabaseReady())
        throw ETemplateSaveError(templateMessage(45, DatabaseSettings()->Name()));
    if (!BeforeSave())
        return;
    classes::TMemoryStream stream;
    // A handler that raises ends the save like any failure after
    // BeforeSave: AfterSave must still undo what BeforeSave set. One that
    // frees the template with its report ends it with nothing left to undo.
    const std::weak_ptr<char> alive = m_alive;
    try {
        if (OnSaveStart.Assigned())
            OnSaveStart(this, Owner());
        if (alive.expired())
            return;
        TemplateBusyCursor cursor(ShowBusyCursor());
        WriteTemplate(stream);
        if (stream.Size() > 0) {
            stream.SetPosition(0);
            if (aWhere == TppSaveToType::stFile)
                writeToFile(stream);
            else
                writeToDatabase(stream);
        }
        if (alive.expired())
            return;
    } catch (...) {
        // Nothing was stored: the report keeps counting as unsaved.
        if (!alive.expired())
            AfterSave(false);
        throw;
    }
    AfterSave(true);
}

void TppTemplate::writeToFile(classes::TStream &aStream)
{
    const std::weak_ptr<char> alive = m_alive;
    DoOnSaveStream(aStream);
    if (alive.expired())
        return;
    if (GetReadOnly())
        throw ETemplateSaveError(ppLoadStr(51));
    const int64_t size = aStream.Size();
    std::string bytes(size_t(size), '\0');
    aStream.SetPosition(0);
    aStream.ReadBuffer(bytes.data(), size);
    // A save killed while it wrote left its temporary file beside the
    // template; the next save of that template clears it away.
    const rtl::SaveResult result =
        rtl::atomicSave(QFile::encodeName(FileName()).toStdString(), bytes, {.removeLeftovers = true});
    if (!result)
        throw ETemplateSaveError(FileName() + QStringLiteral(": ") + QString::fromStdString(result.reason()));
}

void TppTemplate::writeToDatabase(classes::TStream &aStream)
{
    TppTemplateDBSettings &settings = *DatabaseSettings();
    TppDataPipeline *pipeline = settings.DataPipeline();
    if (!pipeline->GetActive())
        pipeline->Open();
    const std::weak_ptr<char> alive = m_alive;
    const bool located = locateRecord();
    if (alive.expired())
        return;
    if (!located) {
        pipeline->AppendRecord();
        pipeline->SetFieldValue(settings.NameField(), settings.Name());
    } else {
        pipeline->EditRecord();
    }
    DoOnSaveStream(aStream);
    if (alive.expired())
        return;
    aStream.SetPosition(0);
    pipeline->StreamToField(settings.TemplateField(), aStream);
    pipeline->PostRecord();
}

void TppTemplate::SaveToStream(classes::TStream &aStream)
{
    if (!BeforeSave())
        return;
    const std::weak_ptr<char> alive = m_alive;
    try {
        if (OnSaveStart.Assigned())
            OnSaveStart(this, Owner());
        if (alive.expired())
            return;
        WriteTemplate(aStream);
        DoOnSaveStream(aStream);
        if (alive.expired())
            return;
    } catch (...) {
        AfterSave(false);
        throw;
    }
    AfterSave(true);
}

void TppTemplate::New()
{
    const std::weak_ptr<char> alive = m_alive;
    if (OnNew.Assigned())
        OnNew(this, Owner());
    if (!alive.expired() && OwnerOnNew.Assigned())
        OwnerOnNew(this, Owner());
}

} // namespace report
