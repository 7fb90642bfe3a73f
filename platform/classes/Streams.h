#pragma once

// Byte streams of the class library: the abstract TStream, a growable memory
// stream and a file stream.

#include "platform/classes/Persistent.h"

#include <QFile>

#include <cstdint>
#include <memory>

namespace classes {

class TComponent;

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject
{
    ZVO_CLASS(TStream)
public:
    // Both answer the number of bytes moved, which may be short.
    virtual int64_t Read(void *buffer, int64_t count) = 0;
    virtual int64_t Write(const void *buffer, int64_t count) = 0;
    // The new position from the start.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t size);

    // All or nothing: EReadError / EWriteError when the count cannot be moved.
    void ReadBuffer(void *buffer, int64_t count);
    void WriteBuffer(const void *buffer, int64_t count);
    // Copies count bytes from source's position, or the whole of source
    // from its start when count is 0; answers the bytes copied.
    int64_t CopyFrom(TStream &source, int64_t count);

    // The component as a stream of its own ("TPF0" and the component), and back.
    void WriteComponent(TComponent *instance);
    TComponent *ReadComponent(TComponent *instance);
};

class TMemoryStream : public TStream
{
    ZVO_CLASS(TMemoryStream)
public:
    TMemoryStream() = default;
    int64_t Read(void *buffer, int64_t count) override;
    int64_t Write(const void *buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return m_size; }
    void SetSize(int64_t size) override;

    const char *Memory() const { return m_data.get(); }
    char *Memory() { return m_data.get(); }
    void Clear();
    void LoadFromStream(TStream &stream);
    void SaveToStream(TStream &stream);
    // EFOpenError / EFCreateError when the file cannot be opened or created.
    void LoadFromFile(const QString &fileName);
    void SaveToFile(const QString &fileName);

private:
    void reserve(int64_t capacity);

    // Grown without being cleared first: every byte below m_size was written.
    std::unique_ptr<char[]> m_data;
    int64_t m_size = 0;
    int64_t m_capacity = 0;
    int64_t m_position = 0;
};

enum : uint16_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmCreate = 0xFF00,
};

class TFileStream : public TStream
{
    ZVO_CLASS(TFileStream)
public:
    // fmCreate creates or truncates; the others open an existing file.
    TFileStream(const QString &fileName, uint16_t mode);
    ~TFileStream() override;
    int64_t Read(void *buffer, int64_t count) override;
    int64_t Write(const void *buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override;
    void SetSize(int64_t size) override;
    const QString &FileName() const { return m_fileName; }

private:
    QString m_fileName;
    QFile m_file;
};

} // namespace classes
