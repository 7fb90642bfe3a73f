#pragma once

// TppArchiveDevice ("ArchiveFile"): the generated pages themselves, draw
// commands and all, in an archive file (".raf") that shows or prints later
// without the report's data. The file is a page index (the start of the
// page area, then per page its offset in that area and its own number)
// followed by the pages' component streams. Their number is not known
// before the job ends, so the pages wait in a temporary file that joins the
// index at EndJob.

#include "report/model/production/FileDevice.h"

namespace report {

class TppArchiveDevice : public TppFileDevice
{
    ZVO_CLASS(TppArchiveDevice)
public:
    explicit TppArchiveDevice(classes::TComponent *aOwner = nullptr);
    // A job still open is ended; the page file never outlives the device.
    ~TppArchiveDevice() override;

    static QString ClassDeviceName() { return QStringLiteral("ArchiveFile"); }
    QString DeviceName() const override { return ClassDeviceName(); }
    QString DefaultExt() const override { return QStringLiteral("raf"); }
    QString DefaultExtFilter() const override { return QStringLiteral("Archive files|*.RAF|All files|*.*"); }
    QString DeviceDescription(int32_t aLanguageIndex) const override;

    // The output file, positioned after the header, and the page file.
    void StartJob() override;
    // Joins the pages to the index and writes the header.
    void EndJob() override;
    // Leaves neither the page file nor a partial archive behind; an earlier
    // archive stays as it was.
    void CancelJob() override;
    void ReceivePage(TppPage *aPage) override;
    // Stores the page: an index entry in the output, its stream in the page
    // file. An offset that needs more than 32 bits raises EWriteError.
    void WritePage(TppPage *aPage);

    classes::TStream *TempStream() const { return m_tempStream.get(); }
    const QString &TempFileName() const { return m_tempFileName; }
    bool RemoveOutline() const { return m_removeOutline; }
    void SetRemoveOutline(bool aValue) { m_removeOutline = aValue; }

private:
    void dropTempFile();

    std::unique_ptr<classes::TStream> m_tempStream;
    // Each page's stream is built here; kept for the job so that its memory
    // grows once rather than for every page.
    std::unique_ptr<classes::TMemoryStream> m_pageStream;
    QString m_tempFileName;
    bool m_removeOutline = true;
};

} // namespace report
