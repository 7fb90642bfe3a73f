#pragma once

// Lists of texts: the abstract TStrings (streamed as the defined entry
// "Strings", a list of texts) and TStringList, which holds the texts with an
// object per entry and can keep them sorted.

#include "platform/classes/Persistent.h"

#include <functional>
#include <vector>

namespace classes {

class TReader;
class TWriter;

class TStrings : public TPersistent
{
    ZVO_CLASS(TStrings)
public:
    virtual int Count() const = 0;
    virtual QString Get(int index) const = 0;
    virtual void Put(int index, const QString &text);
    virtual TObject *GetObject(int index) const;
    virtual void PutObject(int index, TObject *object);
    virtual void Insert(int index, const QString &text) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    QString Strings(int index) const { return Get(index); }
    TObject *Objects(int index) const { return GetObject(index); }
    virtual int Add(const QString &text);
    int AddObject(const QString &text, TObject *object);
    void InsertObject(int index, const QString &text, TObject *object);
    void AddStrings(const TStrings &strings);
    void Move(int from, int to);
    void Exchange(int a, int b);
    // Compared without regard to case; -1 when absent.
    virtual int IndexOf(const QString &text) const;
    int IndexOfObject(const TObject *object) const;
    // The entries joined with CR LF, each followed by one; set splits on
    // CR LF, LF or CR.
    QString Text() const;
    void SetText(const QString &text);
    bool Equals(const TStrings &other) const;

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }

    void Assign(const TPersistent *source) override;
    void DefineProperties(TFiler &filer) override;

protected:
    // Called when the outermost update bracket opens (true) and closes (false).
    virtual void SetUpdateState(bool updating);
    [[noreturn]] void IndexError(int index) const;

private:
    void readData(TReader &reader);
    void writeData(TWriter &writer) const;

    int m_updateCount = 0;
};

enum class TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TStrings
{
    ZVO_CLASS(TStringList)
public:
    using Compare = std::function<int(const TStringList &, int, int)>;

    TStringList() = default;

    int Count() const override { return int(m_items.size()); }
    QString Get(int index) const override;
    void Put(int index, const QString &text) override;
    TObject *GetObject(int index) const override;
    void PutObject(int index, TObject *object) override;
    void Insert(int index, const QString &text) override;
    void Delete(int index) override;
    void Clear() override;
    // Sorted lists insert in order and apply Duplicates.
    int Add(const QString &text) override;
    int IndexOf(const QString &text) const override;

    bool Sorted() const { return m_sorted; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const { return m_duplicates; }
    void SetDuplicates(TDuplicates duplicates) { m_duplicates = duplicates; }
    bool CaseSensitive() const { return m_caseSensitive; }
    void SetCaseSensitive(bool caseSensitive);
    // Stable, so entries with equal texts keep their order.
    virtual void Sort();
    void CustomSort(const Compare &compare);
    // In a sorted list: whether the text is present, and where it is or
    // would go.
    bool Find(const QString &text, int &index) const;
    int CompareStrings(const QString &a, const QString &b) const;

    std::function<void(TObject *)> OnChange;
    std::function<void(TObject *)> OnChanging;

protected:
    void SetUpdateState(bool updating) override;
    void Changed();
    void Changing();

private:
    struct Item
    {
        QString text;
        TObject *object = nullptr;
    };
    void insertItem(int index, const QString &text, TObject *object);

    std::vector<Item> m_items;
    bool m_sorted = false;
    bool m_caseSensitive = false;
    TDuplicates m_duplicates = TDuplicates::dupIgnore;
};

} // namespace classes
