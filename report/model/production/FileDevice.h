#pragma once

// TppFileDevice: the common base of the devices that write pages to a file
// (text, report text, archive). It owns the output stream for the length of
// a job and tells the cancel dialog how far the job has come.

#include "report/model/pages/Device.h"

#include "platform/classes/Streams.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace report {

class TppFileDevice : public TppDevice
{
    ZVO_CLASS(TppFileDevice)
public:
    explicit TppFileDevice(classes::TComponent *aOwner = nullptr);
    // A job still open is ended first.
    ~TppFileDevice() override;

    // '' in the base.
    virtual QString DefaultExt() const { return QString(); }
    virtual QString DefaultExtFilter() const { return QString(); }
    virtual QString DeviceDescription(int32_t aLanguageIndex) const;

    // The status for no page; the file, created anew, when
    // CreateFileOnStartJob. A file that cannot be made raises the stream's
    // error. An existing file is replaced, but only by a job that ends well.
    void StartJob() override;
    // Closes the file, which now replaces an existing one; a file that
    // cannot be completed raises EWriteError and the earlier one stays.
    void EndJob() override;
    // The earlier file, if any, stays as it was.
    void CancelJob() override;

    // Nothing for 0 bytes; a write that stores fewer raises EWriteError, as
    // does a write while no file is open.
    void WriteBuffer(const void *aBuffer, int64_t aCount);

    // "Accessing data..." without a page; for a page "Printing page <page>
    // [of <pagecount>] for report <documentname> on the <file name>"; a
    // skipped page while the count is unknown keeps the dialog's text. A
    // changed text goes to the cancel dialog, then the pending messages are
    // served.
    void UpdateStatus(const TppPage *aPage);

    bool CreateFileOnStartJob() const { return m_createFileOnStartJob; }
    void SetCreateFileOnStartJob(bool aValue) { m_createFileOnStartJob = aValue; }
    const QString &FileName() const { return m_fileName; }
    // Ignored while busy.
    void SetFileName(const QString &aValue);
    classes::TStream *FileStream() const { return m_fileStream.get(); }

private:
    void closeFile();

    bool m_createFileOnStartJob = true;
    QString m_fileName;
    std::unique_ptr<classes::TStream> m_fileStream;
};

} // namespace report
